// A key of the keyboard as the host takes it, whichever front end read it:
// one of the remote control's keys, the box's standby, or the host's quit.
// What a press does is the same in every front end.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/toolkit/remote_key.h"

#include <optional>

namespace boxsim {

struct KeyPress {
    enum Kind { none, remote, standby, quit } kind = none;
    RemoteKey key{};
};

// While the plug-in's window is open: a remote control's key goes to it;
// standby, or the host being shut down, has the host close it with 0.
std::optional<RemoteKey> keyForWindow(const KeyPress& press, eWidget* window);

// On the host's own screen: OK starts the plug-in again, Exit and quit
// leave; other keys do nothing.
std::optional<HostChoice> hostScreenChoice(const KeyPress& press);

} // namespace boxsim
