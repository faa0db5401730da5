#include "boxsim/frontend/drivers/shutdown_request.h"

#include <atomic>

namespace boxsim {
namespace {

// -1 while nobody asked, else the signal that did (0 for none). Lock-free,
// so the signal handler may set it.
std::atomic<int> asked_by{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void on_signal(int signal) {
    requestShutdown(signal);
}

} // namespace

void watchForShutdown() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (const ShutdownSignal& signal : shutdown_signals)
        sigaction(signal.number, &action, nullptr);
}

bool shutdownRequested() {
    return asked_by.load() >= 0;
}

void requestShutdown(int signal) {
    int nobody = -1;
    asked_by.compare_exchange_strong(nobody, signal);
}

std::optional<int> shutdownExitStatus() {
    const int signal = asked_by.load();
    if (signal <= 0)
        return std::nullopt;
    return 128 + signal;
}

} // namespace boxsim
