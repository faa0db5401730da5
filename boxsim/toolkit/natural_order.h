// The order the box's file list shows: the up entry "..", then directories
// ("/name"), then everything else; within a group, natural and
// case-insensitive, so "Track 2" comes before "Track 10" and "b" after "A".
#pragma once

#include <string>

namespace boxsim {

// Strict weak order on entry texts.
bool listOrderLess(const std::string& a, const std::string& b);

// Natural, case-insensitive comparison of two byte strings: runs of ASCII
// digits compare by value, other bytes by their ASCII-lower-cased value.
// Negative, zero or positive, like strcmp.
int naturalCompare(const std::string& a, const std::string& b);

} // namespace boxsim
