#include "boxsim/frontend/drivers/headless_driver.h"

#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/frontend/screen/screenshot.h"
#include "boxsim/frontend/script/screen_dump.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/notices/notices.h"
#include "boxsim/toolkit/thread_registry.h"

#include <thread>

namespace boxsim {

namespace {

using Clock = std::chrono::steady_clock;

std::string at_line(const ScriptStep& step) {
    return "line " + std::to_string(step.line) + ": ";
}

// The key table's row that does this, for the script's words that are keys.
template <class Pred> const KeyBinding* row_where(Pred pred) {
    for (const KeyBinding& b : keyTable()) {
        if (pred(b))
            return &b;
    }
    return nullptr;
}

const KeyBinding* standby() {
    return row_where([](const KeyBinding& b) { return b.action == KeyAction::standby; });
}

const KeyBinding* host_key(HostKey key) {
    return row_where([key](const KeyBinding& b) { return b.host == key; });
}

std::string duration(std::chrono::milliseconds span) {
    if (span.count() % 60000 == 0)
        return std::to_string(span.count() / 60000) + " minutes";
    return std::to_string(span.count()) + " ms";
}

} // namespace

HeadlessDriver::HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out,
                               std::chrono::milliseconds idle_for)
    : steps_(std::move(steps)), out_(out), idle_for_(idle_for) {}

void HeadlessDriver::fail(const ScriptStep& step, const std::string& why) {
    failure_ = at_line(step) + why;
    next_ = steps_.size();
}

void HeadlessDriver::dump() {
    if (window()) {
        out_ << screenDump(*window()) << std::endl;
        return;
    }
    const std::vector<std::string> lines = hostScreenLines(hostScreen());
    out_ << "host screen: " << lines[0] << " " << lines[1] << std::endl;
}

void HeadlessDriver::shoot(const ScriptStep& step, const std::string& path) {
    // A picture that cannot be written is said once; the session goes on.
    std::string error;
    std::optional<WidgetNode> screen;
    if (window())
        screen = snapshot(*window());
    if (!writeScreenshot(path, screen ? &*screen : nullptr, hostScreen(), error))
        notice(at_line(step) + "shot " + quotedName(path) + ": " + error);
}

bool HeadlessDriver::pass(const ScriptStep& step, std::chrono::milliseconds timeout) {
    using std::chrono::milliseconds;
    const auto* wait = std::get_if<WaitStep>(&step.action);
    if (!until_)
        until_ = Clock::now() + (wait ? milliseconds(wait->milliseconds) : idle_for_);
    const Clock::duration left = *until_ - Clock::now();
    const bool over = wait ? left <= Clock::duration::zero() : liveThreads() == 0;
    if (!over && left <= Clock::duration::zero())
        notice(at_line(step) + "idle: still playing after " + duration(idle_for_) +
               "; going on (has the sink stopped?)");
    if (over || left <= Clock::duration::zero()) {
        until_.reset();
        return true;
    }
    const auto slice = std::chrono::ceil<milliseconds>(std::min<Clock::duration>(left, timeout));
    if (wait)
        std::this_thread::sleep_for(slice);
    else if (waitForNoThreads(slice))
        until_.reset();
    return !until_;
}

const KeyBinding* HeadlessDriver::readKey(std::chrono::milliseconds timeout) {
    const bool open = window() != nullptr;
    while (next_ < steps_.size() && !shutdownRequested()) {
        const ScriptStep& step = steps_[next_];
        if (auto* key = std::get_if<RemoteKey>(&step.action)) {
            ++next_;
            // The host's screen has no use for the remote's keys.
            if (open)
                return &bindingFor(*key);
        } else if (std::holds_alternative<HostCloseStep>(step.action)) {
            if (!open) {
                fail(step, "\"hostclose\" while no window is open");
                break;
            }
            ++next_;
            return standby();
        } else if (std::holds_alternative<LaunchStep>(step.action)) {
            if (open) {
                fail(step, "\"launch\" while the plug-in's window is open");
                break;
            }
            ++next_;
            return host_key(HostKey::start);
        } else if (std::holds_alternative<DumpStep>(step.action)) {
            dump();
            ++next_;
        } else if (auto* shot = std::get_if<ShotStep>(&step.action)) {
            shoot(step, shot->path);
            ++next_;
        } else if (pass(step, timeout)) {
            ++next_;
        } else {
            // Back to the loop regularly: it draws between keys.
            return nullptr;
        }
    }
    // Over: the window is closed as on standby, the host's screen left.
    return open ? standby() : host_key(HostKey::leave);
}

} // namespace boxsim
