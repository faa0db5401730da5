// How the stand-in device's sinks and its log tell the person what became
// of what they were given: each report is one notice
// (boxsim/notices/notices.h) naming the sink or log and what went wrong. A
// report of a loss also makes boxsim end with a non-zero status: a capture
// or log that lost nothing is the only kind that ends well.
#pragma once

#include <string>

namespace boxsim::dsp {

enum class Loss {
    none,  // something to know: the sink in use, a fallback taken
    sound, // sound that was played did not reach the sink
    calls, // device calls that did not reach the device log
};

void report(const std::string& line, Loss loss);
// Something has been lost since the session began (or forgetLoss()).
bool somethingWasLost();
void forgetLoss();

} // namespace boxsim::dsp
