#include "boxsim/frontend/drivers/key_press.h"

#include "boxsim/frontend/drivers/shutdown_request.h"

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
    if (!press || press->action == KeyAction::standby)
        return std::nullopt;
    if (press->action == KeyAction::quit || press->remote == RemoteKey::exit)
        return HostChoice::quit;
    if (press->remote == RemoteKey::ok)
        return HostChoice::launch;
    return std::nullopt;
}

} // namespace boxsim
