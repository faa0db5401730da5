// eThread: the host's thread wrapper. run() starts thread() on a new thread;
// when thread() returns, or the thread was killed, thread_finished() runs on
// that thread, exactly once.
//
// Stopping is cooperative. kill() asks the thread to stop and interrupts any
// system call it is blocked in (a device write, a read, an open), which then
// fails with EINTR. Code on the thread polls stopRequested() where it loops
// and returns early; nothing is torn down from outside, so no library is left
// half way through a call.
#pragma once

#include <memory>

#pragma GCC visibility push(default)

class eThread {
public:
    eThread();
    // A thread still running is stopped and joined first.
    virtual ~eThread();
    eThread(const eThread&) = delete;
    eThread& operator=(const eThread&) = delete;

    // Starts thread() on a new thread. The priority and policy are accepted
    // and ignored. Returns 0, or -1 if it was started before or could not start.
    int run(int prio = 0, int policy = 0);
    // kill(true) asks the thread to stop and returns once it has ended,
    // thread_finished() included. kill(false) only waits for the end.
    // Either is a no-op for a thread never started or already joined.
    void kill(bool sendcancel = false);
    bool thread_running() const;

    // True on a thread of this wrapper that has been asked to stop.
    static bool stopRequested();

protected:
    virtual void thread() = 0;
    virtual void thread_finished() {}

private:
    struct Control;
    std::shared_ptr<Control> control_;
    friend struct eThreadTrampoline;
};

#pragma GCC visibility pop
