// The front end for scripts and tests: keys come from a key script, the
// screen goes to a stream as text whenever the script says "dump", and to a
// PNG file on "shot". When the script is over while the window is open, the
// host closes it with result 0.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/script/key_script.h"
#include "boxsim/toolkit/widget_tree.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace boxsim {

class HeadlessDriver : public FrontEnd {
public:
    HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out);

    void draw(eWidget& window) override { window_ = &window; }
    std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) override;
    HostChoice betweenRuns(int result) override;
    bool finished() const override { return next_ >= steps_.size() || !failure_.empty(); }
    std::string failure() const override { return failure_; }

private:
    // Runs a wait or idle step for up to timeout; true once it is over.
    bool pass(const ScriptStep& step, std::chrono::milliseconds timeout);
    void fail(const std::string& why);
    void shoot(const std::string& path, const WidgetNode* window, int result);

    std::vector<ScriptStep> steps_;
    std::size_t next_ = 0;
    std::ostream& out_;
    eWidget* window_ = nullptr;
    std::optional<std::chrono::steady_clock::time_point> wait_until_;
    std::string failure_;
};

} // namespace boxsim
