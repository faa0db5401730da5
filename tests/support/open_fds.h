// The process's open descriptors, for tests that nothing leaks or is closed
// twice.
#pragma once

#include <set>

namespace testfs {

std::set<int> openDescriptors();
bool isOpen(int fd);

} // namespace testfs
