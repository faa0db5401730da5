// eThread on POSIX threads. kill(true) cancels the thread as POSIX deferred
// cancellation does (kill_delivery.h): the thread goes on to its next
// cancellation point, is cut short there and unwound, and thread_finished()
// runs as its cleanup, on the thread itself, with cancellation disabled. A
// thread that ends on its own runs the same cleanup. When kill(true)
// returns is the kill model's choice (kill_model.h). The destructor waits
// for the thread to leave the host's hands, because the thread runs on the
// object.
//
// Held to what the box promises and no more: kill(false) stops nothing and
// returns at once, and a plug-in that kills one thread twice, calls
// kill(false) or destroys a thread that has not finished is told so
// (thread_registry.h).
#include "host/ethread.h"

#include "boxsim/toolkit/kill_at.h"
#include "boxsim/toolkit/kill_delivery.h"
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/thread_registry.h"

#include <condition_variable>
#include <mutex>

class eThreadPrivate {
public:
    static void* body(void* start);
    // Delivers the kill once; a kill already delivered is not repeated.
    void deliverKill();
    // Until the thread has left the host's hands, then joins it.
    void awaitEnd();
    bool ownThread() const { return started && pthread_equal(thread, pthread_self()); }

    std::mutex lock; // guards the fields below it
    std::condition_variable ended_cv;
    pthread_t thread{};
    bool started = false;
    bool ended = false;
    bool finishing = false; // thread_finished() has begun
    bool joined = false;
    bool delivered = false;
    int plugin_kills = 0;
    const std::shared_ptr<boxsim::ThreadKill> kill = std::make_shared<boxsim::ThreadKill>();
    std::mutex join_lock; // one joiner; the others wait for it
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
            {
                std::lock_guard<std::mutex> hold(d.lock);
                d.finishing = true;
            }
            self->thread_finished();
            boxsim::kill_at::threadEnded();
            boxsim::kill_delivery::unbind();
            {
                std::lock_guard<std::mutex> hold(d.lock);
                d.ended = true;
            }
            d.ended_cv.notify_all();
            boxsim::unregisterThread(&d);
        }
    } cleanup{self, *d};
    boxsim::kill_delivery::bind(d->kill);
    boxsim::kill_at::threadStarted();
    self->thread();
    return nullptr;
}

void eThreadPrivate::deliverKill() {
    std::lock_guard<std::mutex> hold(lock);
    if (!started || ended || delivered)
        return;
    delivered = true;
    boxsim::kill_delivery::deliver(kill);
}

void eThreadPrivate::awaitEnd() {
    {
        std::unique_lock<std::mutex> hold(lock);
        if (!started)
            return;
        ended_cv.wait(hold, [this] { return ended; });
    }
    std::lock_guard<std::mutex> one_joiner(join_lock);
    {
        std::lock_guard<std::mutex> hold(lock);
        if (joined)
            return;
        joined = true;
    }
    pthread_join(thread, nullptr);
}

eThread::eThread() : d_(std::make_shared<eThreadPrivate>()) {}

eThread::~eThread() {
    bool running, own;
    {
        std::lock_guard<std::mutex> hold(d_->lock);
        running = d_->started && !d_->finishing;
        own = d_->started && pthread_equal(d_->thread, pthread_self());
        if (own && !d_->joined) {
            // Nobody is left to join a thread that freed its own object.
            d_->joined = true;
            pthread_detach(d_->thread);
        }
    }
    if (running)
        boxsim::noteThreadMisuse("a thread was destroyed before its thread_finished() began");
    if (own)
        return;
    if (running)
        d_->deliverKill();
    d_->awaitEnd();
}

int eThread::run(int, int) {
    std::lock_guard<std::mutex> hold(d_->lock);
    if (d_->started)
        return -1;
    auto start = std::make_unique<Start>(Start{this, d_});
    boxsim::registerThread(d_);
    if (pthread_create(&d_->thread, nullptr, eThreadPrivate::body, start.get()) != 0) {
        boxsim::unregisterThread(d_.get());
        return -1;
    }
    d_->started = true;
    d_->kill->thread = d_->thread; // a kill may come before the thread runs
    start.release();               // the thread's now
    return 0;
}

void eThread::kill(bool sendcancel) {
    if (!sendcancel) {
        boxsim::noteThreadMisuse("kill(false), whose effect the box does not state");
        return;
    }
    {
        std::lock_guard<std::mutex> hold(d_->lock);
        if (++d_->plugin_kills > 1) {
            boxsim::noteThreadMisuse("kill(true) on a thread already killed");
            return;
        }
    }
    d_->deliverKill();
    if (boxsim::killModel() == boxsim::KillModel::cancel && !d_->ownThread())
        d_->awaitEnd();
}

namespace boxsim {

void hostKill(eThreadPrivate& thread) {
    thread.deliverKill();
}

} // namespace boxsim
