#include "boxsim/frontend/screen/host_screen.h"

#include "boxsim/toolkit/key_table.h"

namespace boxsim {

std::vector<std::string> hostScreenLines(const HostScreen& screen) {
    const KeyBinding* quit = nullptr;
    for (const KeyBinding& b : keyTable()) {
        if (b.action == KeyAction::quit)
            quit = &b;
    }
    std::string leave = keyboardKeys(bindingFor(RemoteKey::exit));
    if (quit)
        leave += "/" + keyboardKeys(*quit);
    return {
        screen.plugin + " has returned " + std::to_string(screen.result) + " to the box's menu.",
        screen.playing ? "A file is still playing." : "Nothing is playing.",
        "",
        keyboardKeys(bindingFor(RemoteKey::ok)) + ": start " + screen.plugin + " again | " + leave +
            ": quit",
    };
}

} // namespace boxsim
