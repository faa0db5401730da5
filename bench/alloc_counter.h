// Counts the process's heap allocations while switched on: calls, bytes live
// and the peak. The bench program replaces malloc and friends to feed it.
#pragma once

#include <cstddef>

namespace bench {

void startCounting();
void stopCounting();
std::size_t allocationsCounted();
// Highest number of bytes live at once since startCounting(), above the
// bytes live when it began.
std::size_t peakBytes();

} // namespace bench
