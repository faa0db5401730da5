// The playback worker: one thread per played file. It waits until every
// worker before it has ended, opens and configures the OSS device
// "/dev/dsp", plays the file into it and, once the play has been torn down,
// emits finished. The host may cut it short anywhere with kill(true); its
// thread_finished() then releases whatever the body left. Starting,
// stopping and freeing workers: worker_record.h.
#pragma once

#include "host/estring.h"
#include "host/ethread.h"
#include "host/sigc1.h"
#include "playback/worker_state.h"

#include <atomic>

class ExecThread : public eThread {
public:
    explicit ExecThread(eString path);
    ~ExecThread() override;

    // Runs thread() on a new thread. A worker whose thread cannot start
    // ends at once, as if it had played nothing.
    void start();

    const eString path;
    // Carried by finished: this worker's serial number, so a receiver can
    // tell which worker ended.
    const int status;
    SigC::Signal1<void, int> finished;
    // Its own life: asked to stop, owning the device, ended.
    WorkerState state;

protected:
    void thread() override;
    // Tears down whatever a body cut short left open and emits finished.
    void thread_finished() override;
};

// The current worker of the window, or null. Written by worker_record only.
extern std::atomic<ExecThread*> execThread;

// What the device is asked for, the same for every file: signed 16-bit
// big-endian (0x20), stereo, 44100 Hz.
extern int dsp_sample;
extern int dsp_stereo;
extern int dsp_speed;
