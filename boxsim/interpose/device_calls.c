/* The calls that may reach the stand-in device: every way of opening a path,
 * and ioctl, write, close and the copies on a descriptor (see
 * libc_interpose.h). The opens, write, close and a waiting fcntl are
 * cancellation points as well. Built without large-file and checked-call
 * flags, so that each name defined here means itself. */
#define _GNU_SOURCE
#include "boxsim/interpose/libc_interpose.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/interpose/device_hooks.h"
#include "boxsim/interpose/next_call.h"
#include "boxsim/interpose/open_mode.h"

#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*open_fn)(const char*, int, ...);
typedef int (*open2_fn)(const char*, int);
typedef int (*openat_fn)(int, const char*, int, ...);
typedef int (*openat2_fn)(int, const char*, int);
typedef int (*creat_fn)(const char*, mode_t);
typedef FILE* (*fopen_fn)(const char*, const char*);
typedef FILE* (*freopen_fn)(const char*, const char*, FILE*);
typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef int (*fcntl_fn)(int, int, ...);
typedef ssize_t (*write_fn)(int, const void*, size_t);
typedef int (*fd_fn)(int);
typedef int (*dup2_fn)(int, int);
typedef int (*dup3_fn)(int, int, int);

NEXT(open_fn, open)
NEXT(open_fn, open64)
NEXT(open2_fn, __open_2)
NEXT(open2_fn, __open64_2)
NEXT(openat_fn, openat)
NEXT(openat_fn, openat64)
NEXT(openat2_fn, __openat_2)
NEXT(openat2_fn, __openat64_2)
NEXT(creat_fn, creat)
NEXT(creat_fn, creat64)
NEXT(fopen_fn, fopen)
NEXT(fopen_fn, fopen64)
NEXT(freopen_fn, freopen)
NEXT(freopen_fn, freopen64)
NEXT(ioctl_fn, ioctl)
NEXT(fcntl_fn, fcntl)
NEXT(fcntl_fn, fcntl64)
NEXT(write_fn, write)
NEXT(fd_fn, close)
NEXT(fd_fn, dup)
NEXT(dup2_fn, dup2)
NEXT(dup3_fn, dup3)

/* --- Opening a path ----------------------------------------------------- */

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    POINT("open", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(flags)
                                                    : real_open()(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    POINT("open", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(flags)
                                                    : real_open64()(path, flags, mode));
}

/* The checked forms never create, so they take no mode. */
int __open_2(const char* path, int flags) {
    POINT("open", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(flags)
                                                    : real___open_2()(path, flags));
}

int __open64_2(const char* path, int flags) {
    POINT("open", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(flags)
                                                    : real___open64_2()(path, flags));
}

int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    POINT("openat", boxsim_dsp_serves(dir, path) ? boxsim_dsp_open(flags)
                                                 : real_openat()(dir, path, flags, mode));
}

int openat64(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = boxsim_open_mode(flags, args);
    va_end(args);
    POINT("openat", boxsim_dsp_serves(dir, path) ? boxsim_dsp_open(flags)
                                                 : real_openat64()(dir, path, flags, mode));
}

int __openat_2(int dir, const char* path, int flags) {
    POINT("openat", boxsim_dsp_serves(dir, path) ? boxsim_dsp_open(flags)
                                                 : real___openat_2()(dir, path, flags));
}

int __openat64_2(int dir, const char* path, int flags) {
    POINT("openat", boxsim_dsp_serves(dir, path) ? boxsim_dsp_open(flags)
                                                 : real___openat64_2()(dir, path, flags));
}

int creat(const char* path, mode_t mode) {
    POINT("creat", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(O_WRONLY | O_CREAT | O_TRUNC)
                                                     : real_creat()(path, mode));
}

int creat64(const char* path, mode_t mode) {
    POINT("creat", boxsim_dsp_serves(AT_FDCWD, path) ? boxsim_dsp_open(O_WRONLY | O_CREAT | O_TRUNC)
                                                     : real_creat64()(path, mode));
}

/* A stream on the device holds a descriptor of the card's, as one on a
 * real device would (so fileno() and ioctl() work on it). The C library's
 * stream writes and closes reach the kernel through calls of its own, which
 * nothing can take over: its writes are not noted one by one, and the card
 * learns of its close when it next looks at the descriptor. */
static FILE* device_stream(const char* mode) {
    const int writes = strchr(mode, 'w') || strchr(mode, 'a');
    const int reads = mode[0] == 'r' || strchr(mode, '+');
    const int flags = (reads && writes ? O_RDWR
                       : writes        ? O_WRONLY
                                       : O_RDONLY) |
                      (strchr(mode, 'e') ? O_CLOEXEC : 0);
    const int fd = boxsim_dsp_open(flags);
    if (fd < 0)
        return NULL;
    FILE* stream = fdopen(fd, mode);
    if (!stream) {
        const int saved = errno;
        boxsim_dsp_close(fd);
        errno = saved;
    }
    return stream;
}

FILE* fopen(const char* path, const char* mode) {
    POINT("fopen",
          boxsim_dsp_serves(AT_FDCWD, path) ? device_stream(mode) : real_fopen()(path, mode));
}

FILE* fopen64(const char* path, const char* mode) {
    POINT("fopen",
          boxsim_dsp_serves(AT_FDCWD, path) ? device_stream(mode) : real_fopen64()(path, mode));
}

static FILE* refuse_reopen(FILE* stream) {
    fclose(stream);
    errno = ENOTSUP;
    return NULL;
}

FILE* freopen(const char* path, const char* mode, FILE* stream) {
    POINT("freopen", path && boxsim_dsp_serves(AT_FDCWD, path)
                         ? refuse_reopen(stream)
                         : real_freopen()(path, mode, stream));
}

FILE* freopen64(const char* path, const char* mode, FILE* stream) {
    POINT("freopen", path && boxsim_dsp_serves(AT_FDCWD, path)
                         ? refuse_reopen(stream)
                         : real_freopen64()(path, mode, stream));
}

/* --- Calls on descriptors ----------------------------------------------- */

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (boxsim_dsp_owns(fd))
        return boxsim_dsp_ioctl(fd, request, arg);
    return real_ioctl()(fd, request, arg);
}

static ssize_t write_through(int fd, const void* data, size_t size) {
    if (boxsim_dsp_owns(fd))
        size = boxsim_dsp_write(fd, size);
    return real_write()(fd, data, size);
}

ssize_t write(int fd, const void* data, size_t size) {
    POINT("write", write_through(fd, data, size));
}

int close(int fd) {
    POINT("close", boxsim_dsp_owns(fd) ? boxsim_dsp_close(fd) : real_close()(fd));
}

/* A copy onto new_fd: the card hears of it if either side was the device's. */
static void copied(int fd, int new_fd) {
    if (fd != new_fd && (boxsim_dsp_owns(fd) || boxsim_dsp_owns(new_fd)))
        boxsim_dsp_dup(fd, new_fd);
}

int dup(int fd) {
    const int result = real_dup()(fd);
    if (result >= 0)
        copied(fd, result);
    return result;
}

int dup2(int fd, int new_fd) {
    const int result = real_dup2()(fd, new_fd);
    if (result >= 0)
        copied(fd, new_fd);
    return result;
}

int dup3(int fd, int new_fd, int flags) {
    const int result = real_dup3()(fd, new_fd, flags);
    if (result >= 0)
        copied(fd, new_fd);
    return result;
}

/* Every command's argument fits in a pointer; the C library reads it so too.
 * Only a lock that waits makes fcntl a cancellation point. */
static int fcntl_served(fcntl_fn real, int fd, int cmd, void* arg) {
    int result;
    if (cmd == F_SETLKW || cmd == F_SETLKW64 || cmd == F_OFD_SETLKW) {
        struct boxsim_point point;
        boxsim_point_enter(&point, "fcntl");
        result = real(fd, cmd, arg);
        boxsim_point_leave(&point, "fcntl");
    } else {
        result = real(fd, cmd, arg);
    }
    if (result >= 0 && (cmd == F_DUPFD || cmd == F_DUPFD_CLOEXEC))
        copied(fd, result);
    return result;
}

int fcntl(int fd, int cmd, ...) {
    va_list args;
    va_start(args, cmd);
    void* arg = va_arg(args, void*);
    va_end(args);
    return fcntl_served(real_fcntl(), fd, cmd, arg);
}

int fcntl64(int fd, int cmd, ...) {
    va_list args;
    va_start(args, cmd);
    void* arg = va_arg(args, void*);
    va_end(args);
    return fcntl_served(real_fcntl64(), fd, cmd, arg);
}
