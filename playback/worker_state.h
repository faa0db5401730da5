// What each playback worker carries of its own life, and what the workers
// know of each other. Workers may overlap: a new one is started while the
// one before it is still being torn down (the host's kill need not have
// ended it), so each waits, on its own thread, until every earlier worker
// has ended before it touches the device or file_info; one file plays at a
// time.
#pragma once

#include "host/sigc1.h"

#include <atomic>
#include <mutex>

struct WorkerState {
    explicit WorkerState(int serial) : serial(serial) {}

    // Start order: a worker waits for those with a lower serial.
    const int serial;
    // The GUI thread asks the worker to stop; the decoder's callbacks and
    // the worker's own waits answer it, whether or not the host's kill
    // reaches them.
    std::atomic<bool> stop_asked{false};
    // The worker has waited for the ones before it and now owns the device
    // and file_info; its end hook tears them down if its body did not.
    std::atomic<bool> owns_playback{false};
    // The body ran to its end, teardown included.
    std::atomic<bool> body_done{false};
    // Its thread_finished() has run: the object may go.
    std::atomic<bool> ended{false};

    // GUI thread only.
    bool killed = false;            // the host's kill(true) was called, once
    SigC::Connection finished_link; // the window's slot on its finished
};

// GUI thread, before the worker's thread runs.
void worker_starting(WorkerState& worker);
// From the worker's thread_finished(), wherever the host runs it.
void worker_ending(WorkerState& worker);

// Worker thread: this thread is worker's, for stop_asked().
void bind_this_thread(WorkerState* worker);
// Worker thread: waits until every earlier worker has ended; false if this
// one was asked to stop first. A cancellation point while it waits.
bool wait_for_earlier_workers(const WorkerState& worker);
// The worker this thread runs has been asked to stop (false on any thread
// that is no worker's).
bool stop_asked();

// finished is emitted under it, and a window's slots are cut off under it:
// a window going away never meets its worker's end half way.
std::mutex& finished_lock();
