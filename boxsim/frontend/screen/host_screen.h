// The host's own screen, between runs of the plug-in: what the plug-in
// returned, whether a file still plays, and the keys to start it again or
// quit. Every front end shows these lines; the headless one prints the
// first two on "dump".
#pragma once

#include <string>
#include <vector>

namespace boxsim {

struct HostScreen {
    std::string plugin; // its window's title, or its file's name
    int result = 0;
    bool playing = false;
};

// Top to bottom, "" for a gap: "Tivra 0.0.1 has returned 0 to the box's
// menu.", whether a file plays, "", the keys.
std::vector<std::string> hostScreenLines(const HostScreen& screen);

} // namespace boxsim
