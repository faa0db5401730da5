// The host's own screen, between runs of the plug-in: what the plug-in
// returned, whether a file still plays, and the keys to start it again or
// quit. Front ends draw it from these texts.
#pragma once

#include <string>

namespace boxsim {

// "Tivra has returned 0 to the box's menu."
std::string hostScreenTitle(int result);
// Whether playback goes on without a window.
std::string hostScreenStatus(bool playing);

inline constexpr const char* hostScreenKeys = "Enter: start Tivra again | Esc/q: quit";

} // namespace boxsim
