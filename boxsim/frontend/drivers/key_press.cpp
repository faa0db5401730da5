#include "boxsim/frontend/drivers/key_press.h"

#include "boxsim/frontend/drivers/shutdown_request.h"

namespace boxsim {

std::optional<RemoteKey> keyForWindow(const KeyPress& press, eWidget* window) {
    if (shutdownRequested() || press.kind == KeyPress::standby) {
        if (window && inModalLoop(*window))
            closeWindow(*window, 0);
        return std::nullopt;
    }
    if (press.kind == KeyPress::remote)
        return press.key;
    return std::nullopt;
}

std::optional<HostChoice> hostScreenChoice(const KeyPress& press) {
    if (press.kind == KeyPress::quit)
        return HostChoice::quit;
    if (press.kind != KeyPress::remote)
        return std::nullopt;
    if (press.key == RemoteKey::ok)
        return HostChoice::launch;
    if (press.key == RemoteKey::exit)
        return HostChoice::quit;
    return std::nullopt;
}

} // namespace boxsim
