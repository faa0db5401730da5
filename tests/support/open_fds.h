// The process's open descriptors and threads, for tests that nothing leaks,
// nothing is closed twice, and signals reach every thread.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace testfs {

std::set<int> openDescriptors();
bool isOpen(int fd);
// What a descriptor refers to ("/hdd/a.flac", "pipe:[123]"), or "".
std::string target(int fd);

// Descriptors with what they refer to.
using Descriptors = std::map<int, std::string>;
Descriptors describeDescriptors();
// Since before: descriptors that now name a file and did not before (a file
// or the device left open), and those that were open and are gone (closed
// twice, or closed for somebody else). A pipe or socket that appeared is
// somebody else's (a sanitizer's, a thread of the host's): the stand-in
// device's own pipes are counted by the card.
std::vector<std::string> leakedOrClosedSince(const Descriptors& before);

// The thread ids of this process.
std::vector<int> threads();

} // namespace testfs
