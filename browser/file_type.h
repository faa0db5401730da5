// What the browser needs to know of a path: directory, regular file, or
// neither (including a path whose status cannot be read). The type is the
// status's mode masked with 0xF000, as the box's C library has it.
#pragma once

#include "host/estring.h"

#include <sys/stat.h>

inline bool mode_is_directory(mode_t mode) {
    return (mode & 0xF000) == 0x4000;
}

inline bool mode_is_regular_file(mode_t mode) {
    return (mode & 0xF000) == 0x8000;
}

// Follows symbolic links.
inline bool path_is_directory(const eString& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && mode_is_directory(st.st_mode);
}

// Follows symbolic links.
inline bool path_is_regular_file(const eString& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && mode_is_regular_file(st.st_mode);
}
