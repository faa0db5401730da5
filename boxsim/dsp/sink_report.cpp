#include "boxsim/dsp/sink_report.h"

#include "boxsim/notices/notices.h"

#include <atomic>

namespace boxsim::dsp {
namespace {
std::atomic<bool> lost{false};
} // namespace

void report(const std::string& line, Loss loss) {
    if (loss != Loss::none)
        lost = true;
    notice(line);
}

bool somethingWasLost() {
    return lost;
}

void forgetLoss() {
    lost = false;
}

} // namespace boxsim::dsp
