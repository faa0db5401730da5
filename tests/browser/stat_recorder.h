// Records the paths the browser asks the status of, so a test can see how
// candidate paths were built. Covers stat and lstat in every form the C
// library offers them under.
#pragma once

#include <string>
#include <vector>

namespace statrec {

void start();
std::vector<std::string> stop();

} // namespace statrec
