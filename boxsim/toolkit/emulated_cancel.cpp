// The cancellation points of builds that deliver kills themselves: see
// emulated_cancel.h. These definitions take the C library's place for the
// whole process. Each acts on a kill of its thread before it calls the C
// library, and again as the call comes back (woken by the kill, or done),
// except where an open has made a descriptor: that is never left behind.
// The calls are those the toolkit's threads block in; every other call is
// the C library's own.
#include "boxsim/toolkit/emulated_cancel.h"

#include "boxsim/interpose/open_mode.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
extern "C" void __asan_handle_no_return();
#endif

namespace {

thread_local const std::atomic<bool>* kill_flag = nullptr;

// The definition the C library (or another library ahead of it) gives.
template <class F> F next_call(std::atomic<void*>& slot, const char* name) {
    void* f = slot.load(std::memory_order_acquire);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        slot.store(f, std::memory_order_release);
    }
    return reinterpret_cast<F>(f);
}

void c_library_testcancel() {
    static std::atomic<void*> slot;
    next_call<void (*)()>(slot, "pthread_testcancel")();
}

bool cancellation_enabled() {
    int state;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &state);
    pthread_setcancelstate(state, nullptr);
    return state == PTHREAD_CANCEL_ENABLE;
}

// This thread has been killed, and has cancellation enabled. With it
// disabled the kill stays with the flag, so the C library never holds a
// cancellation that one of its own calls could act on later.
bool killed() {
    const std::atomic<bool>* flag = kill_flag;
    return flag && flag->load(std::memory_order_acquire) && cancellation_enabled();
}

#ifdef BOXSIM_KILL_FAILS_CALLS
// Under ThreadSanitizer the unwinding would pass through the sanitizer's
// own frames (its interceptors call these), which then stops following the
// thread's locks. There a killed thread is not unwound: its calls fail with
// ECANCELED, and it winds down through its own paths.
bool act_on_kill() {
    if (!killed())
        return false;
    errno = ECANCELED;
    return true;
}
#else
// Cuts the thread short here; the C library does the unwinding, from an
// ordinary frame.
bool act_on_kill() {
    const int saved = errno;
    if (killed()) {
#ifdef __SANITIZE_ADDRESS__
        // The frames about to be unwound are left without their epilogues:
        // their redzones are cleared now, from the deepest frame.
        __asan_handle_no_return();
#endif
        pthread_cancel(pthread_self());
        c_library_testcancel();
    }
    errno = saved;
    return false;
}
#endif

// Around a call that returns -1 and sets errno when it fails. A kill that
// woke the call is acted on as it returns, whatever it managed (a short
// count, a read's bytes): natively the thread would not have come back
// from it. Only a descriptor an open has made must not be lost that way,
// and where kills fail calls, only a call the kill woke fails.
enum class Made { nothing, descriptor };
template <class Call> auto cancellation_point(Call call, Made made = Made::nothing) {
    using Result = decltype(call());
    if (act_on_kill())
        return Result(-1);
    const auto result = call();
#ifdef BOXSIM_KILL_FAILS_CALLS
    (void)made;
    if (result == -1 && errno == EINTR && act_on_kill())
        return Result(-1);
#else
    if (made == Made::nothing || result == -1)
        act_on_kill();
#endif
    return result;
}

// An open under the name the caller used.
int open_named(std::atomic<void*>& slot, const char* name, const char* path, int flags, int mode) {
    using F = int (*)(const char*, int, ...);
    return cancellation_point([&] { return next_call<F>(slot, name)(path, flags, mode); },
                              Made::descriptor);
}

void on_wake(int) {}

} // namespace

namespace boxsim::emulated_cancel {

void bind(const std::atomic<bool>* flag) {
    kill_flag = flag;
}

void wake(pthread_t thread) {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = on_wake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: a blocked call must come back
        sigaction(SIGRTMIN + 2, &action, nullptr);
    });
    pthread_kill(thread, SIGRTMIN + 2);
}

} // namespace boxsim::emulated_cancel

extern "C" {

void pthread_testcancel(void) {
    act_on_kill();          // where kills fail calls, the next call fails instead
    c_library_testcancel(); // a cancellation someone else made pending
}

ssize_t read(int fd, void* data, size_t size) {
    static std::atomic<void*> slot;
    using F = ssize_t (*)(int, void*, size_t);
    return cancellation_point([&] { return next_call<F>(slot, "read")(fd, data, size); });
}

ssize_t __read_chk(int fd, void* data, size_t size, size_t capacity) {
    static std::atomic<void*> slot;
    using F = ssize_t (*)(int, void*, size_t, size_t);
    return cancellation_point(
        [&] { return next_call<F>(slot, "__read_chk")(fd, data, size, capacity); });
}

ssize_t write(int fd, const void* data, size_t size) {
    static std::atomic<void*> slot;
    using F = ssize_t (*)(int, const void*, size_t);
    return cancellation_point([&] { return next_call<F>(slot, "write")(fd, data, size); });
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    static std::atomic<void*> slot;
    return open_named(slot, "open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    static std::atomic<void*> slot;
    return open_named(slot, "open64", path, flags, mode);
}

int __open_2(const char* path, int flags) {
    static std::atomic<void*> slot;
    using F = int (*)(const char*, int);
    return cancellation_point([&] { return next_call<F>(slot, "__open_2")(path, flags); },
                              Made::descriptor);
}

int __open64_2(const char* path, int flags) {
    static std::atomic<void*> slot;
    using F = int (*)(const char*, int);
    return cancellation_point([&] { return next_call<F>(slot, "__open64_2")(path, flags); },
                              Made::descriptor);
}

int close(int fd) {
    static std::atomic<void*> slot;
    using F = int (*)(int);
    return cancellation_point([&] { return next_call<F>(slot, "close")(fd); });
}

int poll(struct pollfd* fds, nfds_t count, int timeout) {
    static std::atomic<void*> slot;
    using F = int (*)(struct pollfd*, nfds_t, int);
    return cancellation_point([&] { return next_call<F>(slot, "poll")(fds, count, timeout); });
}

int nanosleep(const struct timespec* duration, struct timespec* left) {
    static std::atomic<void*> slot;
    using F = int (*)(const struct timespec*, struct timespec*);
    return cancellation_point([&] { return next_call<F>(slot, "nanosleep")(duration, left); });
}

// Returns its error instead of setting errno.
int clock_nanosleep(clockid_t clock, int flags, const struct timespec* until,
                    struct timespec* left) {
    static std::atomic<void*> slot;
    using F = int (*)(clockid_t, int, const struct timespec*, struct timespec*);
    if (act_on_kill())
        return ECANCELED;
    const int result = next_call<F>(slot, "clock_nanosleep")(clock, flags, until, left);
    return result == EINTR && act_on_kill() ? ECANCELED : result;
}
}
