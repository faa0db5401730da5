// The host being asked to shut down (Ctrl-C, SIGTERM, a closed terminal, the
// window's close button): front ends then close the window with result 0,
// and the host stops what the plug-in left running before it unloads it.
// What asked is kept, so that the host can end as a shell expects.
#pragma once

#include <optional>

namespace boxsim {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP.
void watchForShutdown();
bool shutdownRequested();
// The host asks itself to shut down: as signal would (Ctrl-C pressed in the
// window is SIGINT), or for no signal at all (0: the window's close button).
// The first request is the one remembered.
void requestShutdown(int signal);
// After a signal asked, the status the host ends with: 128 + the signal's
// number (130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP); otherwise none.
std::optional<int> shutdownExitStatus();

} // namespace boxsim
