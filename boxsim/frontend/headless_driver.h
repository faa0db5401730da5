// The front end for scripts and tests: keys come from a key script, the
// screen goes to a stream as text whenever the script says "dump". When the
// script is over, the host closes the window with result 0.
#pragma once

#include "boxsim/frontend/key_script.h"
#include "boxsim/toolkit/modal_driver.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace boxsim {

class HeadlessDriver : public ModalDriver {
public:
    HeadlessDriver(std::vector<ScriptStep> steps, std::ostream& out);

    void present(eWidget& window) override { window_ = &window; }
    std::optional<eRemoteKey> nextKey(std::chrono::milliseconds timeout) override;

private:
    std::vector<ScriptStep> steps_;
    std::size_t next_ = 0;
    std::ostream& out_;
    eWidget* window_ = nullptr;
    std::optional<std::chrono::steady_clock::time_point> wait_until_;
};

} // namespace boxsim
