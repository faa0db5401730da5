#include "boxsim/frontend/screen/host_screen.h"

#include "boxsim/toolkit/key_table.h"

namespace boxsim {

std::vector<std::string> hostScreenLines(const HostScreen& screen) {
    return {
        screen.plugin + " has returned " + std::to_string(screen.result) + " to the box's menu.",
        screen.playing ? "A file is still playing." : "Nothing is playing.",
        "",
        hostKeys(HostKey::start) + ": start " + screen.plugin + " again | " +
            hostKeys(HostKey::leave) + ": quit",
    };
}

} // namespace boxsim
