/* The C library entry points that the host takes over. Defined here, in a
 * library the host links ahead of the C library, they take the C library's
 * place for the whole process, plug-ins loaded later included:
 *
 * open, ioctl, write, close, and the copies dup and fcntl make, on
 * "/dev/dsp" reach the stand-in card. Every other call goes on to the C
 * library. open() reaches it under four names depending on the caller's
 * build flags: plain, large-file (open64) and the checked forms that
 * _FORTIFY_SOURCE uses (__open_2, __open64_2); fcntl also as fcntl64. All
 * are served. This file is built without those flags so that each name
 * means itself. */
#define _GNU_SOURCE
#include "boxsim/dsp/libc_calls.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*open_fn)(const char*, int, ...);
typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef int (*fcntl_fn)(int, int, ...);
typedef ssize_t (*write_fn)(int, const void*, size_t);
typedef int (*fd_fn)(int);

/* Looked up once; the race of two first calls only looks it up twice. */
static void* next_symbol(void** slot, const char* name) {
    void* f = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        __atomic_store_n(slot, f, __ATOMIC_RELEASE);
    }
    return f;
}

#define NEXT(type, name)                                                                           \
    static type real_##name(void) {                                                                \
        static void* slot;                                                                         \
        return (type)next_symbol(&slot, #name);                                                    \
    }
NEXT(open_fn, open)
NEXT(open_fn, open64)
NEXT(ioctl_fn, ioctl)
NEXT(fcntl_fn, fcntl)
NEXT(fcntl_fn, fcntl64)
NEXT(write_fn, write)
NEXT(fd_fn, close)
NEXT(fd_fn, dup)

static int mode_argument(int flags, va_list args) {
    if ((flags & O_CREAT) || (flags & __O_TMPFILE) == __O_TMPFILE)
        return va_arg(args, int);
    return 0;
}

/* The card's, or the C library's under the name the caller used. */
static int open_served(open_fn real, const char* path, int flags, int mode) {
    if (boxsim_dsp_serves(path))
        return boxsim_dsp_open(flags);
    return real(path, flags, mode);
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = mode_argument(flags, args);
    va_end(args);
    return open_served(real_open(), path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int mode = mode_argument(flags, args);
    va_end(args);
    return open_served(real_open64(), path, flags, mode);
}

/* The checked forms never create, so they take no mode. */
int __open_2(const char* path, int flags) {
    return open_served(real_open(), path, flags, 0);
}

int __open64_2(const char* path, int flags) {
    return open_served(real_open64(), path, flags, 0);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (boxsim_dsp_owns(fd))
        return boxsim_dsp_ioctl(fd, request, arg);
    return real_ioctl()(fd, request, arg);
}

/* Every command's argument fits in a pointer; the C library reads it so too. */
static int fcntl_served(fcntl_fn real, int fd, int cmd, void* arg) {
    const int result = real(fd, cmd, arg);
    if (result >= 0 && (cmd == F_DUPFD || cmd == F_DUPFD_CLOEXEC) && boxsim_dsp_owns(fd))
        boxsim_dsp_dup(fd, result);
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

int dup(int fd) {
    const int result = real_dup()(fd);
    if (result >= 0 && boxsim_dsp_owns(fd))
        boxsim_dsp_dup(fd, result);
    return result;
}

ssize_t write(int fd, const void* data, size_t size) {
    if (boxsim_dsp_owns(fd))
        size = boxsim_dsp_write(fd, size);
    return real_write()(fd, data, size);
}

int close(int fd) {
    if (boxsim_dsp_owns(fd))
        return boxsim_dsp_close(fd);
    return real_close()(fd);
}
