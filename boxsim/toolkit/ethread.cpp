// eThread on POSIX threads. kill(true) cancels the thread as POSIX deferred
// cancellation does: the thread goes on until its next cancellation point
// (a blocking call such as open, read, write, close, poll or nanosleep), is
// cut short there and unwound, and thread_finished() runs as its cleanup,
// on the thread itself, with cancellation disabled. A thread that ends on
// its own runs the same cleanup. When kill(true) returns is the kill model's
// choice (kill_model.h); the destructor always waits, because the thread
// runs on the object.
#include "host/ethread.h"

#include "boxsim/toolkit/emulated_cancel.h"
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/thread_registry.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace {

#ifdef BOXSIM_CANCEL_OUTSIDE_SIGNALS
constexpr bool cancel_outside_signals = true;
void bind_kill_flag(const std::atomic<bool>* flag) {
    boxsim::emulated_cancel::bind(flag);
}
void wake(pthread_t thread) {
    boxsim::emulated_cancel::wake(thread);
}
#else
constexpr bool cancel_outside_signals = false;
void bind_kill_flag(const std::atomic<bool>*) {}
void wake(pthread_t) {}
#endif

std::atomic<boxsim::KillModel> kill_model{boxsim::KillModel::cancel};

// How often a kill delivered by the host wakes its thread again.
constexpr auto wake_interval = std::chrono::milliseconds(10);

} // namespace

class eThreadPrivate : public std::enable_shared_from_this<eThreadPrivate> {
public:
    static void* body(void* start);
    // Delivers a kill; with wait, returns once the thread has ended and
    // has been joined.
    void stop(bool cancel, bool wait);

    std::mutex lock; // guards the fields below it
    std::condition_variable ended_cv;
    pthread_t thread{};
    bool started = false;
    bool ended = false;
    bool joined = false;
    bool cancelled = false;
    std::atomic<bool> kill_flag{false}; // where the host delivers kills itself
    std::mutex join_lock;               // one joiner; the others wait for it

private:
    void deliverKill();
    void keepWaking(std::unique_lock<std::mutex>& hold);
    void join();
};

namespace {

struct Start {
    eThread* self;
    std::shared_ptr<eThreadPrivate> d;
};

} // namespace

void* eThreadPrivate::body(void* start_arg) {
    std::unique_ptr<Start> start(static_cast<Start*>(start_arg));
    eThread* const self = start->self;
    const std::shared_ptr<eThreadPrivate> d = start->d;
    // Runs when thread() returns and while a cancellation unwinds the
    // thread: the end hook of both. Nothing in it may be cut short.
    struct Cleanup {
        eThread* self;
        eThreadPrivate& d;
        ~Cleanup() {
            int ignored;
            pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &ignored);
            self->thread_finished();
            bind_kill_flag(nullptr);
            {
                std::lock_guard<std::mutex> hold(d.lock);
                d.ended = true;
            }
            d.ended_cv.notify_all();
            boxsim::unregisterThread(self);
        }
    } cleanup{self, *d};
    bind_kill_flag(&d->kill_flag);
    self->thread();
    return nullptr;
}

void eThreadPrivate::deliverKill() {
    // Under lock, not joined: the thread's handle is still valid.
    cancelled = true;
    if (cancel_outside_signals) {
        kill_flag.store(true, std::memory_order_release);
        wake(thread);
    } else {
        pthread_cancel(thread);
    }
}

void eThreadPrivate::keepWaking(std::unique_lock<std::mutex>& hold) {
    while (!ended) {
        if (cancel_outside_signals && cancelled)
            wake(thread);
        ended_cv.wait_for(hold, wake_interval);
    }
}

void eThreadPrivate::join() {
    std::lock_guard<std::mutex> one_joiner(join_lock);
    {
        std::lock_guard<std::mutex> hold(lock);
        if (joined)
            return;
        joined = true;
    }
    pthread_join(thread, nullptr);
}

void eThreadPrivate::stop(bool cancel, bool wait) {
    std::unique_lock<std::mutex> hold(lock);
    if (!started || joined)
        return;
    const bool own_thread = pthread_equal(thread, pthread_self());
    if (cancel && !ended && !cancelled)
        deliverKill();
    if (own_thread)
        return; // acted on at the thread's next cancellation point
    if (!wait && !(cancel_outside_signals && cancelled && !ended))
        return;
    if (!wait) {
        // A kill the host delivers itself must keep waking the thread until
        // it has ended, with nobody waiting for it. Without a thread for
        // that, the kill waits here instead.
        try {
            std::thread([d = shared_from_this()] {
                std::unique_lock<std::mutex> hold(d->lock);
                d->keepWaking(hold);
            }).detach();
            return;
        } catch (const std::system_error&) {
        }
    }
    keepWaking(hold);
    hold.unlock();
    join();
}

eThread::eThread() : d_(std::make_shared<eThreadPrivate>()) {}

eThread::~eThread() {
    d_->stop(true, true);
}

int eThread::run(int, int) {
    std::lock_guard<std::mutex> hold(d_->lock);
    if (d_->started)
        return -1;
    d_->started = true;
    auto start = std::make_unique<Start>(Start{this, d_});
    boxsim::registerThread(this);
    if (pthread_create(&d_->thread, nullptr, eThreadPrivate::body, start.get()) != 0) {
        boxsim::unregisterThread(this);
        d_->ended = true;
        d_->joined = true;
        return -1;
    }
    start.release(); // the thread's now
    return 0;
}

void eThread::kill(bool sendcancel) {
    const bool wait = !sendcancel || kill_model.load() == boxsim::KillModel::cancel;
    d_->stop(sendcancel, wait);
}

namespace boxsim {

void setKillModel(KillModel model) {
    kill_model.store(model);
}

KillModel killModel() {
    return kill_model.load();
}

bool killCutsShort() {
#ifdef BOXSIM_KILL_FAILS_CALLS
    return false;
#else
    return true;
#endif
}

std::optional<KillModel> killModelNamed(const std::string& name) {
    if (name == "cancel")
        return KillModel::cancel;
    if (name == "cancel-nowait")
        return KillModel::cancel_nowait;
    return std::nullopt;
}

} // namespace boxsim
