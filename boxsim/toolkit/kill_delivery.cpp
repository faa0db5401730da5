// Kills to the toolkit's threads, and the two ends of every cancellation
// point that boxsim/interpose/ takes over: see kill_delivery.h.
#include "boxsim/toolkit/kill_delivery.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/toolkit/kill_at.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <dlfcn.h>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define BOXSIM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BOXSIM_ASAN 1
#endif
#endif
#ifdef BOXSIM_ASAN
extern "C" void __asan_handle_no_return();
#endif

namespace boxsim::kill_delivery {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(BOXSIM_UNDER_EMULATOR)
constexpr bool emulated = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool emulated = true;
#else
constexpr bool emulated = false;
#endif
#else
constexpr bool emulated = false;
#endif

// How often a killed thread that has not ended is woken again: a wake that
// lands between a point's look at the flag and its call is lost.
constexpr auto rewake_interval = std::chrono::milliseconds(10);

int wake_signal() {
    return SIGRTMIN + 2;
}

void on_wake(int) {}

sigset_t wake_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, wake_signal());
    return set;
}

// The C library's own: the program's pthread_testcancel is a point of ours.
void c_library_testcancel() {
    using F = void (*)();
    static const F f = reinterpret_cast<F>(dlsym(RTLD_NEXT, "pthread_testcancel"));
    f();
}

// The courier wakes killed threads until they leave the toolkit's hands.
// Its lock also keeps a thread from leaving (and being joined) while it is
// signalled, and a condition from being woken after its wait is over.
struct Courier {
    std::mutex lock;
    std::condition_variable work;
    std::vector<std::shared_ptr<ThreadKill>> killed;
    bool running = false;
};

Courier& courier() {
    static Courier* c = new Courier; // never destroyed: threads may end as the process exits
    return *c;
}

// Under the courier's lock.
void wake(ThreadKill& kill) {
    if (!kill.gone && kill.in_window.load())
        pthread_kill(kill.thread, wake_signal());
}

void run_courier() {
    Courier& c = courier();
    std::unique_lock<std::mutex> hold(c.lock);
    for (;;) {
        c.killed.erase(
            std::remove_if(c.killed.begin(), c.killed.end(), [](const auto& k) { return k->gone; }),
            c.killed.end());
        if (c.killed.empty()) {
            c.work.wait(hold);
            continue;
        }
        for (const auto& k : c.killed)
            wake(*k);
        c.work.wait_for(hold, rewake_interval);
    }
}

thread_local ThreadKill* bound = nullptr;
// Points entered and not yet left on this thread: only the outermost counts
// for --kill-at.
thread_local int depth = 0;

bool cancellation_enabled() {
    int state;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &state);
    pthread_setcancelstate(state, nullptr);
    return state == PTHREAD_CANCEL_ENABLE;
}

void close_window(ThreadKill& kill) {
    const sigset_t set = wake_set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    kill.in_window.store(false);
}

// The C library unwinds the thread from here, an ordinary frame. The wake
// is shut first: the points the thread was in will not return to shut it,
// and its teardown must not be woken.
void cut_short() {
    if (bound)
        close_window(*bound);
#ifdef BOXSIM_ASAN
    // The frames about to go keep their redzones otherwise.
    __asan_handle_no_return();
#endif
    pthread_cancel(pthread_self());
    c_library_testcancel();
}

void act_on_kill(const ThreadKill& kill) {
    if (!emulated)
        c_library_testcancel(); // where the C library holds the kill itself
    else if (kill.delivered.load())
        cut_short();
}

void open_window(ThreadKill& kill) {
    kill.in_window.store(true);
    const sigset_t set = wake_set();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

enum Role { none, inert, outer, nested, spared };

} // namespace

bool outsideSignals() {
    return emulated;
}

void bind(const std::shared_ptr<ThreadKill>& kill) {
    bound = kill.get();
    depth = 0;
    if (emulated) {
        static std::once_flag once;
        std::call_once(once, [] {
            struct sigaction action {};
            action.sa_handler = on_wake;
            sigemptyset(&action.sa_mask);
            action.sa_flags = 0; // no SA_RESTART: the call must come back
            sigaction(wake_signal(), &action, nullptr);
        });
        const sigset_t set = wake_set();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
    }
}

void unbind() {
    if (ThreadKill* kill = bound) {
        std::lock_guard<std::mutex> hold(courier().lock);
        kill->gone = true;
    }
    bound = nullptr;
}

void deliver(const std::shared_ptr<ThreadKill>& kill) {
    kill->delivered.store(true);
    Courier& c = courier();
    std::lock_guard<std::mutex> hold(c.lock);
    if (kill->gone)
        return;
    if (!emulated) {
        pthread_cancel(kill->thread);
        return;
    }
    wake(*kill);
    c.killed.push_back(kill);
    if (!c.running) {
        try {
            std::thread(run_courier).detach();
            c.running = true;
        } catch (const std::system_error&) {
            // No thread to spare (a process limit): this kill was woken once,
            // and the next one tries again.
        }
    }
    c.work.notify_all();
}

} // namespace boxsim::kill_delivery

using namespace boxsim::kill_delivery;

extern "C" {

void boxsim_point_enter(boxsim_point* point, const char* call) {
    point->role = none;
    point->give_back = nullptr;
    boxsim::ThreadKill* kill = bound;
    if (!kill)
        return;
    point->role = depth++ == 0 ? outer : nested;
    if (!cancellation_enabled()) {
        point->role = inert;
        return;
    }
    if (point->role == outer && boxsim::kill_at::counting())
        boxsim::kill_at::reached(call, false, *kill);
    act_on_kill(*kill);
    if (emulated) {
        point->window_was = kill->in_window.load();
        if (!point->window_was)
            open_window(*kill);
        if (kill->delivered.load()) {
            if (!point->window_was)
                close_window(*kill);
            cut_short();
        }
    }
}

void boxsim_point_leave(boxsim_point* point, const char* call) {
    if (point->role == none)
        return;
    --depth;
    if (point->role == inert)
        return;
    const int saved = errno;
    boxsim::ThreadKill& kill = *bound;
    if (emulated && !point->window_was)
        close_window(kill);
    if (point->role != spared) {
        if (point->role == outer && boxsim::kill_at::counting())
            boxsim::kill_at::reached(call, true, kill);
        if (point->give_back && kill.delivered.load())
            point->give_back(point->taken);
        act_on_kill(kill);
    }
    errno = saved;
}

int boxsim_point_sliced(const boxsim_point* point) {
    return emulated && (point->role == outer || point->role == nested);
}

int boxsim_point_killed(void) {
    return bound && bound->delivered.load();
}

void boxsim_point_took(boxsim_point* point, void (*give_back)(void*), void* what) {
    point->give_back = give_back;
    point->taken = what;
}

void boxsim_point_spare(boxsim_point* point) {
    if (point->role == outer || point->role == nested)
        point->role = spared;
}

void boxsim_point_open_mask(sigset_t* mask) {
    if (emulated && bound && bound->in_window.load())
        sigdelset(mask, wake_signal());
}
}
