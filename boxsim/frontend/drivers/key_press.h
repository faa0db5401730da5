// What a key pressed on the keyboard does, whichever front end read it: the
// key table says which row it is (a remote control's key, the box's
// standby, or the host's quit), and this says what that row does now.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/toolkit/key_table.h"

#include <optional>

namespace boxsim {

// While the plug-in's window is open: a remote control's key goes to it;
// standby, or the host being shut down, has the host close it with 0.
// press is null for no key, or one the table does not have.
std::optional<RemoteKey> keyForWindow(const KeyBinding* press, eWidget* window);

// On the host's own screen: OK starts the plug-in again, Exit and quit
// leave; other keys do nothing.
std::optional<HostChoice> hostScreenChoice(const KeyBinding* press);

} // namespace boxsim
