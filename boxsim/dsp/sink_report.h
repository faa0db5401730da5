// How the stand-in device's sinks tell the person what became of the sound:
// each report is one notice (boxsim/notices/notices.h) naming the sink and
// what went wrong. A report of lost sound also makes boxsim end with a
// non-zero status: a capture that lost nothing is the only kind that ends
// well.
#pragma once

#include <string>

namespace boxsim::dsp {

enum class Loss {
    none,  // something to know: the sink in use, a fallback taken
    sound, // sound that was played did not reach the sink
};

void report(const std::string& line, Loss loss);
// Some sound has been lost since the session began (or forgetLoss()).
bool soundWasLost();
void forgetLoss();

} // namespace boxsim::dsp
