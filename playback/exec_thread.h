// The playback worker: one thread per played file. It opens and configures
// the OSS device "/dev/dsp", plays the file into it and, once the play has
// been torn down, emits finished.
#pragma once

#include "host/estring.h"
#include "host/ethread.h"
#include "host/sigc1.h"

#include <atomic>
#include <mutex>

class ExecThread : public eThread {
public:
    explicit ExecThread(eString path);
    ~ExecThread() override;

    // Runs thread() on a new thread.
    void start();

    const eString path;
    // Carried by finished: this worker's serial number, so a receiver can
    // tell which worker ended.
    const int status;
    SigC::Signal1<void, int> finished;

protected:
    void thread() override;
    // Tears down whatever the body left open, emits finished, and hands the
    // object to the GUI thread to be freed.
    void thread_finished() override;
};

// The current worker, or null. Set by the GUI thread, cleared by the worker
// that ends.
extern std::atomic<ExecThread*> execThread;

// finished is emitted under this lock; a window that goes away takes it to
// disconnect its slots, so an emission and the disconnection never overlap.
extern std::mutex finished_emit_lock;

// What the device is asked for, the same for every file: signed 16-bit
// big-endian (0x20), stereo, 44100 Hz.
extern int dsp_sample;
extern int dsp_stereo;
extern int dsp_speed;
