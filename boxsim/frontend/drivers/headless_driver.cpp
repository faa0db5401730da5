#include "boxsim/frontend/drivers/headless_driver.h"

#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/frontend/screen/screenshot.h"
#include "boxsim/frontend/script/screen_dump.h"
#include "boxsim/notices/notices.h"
#include "boxsim/toolkit/thread_registry.h"

#include <thread>

namespace boxsim {

namespace {
using Clock = std::chrono::steady_clock;
}

HeadlessDriver::HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out)
    : steps_(std::move(steps)), out_(out) {}

void HeadlessDriver::shoot(const std::string& path, const WidgetNode* window, int result) {
    // A picture that cannot be written is said once; the session goes on.
    std::string error;
    if (!writeScreenshot(path, window, hostScreen(result), error))
        notice("shot: " + error);
}

void HeadlessDriver::fail(const std::string& why) {
    failure_ = why;
    next_ = steps_.size();
}

bool HeadlessDriver::pass(const ScriptStep& step, std::chrono::milliseconds timeout) {
    if (auto* wait = std::get_if<WaitStep>(&step)) {
        if (!wait_until_)
            wait_until_ = Clock::now() + std::chrono::milliseconds(wait->milliseconds);
        const auto now = Clock::now();
        if (now >= *wait_until_) {
            wait_until_.reset();
            return true;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(*wait_until_ - now, timeout));
        return false;
    }
    // idle
    return liveThreads() == 0 || waitForNoThreads(timeout);
}

std::optional<RemoteKey> HeadlessDriver::nextKey(std::chrono::milliseconds timeout) {
    auto close = [this] {
        if (window_ && inModalLoop(*window_))
            closeWindow(*window_, 0);
    };
    while (next_ < steps_.size() && !shutdownRequested()) {
        const ScriptStep& step = steps_[next_];
        if (auto* key = std::get_if<RemoteKey>(&step)) {
            ++next_;
            return *key;
        }
        if (std::holds_alternative<DumpStep>(step)) {
            if (window_)
                out_ << screenDump(*window_) << std::endl;
            ++next_;
        } else if (auto* shot = std::get_if<ShotStep>(&step)) {
            if (window_) {
                const WidgetNode screen = snapshot(*window_);
                shoot(shot->path, &screen, 0);
            }
            ++next_;
        } else if (std::holds_alternative<HostCloseStep>(step)) {
            ++next_;
            close();
            return std::nullopt;
        } else if (std::holds_alternative<LaunchStep>(step)) {
            fail("\"launch\" while the plug-in's window is open");
        } else if (pass(step, timeout)) {
            ++next_;
        } else {
            // Back to the loop regularly: it draws between keys.
            return std::nullopt;
        }
    }
    close();
    return std::nullopt;
}

HostChoice HeadlessDriver::betweenRuns(int result) {
    window_ = nullptr;
    while (next_ < steps_.size() && !shutdownRequested()) {
        const ScriptStep& step = steps_[next_];
        if (std::holds_alternative<LaunchStep>(step)) {
            ++next_;
            return HostChoice::launch;
        }
        if (std::holds_alternative<HostCloseStep>(step)) {
            fail("\"hostclose\" while no window is open");
        } else if (std::holds_alternative<DumpStep>(step)) {
            const std::vector<std::string> lines = hostScreenLines(hostScreen(result));
            out_ << "host screen: " << lines[0] << " " << lines[1] << std::endl;
            ++next_;
        } else if (auto* shot = std::get_if<ShotStep>(&step)) {
            shoot(shot->path, nullptr, result);
            ++next_;
        } else if (std::holds_alternative<RemoteKey>(step)) {
            ++next_; // the host's screen has no use for the remote's keys
        } else if (pass(step, std::chrono::milliseconds(50))) {
            ++next_;
        }
    }
    return HostChoice::quit;
}

} // namespace boxsim
