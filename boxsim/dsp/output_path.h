// What a capture or the device log may be written into: a file, a pipe, a
// named pipe or a terminal. Not the device itself, which would
// take its own output, nor another device (/dev/null, /dev/zero, /dev/full,
// a disk), which keeps nothing of it or would be overwritten.
#pragma once

#include <string>

namespace boxsim::dsp {

struct Output {
    int fd = -1;            // open for writing, non-blocking; or -1
    bool no_reader = false; // a named pipe nobody reads yet
    std::string why;        // when neither: why it cannot be written
};

// Opens path with O_WRONLY | O_CLOEXEC | O_NONBLOCK and these flags.
Output openOutput(const std::string& path, int flags);

// a and b are one file: the same node where both exist, else the same path
// once the folder each is in is resolved.
bool sameFile(const std::string& a, const std::string& b);

} // namespace boxsim::dsp
