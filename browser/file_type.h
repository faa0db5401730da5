// What the browser needs to know of a path: directory, regular file, or
// neither (including a path whose status cannot be read).
#pragma once

#include "host/estring.h"

#include <sys/stat.h>

// Follows symbolic links.
inline bool path_is_directory(const eString& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & 0xF000) == 0x4000;
}

// Follows symbolic links.
inline bool path_is_regular_file(const eString& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & 0xF000) == 0x8000;
}
