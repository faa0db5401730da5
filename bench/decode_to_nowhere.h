// libFLAC's own decode loop, as a yardstick: the library's stream decoder on
// a file, MD5 checking on, every decoded frame dropped. What a player cannot
// do with less.
#pragma once

#include <string>

namespace bench {

// False if the library would not open or decode the file.
bool decodeToNowhere(const std::string& path);

} // namespace bench
