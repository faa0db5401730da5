// What a key pressed on the keyboard does, whichever front end read it: the
// key table says which row it is (a remote control's key, the box's
// standby, or the host's quit), and this says what that row does now.
#pragma once

#include "boxsim/toolkit/key_table.h"
#include "host/ewidget.h"

#include <optional>
#include <string>

namespace boxsim {

enum class HostChoice { launch, quit };

// While the plug-in's window is open: a remote control's key goes to it;
// standby, or the host being shut down, has the host close it with 0.
// press is null for no key, or one the table does not have.
std::optional<RemoteKey> keyForWindow(const KeyBinding* press, eWidget* window);

// On the host's own screen: the key table's start and leave; other keys do
// nothing.
std::optional<HostChoice> hostScreenChoice(const KeyBinding* press);

// The keys' part of --help: each key, what it does in the plug-in's window
// and on the host's screen, and its word in key scripts.
std::string keysHelp();

} // namespace boxsim
