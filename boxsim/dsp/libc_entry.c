/* The entry points through which the player's device calls reach the card.
 * Defined here, in a library the host links ahead of the C library, they take
 * the place of the C library's for the whole process, plug-ins loaded later
 * included. A call that is not about the device goes on to the C library.
 *
 * open() reaches the C library under four names depending on the caller's
 * build flags: plain, large-file (open64) and the checked forms that
 * _FORTIFY_SOURCE uses (__open_2, __open64_2). All four are served. This
 * file is built without those flags so that each name means itself. */
#define _GNU_SOURCE
#include "boxsim/dsp/libc_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*open_fn)(const char*, int, ...);
typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef ssize_t (*write_fn)(int, const void*, size_t);
typedef int (*close_fn)(int);

/* Looked up once; the race of two first calls only looks it up twice. */
static void* next_symbol(void** slot, const char* name) {
    void* f = __atomic_load_n(slot, __ATOMIC_ACQUIRE);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        __atomic_store_n(slot, f, __ATOMIC_RELEASE);
    }
    return f;
}

static open_fn real_open(void) {
    static void* slot;
    return (open_fn)next_symbol(&slot, "open");
}

static open_fn real_open64(void) {
    static void* slot;
    return (open_fn)next_symbol(&slot, "open64");
}

static ioctl_fn real_ioctl(void) {
    static void* slot;
    return (ioctl_fn)next_symbol(&slot, "ioctl");
}

static write_fn real_write(void) {
    static void* slot;
    return (write_fn)next_symbol(&slot, "write");
}

static close_fn real_close(void) {
    static void* slot;
    return (close_fn)next_symbol(&slot, "close");
}

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

ssize_t write(int fd, const void* data, size_t size) {
    if (boxsim_dsp_owns(fd))
        boxsim_dsp_note_write(fd, size);
    return real_write()(fd, data, size);
}

int close(int fd) {
    if (boxsim_dsp_owns(fd))
        return boxsim_dsp_close(fd);
    return real_close()(fd);
}

int boxsim_libc_close(int fd) {
    return real_close()(fd);
}
