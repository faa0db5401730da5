/* The C library calls boxsim takes over, so that "/dev/dsp" is the stand-in
 * sound card for the whole process, plug-ins loaded later included, as the
 * usual OSS wrappers do. The library that defines them is linked ahead of
 * the C library; this header is its contract, and declares nothing: the
 * definitions replace the C library's own under the C library's names.
 *
 * Which calls. Every way the C library opens a path: open, open64, and the
 * checked __open_2 and __open64_2 that _FORTIFY_SOURCE uses; openat,
 * openat64, __openat_2, __openat64_2; creat, creat64; fopen, fopen64,
 * freopen, freopen64. On the path "/dev/dsp", however it is spelt
 * ("//dev/dsp", "dsp" from /dev), they reach the card (device_hooks.h). Then
 * the calls on descriptors: ioctl, write and close on a descriptor of the
 * device reach the card, and dup, dup2, dup3, fcntl and fcntl64 (F_DUPFD,
 * F_DUPFD_CLOEXEC) are followed, so that the card knows every copy of a
 * device and closes it with its last copy; a dup2 or dup3 onto a copy of
 * the device closes that copy first, as the kernel does.
 *
 * Everything else goes to the C library untouched: every other path, and
 * every descriptor that is not a device's, with the C library's own result
 * and errno.
 *
 * The card. It takes one open at a time, for writing only; a refused open
 * fails with EBUSY (busy) or EACCES (not for writing). fopen of the device
 * gives a stream on a descriptor of the card's (fileno and ioctl work); the
 * C library writes and closes a stream through calls of its own, so those
 * writes are not noted one by one, and the card finds the descriptor closed
 * when it next looks (as for any descriptor closed behind its back, by
 * close_range, say). freopen onto the device fails with ENOTSUP and closes
 * the stream, as a failed freopen does. The card's functions set errno as
 * the C library's would, and leave it alone when they succeed. A forked
 * child's copies of the device's descriptors are plain descriptors to it.
 *
 * Threads. Any thread may make any of these calls at any time. The card's
 * functions are thread-safe, and never call back into these definitions
 * while they hold a lock of their own.
 *
 * Cancellation points, as the C library's calls are: the opens (acted on
 * at their start and while the card waits, never once a descriptor exists),
 * write (while it blocks), close (at its start only: a kill pending there
 * leaves the descriptor open). ioctl, dup and fcntl are not.
 *
 * Writing. A write on the device is noted (the card's call log) before it
 * is made, with the size asked for; the device may then take only part of
 * it, as a device interrupted part way does, and returns the count taken. */
#pragma once
