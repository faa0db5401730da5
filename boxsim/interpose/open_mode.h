/* Which opens carry a third argument, the new file's mode: one fact for
 * everything in boxsim that takes over the C library's open. */
#pragma once

#include <fcntl.h>
#include <stdarg.h>

static inline int boxsim_open_mode(int flags, va_list args) {
    if ((flags & O_CREAT) || (flags & __O_TMPFILE) == __O_TMPFILE)
        return va_arg(args, int);
    return 0;
}
