// How the host's kill(true) reaches a thread it started, in each build.
//
// A kill is a POSIX deferred cancellation: the thread runs on to its next
// cancellation point and is cut short there, its frames unwound. The points
// are the calls of the C library that a thread can block in (read, write,
// open, close, poll, nanosleep, sem_wait, pthread_cond_wait, pthread_join,
// the socket calls and the rest; boxsim/interpose/libc_interpose.h lists
// them). boxsim takes each of them over, and each acts on a pending kill both
// as the call starts and as it returns, whatever the call did: the C library
// may act on a cancellation after a call has done its work (an open's new
// descriptor is then left behind), and boxsim never does less. A point
// reached with cancellation disabled does nothing, and is not disturbed.
//
// Natively (the plain build) the C library delivers the kill: pthread_cancel,
// which also cuts short a call the thread is blocked in. Under qemu-user
// the unwinder cannot leave the signal handler the C library acts from, and
// under the sanitizers the frames so unwound are not followed; so there
// (kills_outside_signals) the host delivers the kill itself: a flag, and a
// wake signal that only reaches the thread while it is inside one of these
// calls with cancellation enabled (the wake window), so that the call comes
// back; the point then cuts the thread short from an ordinary frame,
// outside every sanitizer's interceptor (the points come first, in the
// program itself). Calls a signal does not get out of (a condition wait, a
// join, sigwait) are waited in slices instead. The
// C library's own calls made from inside it (fwrite's write, say) are
// cancellation points natively but not here: only the calls taken over are.
#pragma once

#include <atomic>
#include <memory>
#include <pthread.h>

namespace boxsim {

// What a kill has done to one thread the toolkit started. Shared with the
// courier that keeps waking a killed thread, so that it outlives both.
struct ThreadKill {
    pthread_t thread{};
    std::atomic<bool> delivered{false};
    std::atomic<bool> in_window{false}; // inside a point, the wake open
    bool gone = false;                  // the thread has left the toolkit's hands (courier's lock)
};

namespace kill_delivery {

// True where the host delivers kills itself: sanitizer builds and programs
// run under an emulated processor.
bool outsideSignals();

// The calling thread belongs to kill, whose thread it is: a thread the
// toolkit started, from its first instruction. Blocks the wake signal
// outside the points.
void bind(const std::shared_ptr<ThreadKill>& kill);
// The calling thread leaves the toolkit's hands (after thread_finished()).
void unbind();

// Delivers a kill. Any thread but the killed one's own, which it may also
// be; the thread has not been joined yet.
void deliver(const std::shared_ptr<ThreadKill>& kill);

} // namespace kill_delivery
} // namespace boxsim
