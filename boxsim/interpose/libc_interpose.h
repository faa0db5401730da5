/* The C library calls boxsim takes over, in one layer: the stand-in sound
 * card's "/dev/dsp" for the whole process, as the usual OSS wrappers do,
 * and every cancellation point a thread can block in, so that the host's
 * kill acts there as boxsim means it to (boxsim/toolkit/kill_delivery.h).
 * This header is the layer's contract and declares nothing: the definitions
 * replace the C library's own under the C library's names.
 *
 * Where it sits. The layer is linked into each host program (boxsim and
 * every test program), never into a plug-in, and the program exports its
 * names (exports.list), so that plug-ins loaded later bind to it. Being in
 * the program, it comes first in the search order, ahead of every library,
 * sanitizer runtimes included: a sanitizer's interceptor of a call, if any,
 * is the next definition the layer calls, and a thread cut short at a point
 * is never unwound through one. A test fails if that order changes.
 *
 * The device. Every way the C library opens a path: open, open64, and the
 * checked __open_2 and __open64_2 that _FORTIFY_SOURCE uses; openat,
 * openat64, __openat_2, __openat64_2; creat, creat64; fopen, fopen64,
 * freopen, freopen64. On the path "/dev/dsp", however it is spelt
 * ("//dev/dsp", "dsp" from /dev), they reach the card (device_hooks.h). Then
 * the calls on descriptors: ioctl, write and close on a descriptor of the
 * device reach the card, and dup, dup2, dup3, fcntl and fcntl64 (F_DUPFD,
 * F_DUPFD_CLOEXEC) are followed, so that the card knows every copy of a
 * device and closes it with its last copy; a dup2 or dup3 onto a copy of
 * the device closes that copy first, as the kernel does. Everything else
 * goes to the C library untouched: every other path, and every descriptor
 * that is not a device's, with the C library's own result and errno.
 *
 * The card takes one open at a time, for writing only; a refused open fails
 * with EBUSY (busy) or EACCES (not for writing). fopen of the device gives a
 * stream on a descriptor of the card's (fileno and ioctl work); the C
 * library writes and closes a stream through calls of its own, so those
 * writes are not noted one by one, and the card finds the descriptor closed
 * when it next looks (as for any descriptor closed behind its back, by
 * close_range, say). freopen onto the device fails with ENOTSUP and closes
 * the stream, as a failed freopen does. A forked child's copies of the
 * device's descriptors are plain descriptors to it. A write on the device is
 * noted (the card's call log) before it is made, with the size asked for;
 * the device may then take only part of it, and returns the count taken.
 *
 * Cancellation points (cancel_hooks.h): the opens, fopen and freopen,
 * write, close and fcntl with F_SETLKW (device_calls.c); read, readv,
 * pread, writev, pwrite, fsync, fdatasync, tcdrain, lockf, the socket calls
 * (accept, accept4, connect, recv, recvfrom, recvmsg, send, sendto,
 * sendmsg), msgrcv and msgsnd (io_calls.c); sleep, usleep, nanosleep,
 * clock_nanosleep, pause, poll, ppoll, select, pselect, epoll_wait,
 * epoll_pwait, sem_wait, sem_timedwait, sem_clockwait, the condition waits,
 * pthread_join, pthread_timedjoin_np, pthread_testcancel, wait, waitpid,
 * waitid, wait3, wait4, sigsuspend, sigwait, sigwaitinfo and sigtimedwait
 * (waiting_calls.c, thread_waits.c); with their checked and 64-bit forms.
 * Each acts on a pending kill of its thread as the call starts and again as
 * it returns, whatever the call did: a descriptor an open made is then left
 * open, as the C library leaves it. ioctl, dup and fcntl's other commands
 * are not points.
 *
 * Threads. Any thread may make any of these calls at any time. The card's
 * functions are thread-safe, and never call back into these definitions
 * while they hold a lock of their own. errno is the C library's, and a
 * point leaves it as the call set it. */
#pragma once
