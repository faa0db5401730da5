#include "boxsim/frontend/drivers/shutdown_request.h"

#include <csignal>
#include <initializer_list>

namespace boxsim {
namespace {

std::atomic<bool> requested{false};

void on_signal(int) {
    requested = true;
}

} // namespace

void watchForShutdown() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
}

bool shutdownRequested() {
    return requested.load();
}

void requestShutdown() {
    requested = true;
}

} // namespace boxsim
