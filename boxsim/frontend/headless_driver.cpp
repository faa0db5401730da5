#include "boxsim/frontend/headless_driver.h"

#include "boxsim/frontend/screen_dump.h"
#include "boxsim/frontend/shutdown_request.h"
#include "boxsim/toolkit/thread_registry.h"

#include <thread>

namespace boxsim {

HeadlessDriver::HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out)
    : steps_(std::move(steps)), out_(out) {}

std::optional<eRemoteKey> HeadlessDriver::nextKey(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    while (next_ < steps_.size() && !shutdownRequested()) {
        const ScriptStep& step = steps_[next_];
        if (auto* key = std::get_if<eRemoteKey>(&step)) {
            ++next_;
            return *key;
        }
        if (std::holds_alternative<DumpStep>(step)) {
            if (window_)
                out_ << screenDump(*window_) << std::endl;
            ++next_;
            continue;
        }
        if (auto* wait = std::get_if<WaitStep>(&step)) {
            if (!wait_until_)
                wait_until_ = Clock::now() + std::chrono::milliseconds(wait->milliseconds);
            const auto now = Clock::now();
            if (now >= *wait_until_) {
                wait_until_.reset();
                ++next_;
                continue;
            }
            // Come back to the loop regularly: the GUI queue needs running.
            std::this_thread::sleep_for(std::min<Clock::duration>(*wait_until_ - now, timeout));
            return std::nullopt;
        }
        // idle
        if (liveThreads() == 0) {
            ++next_;
            continue;
        }
        waitForNoThreads(timeout);
        return std::nullopt;
    }
    if (window_ && window_->inModalLoop())
        window_->close(0);
    return std::nullopt;
}

} // namespace boxsim
