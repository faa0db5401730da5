// The host being asked to shut down (Ctrl-C, SIGTERM, a closed terminal):
// front ends then close the window with result 0, and the host stops what
// the plug-in left running before it unloads it.
#pragma once

#include <atomic>

namespace boxsim {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP.
void watchForShutdown();
bool shutdownRequested();
// The host asks itself to shut down, as a signal would (a window's close button).
void requestShutdown();

} // namespace boxsim
