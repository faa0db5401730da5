// The front end for scripts and tests: keys come from a key script, the
// screen goes to a stream as text whenever the script says "dump", and to a
// PNG file on "shot". The script's "hostclose" is the standby key, and its
// "launch" the host screen's start. When the script is over while the
// window is open, the host closes it with result 0, as on standby.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/script/key_script.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace boxsim {

class HeadlessDriver : public FrontEnd {
public:
    // idle_for: how long "idle" waits for the playback threads at most.
    HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out,
                   std::chrono::milliseconds idle_for = idle_limit);

    bool finished() const override { return next_ >= steps_.size() || !failure_.empty(); }
    std::string failure() const override { return failure_; }

protected:
    const KeyBinding* readKey(std::chrono::milliseconds timeout) override;
    void drawWindow(const WidgetNode&, const std::vector<std::string>&) override {}
    void drawHostScreen(const HostScreen&, const std::vector<std::string>&) override {}

private:
    // Runs a wait or idle step for up to timeout; true once it is over.
    bool pass(const ScriptStep& step, std::chrono::milliseconds timeout);
    void fail(const ScriptStep& step, const std::string& why);
    void dump();
    void shoot(const ScriptStep& step, const std::string& path);

    std::vector<ScriptStep> steps_;
    std::size_t next_ = 0;
    std::ostream& out_;
    std::chrono::milliseconds idle_for_;
    // When the wait or idle under way is over.
    std::optional<std::chrono::steady_clock::time_point> until_;
    std::string failure_;
};

} // namespace boxsim
