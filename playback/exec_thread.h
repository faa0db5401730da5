// The playback worker: one thread per played file. It opens and configures
// the OSS device "/dev/dsp", plays the file into it and, once the play has
// been torn down, emits finished.
//
// The module keeps the one worker it has started until it is freed, across
// windows: a window the host closed with 0 leaves its file playing, and the
// next window's Stop, file choice or exit must still reach it. Only the GUI
// thread starts, stops and frees workers; a worker is freed there, joined
// first, at the next step that looks (choosing a file, Stop, leaving the
// window, the next window's construction, the unloading of the plug-in).
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

    // Runs thread() on a new thread, as the module's one worker.
    void start();

    const eString path;
    // Carried by finished: this worker's serial number, so a receiver can
    // tell which worker ended.
    const int status;
    SigC::Signal1<void, int> finished;

protected:
    void thread() override;
    // Tears down whatever the body left open and emits finished.
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

// GUI thread: the module's worker has started and has not yet been through
// thread_finished(): it is opening the device, playing or tearing down.
bool worker_alive();
// GUI thread: asks the module's worker to stop and kills it, which returns
// once it has ended. Nothing if there is none.
void stop_worker();
// GUI thread: joins and frees the module's worker if it has ended.
void free_ended_worker();
// Any thread: the module's worker has been asked to stop. The decoder's
// callbacks end the decode on it.
bool stop_requested();
