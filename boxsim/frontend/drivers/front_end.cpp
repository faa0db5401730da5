#include "boxsim/frontend/drivers/front_end.h"

#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/toolkit/thread_registry.h"

namespace boxsim {
namespace {
// How often the host's screen looks again: whether a file still plays.
constexpr std::chrono::milliseconds host_screen_poll{100};
} // namespace

void FrontEnd::present(eWidget& window) {
    const std::string title = textOf(window);
    if (!title.empty())
        plugin_name_ = title;
    window_ = &window;
    drawWindow(snapshot(window), stripEntries(KeyScreen::window));
}

std::optional<RemoteKey> FrontEnd::nextKey(std::chrono::milliseconds timeout) {
    returning();
    return keyForWindow(readKey(timeout), window_);
}

void FrontEnd::loopEnded(eWidget&) {
    away_ = true;
}

void FrontEnd::hidden(eWidget& window) {
    // Nothing beneath takes keys until the host's screen is back.
    if (&window == window_)
        drawWindow(snapshot(window), {});
}

HostChoice FrontEnd::betweenRuns(int result) {
    window_ = nullptr;
    result_ = result;
    returning();
    while (!shutdownRequested()) {
        drawHostScreen(hostScreen(), stripEntries(KeyScreen::host));
        if (auto choice = hostScreenChoice(readKey(host_screen_poll))) {
            away_ = true;
            return *choice;
        }
    }
    return HostChoice::quit;
}

HostScreen FrontEnd::hostScreen() const {
    return {plugin_name_, result_, liveThreads() > 0};
}

void FrontEnd::returning() {
    if (away_)
        dropPendingKeys();
    away_ = false;
}

} // namespace boxsim
