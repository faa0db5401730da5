#include "boxsim/frontend/drivers/key_press.h"

#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/toolkit/modal_driver.h"

#include <algorithm>

namespace boxsim {

std::optional<RemoteKey> keyForWindow(const KeyBinding* press, eWidget* window) {
    if (shutdownRequested() || (press && press->action == KeyAction::standby)) {
        if (window && inModalLoop(*window))
            closeWindow(*window, 0);
        return std::nullopt;
    }
    if (press && press->action == KeyAction::remote)
        return press->remote;
    return std::nullopt;
}

std::optional<HostChoice> hostScreenChoice(const KeyBinding* press) {
    if (!press)
        return std::nullopt;
    switch (press->host) {
    case HostKey::none: return std::nullopt;
    case HostKey::start: return HostChoice::launch;
    case HostKey::leave: return HostChoice::quit;
    }
    return std::nullopt;
}

std::string keysHelp() {
    auto column = [](const char* text, std::size_t width) {
        std::string out = text ? text : "-";
        out.resize(std::max(out.size() + 1, width), ' ');
        return out;
    };
    std::string out = "  " + column("key", 16) + column("in the window", 15) +
                      column("host's screen", 15) + "key script\n";
    for (const KeyBinding& b : keyTable()) {
        const char* word = b.word ? b.word : b.action == KeyAction::standby ? "(hostclose)" : "-";
        out += "  " + column(keyboardKeys(b).c_str(), 16) + column(b.help, 15) +
               column(hostHelp(b.host), 15) + word + "\n";
    }
    return out;
}

} // namespace boxsim
