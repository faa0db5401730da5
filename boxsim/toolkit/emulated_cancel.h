// Thread cancellation where the C library's own cannot be used
// (BOXSIM_CANCEL_OUTSIDE_SIGNALS). The C library acts on a cancellation that
// finds its thread blocked in a call from a signal handler. Under qemu-user
// the unwinder cannot get out of that handler's frame, and the process
// aborts. Under AddressSanitizer the frames so unwound keep their redzones,
// and the cleanups that run over them are reported as overflows. So such
// builds deliver a kill themselves. It sets the thread's
// kill flag and sends a signal that only wakes the blocked call (EINTR, or
// a short count); the cancellation points in emulated_cancel.cpp, which
// take the C library's place for the whole process, act on the flag before
// each call and as a woken call returns, by cancelling the thread from
// inside itself (pthread_cancel on itself, then pthread_testcancel), outside
// any signal handler. The thread meets what it meets natively: it is cut
// short at that call, and a thread that has disabled cancellation is cut
// short only once it enables it again.
//
// Under ThreadSanitizer (BOXSIM_KILL_FAILS_CALLS) not even that: these
// calls are reached through the sanitizer's own interceptors, and a thread
// unwound through them is no longer followed (its locks go unseen and races
// that are none are reported). There a killed thread's calls fail with
// ECANCELED instead, and it winds down through its own paths; the other
// builds cover the unwinding.
#pragma once

#include <atomic>
#include <pthread.h>

namespace boxsim::emulated_cancel {

// The kill flag of the thread this is called on; null when it leaves the
// toolkit's hands.
void bind(const std::atomic<bool>* flag);
// Gets thread out of the call it is blocked in, if any. A signal that lands
// just before the thread blocks is lost, so callers repeat it until the
// thread has ended.
void wake(pthread_t thread);

} // namespace boxsim::emulated_cancel
