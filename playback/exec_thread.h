// The playback worker: one thread per played file. It opens and configures
// the OSS device "/dev/dsp", plays the file into it and, once the play has
// been torn down, emits finished. The host may cut it short anywhere with
// kill(true); its thread_finished() then releases whatever the body left.
// Which worker the module has, and stopping it: worker_record.h.
#pragma once

#include "host/estring.h"
#include "host/ethread.h"
#include "host/sigc1.h"

#include <atomic>

class ExecThread : public eThread {
public:
    explicit ExecThread(eString path);
    ~ExecThread() override;

    // Runs thread() on a new thread as the module's one worker, once the
    // worker before it has ended. A worker that cannot start that way frees
    // itself (and execThread forgets it).
    void start();

    const eString path;
    // Carried by finished: this worker's serial number, so a receiver can
    // tell which worker ended.
    const int status;
    SigC::Signal1<void, int> finished;

protected:
    void thread() override;
    // Tears down whatever a body cut short left open and emits finished.
    void thread_finished() override;
};

// The current worker, or null. Set by the GUI thread, cleared by the worker
// that ends.
extern std::atomic<ExecThread*> execThread;

// Cuts receiver's slots off every signal it is connected to, never while a
// worker emits finished: a window going away while its worker ends.
void disconnect_from_workers(SigC::Object& receiver);

// What the device is asked for, the same for every file: signed 16-bit
// big-endian (0x20), stereo, 44100 Hz.
extern int dsp_sample;
extern int dsp_stereo;
extern int dsp_speed;
