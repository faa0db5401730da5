// eThread: std::thread underneath. kill(true) stops a thread without
// unwinding it, the way POSIX cancellation would at its next cancellation
// point, but through the thread's own code: from the kill on, every call of
// the thread that could block (open, read, write) fails at once with
// ECANCELED, and a signal whose handler does nothing, installed without
// SA_RESTART, gets it out of the call it is blocked in with EINTR. Code that
// ends on a failed call then winds down through its normal paths, and no
// library is left half way through a call. The signal is repeated until the
// thread has ended, which covers one landing just before the thread blocks.
#include "host/ethread.h"

#include "boxsim/toolkit/thread_registry.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <system_error>
#include <thread>

class eThreadPrivate {
public:
    static void body(eThread* self, std::shared_ptr<eThreadPrivate> d);

    std::mutex lock;
    std::condition_variable ended_cv;
    std::mutex join_lock;
    std::thread thread;
    std::atomic<bool> cancelled{false};
    bool started = false;
    bool ended = false;
};

namespace {

// The cancel flag of the eThread running on this thread, if any.
thread_local const std::atomic<bool>* current_cancel = nullptr;
constexpr auto nudge_interval = std::chrono::milliseconds(10);

int interrupt_signal() {
    return SIGRTMIN + 2;
}

void on_interrupt(int) {}

void install_interrupt_handler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = on_interrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: blocked calls must return EINTR
        sigaction(interrupt_signal(), &action, nullptr);
    });
}

} // namespace

extern "C" __attribute__((visibility("default"))) int boxsim_thread_cancelled(void) {
    // Acquire: what the killing thread did before the kill is seen after it.
    return current_cancel && current_cancel->load(std::memory_order_acquire);
}

void eThreadPrivate::body(eThread* self, std::shared_ptr<eThreadPrivate> d) {
    current_cancel = &d->cancelled;
    if (!d->cancelled.load())
        self->thread();
    self->thread_finished();
    current_cancel = nullptr;
    {
        std::lock_guard<std::mutex> hold(d->lock);
        d->ended = true;
    }
    d->ended_cv.notify_all();
    boxsim::unregisterThread(self);
}

eThread::eThread() : d_(std::make_shared<eThreadPrivate>()) {}

eThread::~eThread() {
    kill(true);
}

int eThread::run(int, int) {
    install_interrupt_handler();
    std::lock_guard<std::mutex> hold(d_->join_lock);
    if (d_->started)
        return -1;
    d_->started = true;
    boxsim::registerThread(this);
    try {
        d_->thread = std::thread(eThreadPrivate::body, this, d_);
    } catch (const std::system_error&) {
        boxsim::unregisterThread(this);
        std::lock_guard<std::mutex> hold_state(d_->lock);
        d_->ended = true;
        return -1;
    }
    return 0;
}

void eThread::kill(bool sendcancel) {
    eThreadPrivate& d = *d_;
    if (sendcancel)
        d.cancelled.store(true);
    std::lock_guard<std::mutex> hold(d.join_lock);
    if (!d.thread.joinable())
        return;
    if (d.thread.get_id() == std::this_thread::get_id())
        return; // asked from its own thread: the flag is all we can do
    {
        std::unique_lock<std::mutex> wait(d.lock);
        while (!d.ended) {
            if (sendcancel)
                pthread_kill(d.thread.native_handle(), interrupt_signal());
            d.ended_cv.wait_for(wait, nudge_interval);
        }
    }
    d.thread.join();
}
