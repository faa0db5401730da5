/* Between the interposed C library entry points and the parts of the host
 * they hand calls to: the card and the thread wrapper. */
#pragma once

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Implemented by the host's thread wrapper: true on a thread that has been
 * killed. Weak: a process without the toolkit has no such threads. */
int boxsim_thread_cancelled(void) __attribute__((weak));

/* Implemented by the card. */
int boxsim_dsp_serves(const char* path);
int boxsim_dsp_open(int flags);
int boxsim_dsp_owns(int fd);
int boxsim_dsp_ioctl(int fd, unsigned long request, void* arg);
void boxsim_dsp_note_write(int fd, size_t size);
int boxsim_dsp_close(int fd);
/* new_fd is a copy of the device descriptor fd (dup, fcntl F_DUPFD). */
void boxsim_dsp_dup(int fd, int new_fd);

#ifdef __cplusplus
}
#endif
