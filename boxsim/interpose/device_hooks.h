/* What the C library calls taken over in libc_interpose.h hand to the
 * stand-in sound card, which implements these. Each sets errno as the C
 * library's call it stands for would. */
#pragma once

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/* True for the path the card serves, however it is spelt; a relative path
 * is taken from the directory dir (AT_FDCWD: the working directory). */
int boxsim_dsp_serves(int dir, const char* path);
/* An open of the device with these open() flags: its descriptor, or -1. */
int boxsim_dsp_open(int flags);
/* True for a descriptor of the device (or a copy of one). */
int boxsim_dsp_owns(int fd);
int boxsim_dsp_ioctl(int fd, unsigned long request, void* arg);
/* A write of size bytes on the device fd, noted before it is made: returns
 * how many of them the device takes in this call. */
size_t boxsim_dsp_write(int fd, size_t size);
int boxsim_dsp_close(int fd);
/* new_fd has become a copy of fd (dup, fcntl F_DUPFD, dup2, dup3), after
 * what new_fd was before has been closed. */
void boxsim_dsp_dup(int fd, int new_fd);

#ifdef __cplusplus
}
#endif
