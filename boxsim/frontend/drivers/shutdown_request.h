// The host being asked to shut down (Ctrl-C, a signal of shutdown_signals,
// the window's close button): front ends then close the window with result 0,
// and the host stops what the plug-in left running before it unloads it.
// What asked is kept, so that the host can end as a shell expects.
#pragma once

#include <csignal>
#include <optional>

namespace boxsim {

// The signals that end the host in order rather than at once: Ctrl-C, a
// closed terminal, and those a user or a script sends to end a program.
struct ShutdownSignal {
    int number;
    const char* name;
};
inline constexpr ShutdownSignal shutdown_signals[] = {
    {SIGINT, "SIGINT"},   {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"},   {SIGQUIT, "SIGQUIT"},
    {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"}, {SIGALRM, "SIGALRM"},
};

// Installs the handlers for shutdown_signals.
void watchForShutdown();
bool shutdownRequested();
// The host asks itself to shut down: as signal would (Ctrl-C pressed in the
// window is SIGINT), or for no signal at all (0: the window's close button).
// The first request is the one remembered.
void requestShutdown(int signal);
// After a signal asked, the status the host ends with: 128 + the signal's
// number (130 for SIGINT, 143 for SIGTERM); otherwise none.
std::optional<int> shutdownExitStatus();

} // namespace boxsim
