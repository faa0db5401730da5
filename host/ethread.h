// eThread: the host's thread wrapper. run() starts thread() on a new thread;
// when thread() returns, or the thread was killed, thread_finished() runs,
// exactly once.
#pragma once

#include <memory>

#pragma GCC visibility push(default)

class eThreadPrivate;

class eThread {
public:
    eThread();
    // A thread still running is stopped and joined first.
    virtual ~eThread();
    eThread(const eThread&) = delete;
    eThread& operator=(const eThread&) = delete;

    // Starts thread() on a new thread. Returns 0, or -1 if it was started
    // before or could not start.
    int run(int prio = 0, int policy = 0);
    // kill(true) stops the thread and returns once it has ended,
    // thread_finished() included; kill(false) only waits for the end.
    void kill(bool sendcancel = false);

protected:
    virtual void thread() = 0;
    virtual void thread_finished() {}

private:
    friend class eThreadPrivate;
    std::shared_ptr<eThreadPrivate> d_;
};

#pragma GCC visibility pop
