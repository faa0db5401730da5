/* The C library's own open, ioctl, write and close, behind the card's
 * interposed entry points. The card uses these for its pipes so that it never
 * goes through itself. */
#pragma once

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

int boxsim_libc_close(int fd);
ssize_t boxsim_libc_write(int fd, const void* data, size_t size);

/* Implemented by the card. */
int boxsim_dsp_serves(const char* path);
int boxsim_dsp_open(int flags);
int boxsim_dsp_owns(int fd);
int boxsim_dsp_ioctl(int fd, unsigned long request, void* arg);
void boxsim_dsp_note_write(int fd, size_t size);
int boxsim_dsp_close(int fd);

#ifdef __cplusplus
}
#endif
