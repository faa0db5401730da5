/* Between the interposed C library entry points and the card they hand
 * device calls to. */
#pragma once

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Implemented by the card. */
int boxsim_dsp_serves(const char* path);
int boxsim_dsp_open(int flags);
int boxsim_dsp_owns(int fd);
int boxsim_dsp_ioctl(int fd, unsigned long request, void* arg);
/* A write of size bytes on the device fd, noted before it is made: returns
 * how many of them the device takes in this call. */
size_t boxsim_dsp_write(int fd, size_t size);
int boxsim_dsp_close(int fd);
/* new_fd is a copy of the device descriptor fd (dup, fcntl F_DUPFD). */
void boxsim_dsp_dup(int fd, int new_fd);

#ifdef __cplusplus
}
#endif
