// The box's sound device, by the path the plug-in opens, and the test of
// whether a path names it however it is spelt. The card serves that path;
// a capture or a log must never be written there, since it would be opened
// as the device itself.
#pragma once

#include <string>

namespace boxsim::dsp {

inline constexpr const char* device_path = "/dev/dsp";

// path, taken from the directory dir (AT_FDCWD: the working directory)
// with "." and ".." and doubled slashes resolved, is device_path. Links
// are not followed, as a driver's node has none.
bool namesDevice(int dir, const char* path);
bool namesDevice(const std::string& path);

// This machine has a node of its own at device_path.
bool machineHasDevice();

} // namespace boxsim::dsp
