// eThread: the host's thread wrapper, as the box's toolkit offers it.
//
// run() starts the virtual thread() on a new thread. kill(bool) stops it.
// thread_finished() follows both a normal end of thread() and a kill.
//
// After kill(true) the thread has ended, thread_finished() included, within
// a second. That is all the box promises of a kill. It does not say on
// which thread thread_finished() runs, whether kill(true) returns before or
// after the thread has ended, what kill(false) does, or whether a thread
// may be killed twice; nor where a killed thread stops: code run by
// thread() must hold wherever the kill lands (a cancellation point, even as
// a call returns with its work done), and learns of its thread's end from
// thread_finished(), not from when kill() returns.
//
// The destructor waits until the host's own wrapper has left the thread.
// So the object may be destroyed from another thread once its
// thread_finished() has made its last access to it, and an object whose
// run() failed may be destroyed at once; one whose thread has not come that
// far must not be. kill(true) on a thread that has already ended on its
// own does nothing.
#pragma once

#include <memory>

#pragma GCC visibility push(default)

class eThreadPrivate;

class eThread {
public:
    eThread();
    virtual ~eThread();
    eThread(const eThread&) = delete;
    eThread& operator=(const eThread&) = delete;

    // Starts thread() on a new thread. Returns 0, or -1 if it was started
    // before or could not start.
    int run(int prio = 0, int policy = 0);
    void kill(bool sendcancel = false);

protected:
    virtual void thread() = 0;
    virtual void thread_finished() {}

private:
    friend class eThreadPrivate;
    std::shared_ptr<eThreadPrivate> d_;
};

#pragma GCC visibility pop
