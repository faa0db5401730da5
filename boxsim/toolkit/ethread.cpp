// eThread: std::thread underneath, with a cooperative stop. kill(true) sets
// the stop flag and keeps nudging the thread with a signal whose handler does
// nothing but is installed without SA_RESTART, so whatever system call the
// thread is blocked in returns EINTR; the thread's own code then sees
// stopRequested() and winds down through its normal paths. Repeating the
// nudge covers a signal that lands just before the thread blocks.
#include "host/ethread.h"

#include "boxsim/toolkit/thread_registry.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <thread>

struct eThread::Control {
    std::mutex lock;
    std::condition_variable ended_cv;
    std::mutex join_lock;
    std::thread thread;
    std::atomic<bool> stop{false};
    bool started = false;
    bool ended = false;
};

namespace {

// The stop flag of the eThread running on this thread, if any.
thread_local const std::atomic<bool>* current_stop = nullptr;
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

struct eThreadTrampoline {
    static void body(eThread* self, std::shared_ptr<eThread::Control> control) {
        current_stop = &control->stop;
        if (!control->stop.load())
            self->thread();
        self->thread_finished();
        current_stop = nullptr;
        {
            std::lock_guard<std::mutex> hold(control->lock);
            control->ended = true;
        }
        control->ended_cv.notify_all();
        boxsim::unregisterThread(self);
    }
};

eThread::eThread() : control_(std::make_shared<Control>()) {}

eThread::~eThread() {
    kill(true);
}

int eThread::run(int, int) {
    install_interrupt_handler();
    std::lock_guard<std::mutex> hold(control_->join_lock);
    if (control_->started)
        return -1;
    control_->started = true;
    boxsim::registerThread(this);
    try {
        control_->thread = std::thread(eThreadTrampoline::body, this, control_);
    } catch (const std::system_error&) {
        boxsim::unregisterThread(this);
        std::lock_guard<std::mutex> hold_state(control_->lock);
        control_->ended = true;
        return -1;
    }
    return 0;
}

void eThread::kill(bool sendcancel) {
    Control& c = *control_;
    if (sendcancel)
        c.stop.store(true);
    std::lock_guard<std::mutex> hold(c.join_lock);
    if (!c.thread.joinable())
        return;
    if (c.thread.get_id() == std::this_thread::get_id())
        return; // asked from its own thread: the flag is all we can do
    {
        std::unique_lock<std::mutex> wait(c.lock);
        while (!c.ended) {
            if (sendcancel)
                pthread_kill(c.thread.native_handle(), interrupt_signal());
            c.ended_cv.wait_for(wait, nudge_interval);
        }
    }
    c.thread.join();
}

bool eThread::thread_running() const {
    std::lock_guard<std::mutex> hold(control_->lock);
    return control_->started && !control_->ended;
}

bool eThread::stopRequested() {
    return current_stop && current_stop->load();
}
