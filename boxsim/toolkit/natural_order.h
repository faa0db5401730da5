// The order the box's file list shows: the up entry "..", then directories
// ("/name"), then everything else; within a group, natural and
// case-insensitive, so "Track 2" comes before "Track 10" and "b" after "A".
#pragma once

#include <cstdint>
#include <string_view>

namespace boxsim {

// Strict weak order on entry texts.
bool listOrderLess(std::string_view a, std::string_view b);

// Natural, case-insensitive comparison of two byte strings: runs of ASCII
// digits compare by value, other bytes by their ASCII-lower-cased value.
// Negative, zero or positive, like strcmp.
int naturalCompare(std::string_view a, std::string_view b);

// A prefix of the list order, for sorting many entries fast: where the
// prefixes of two texts differ they order the texts as listOrderLess does;
// where they are equal, listOrderLess decides.
struct OrderPrefix {
    std::uint64_t high, low;
    bool operator<(const OrderPrefix& o) const {
        return high != o.high ? high < o.high : low < o.low;
    }
    bool operator==(const OrderPrefix& o) const { return high == o.high && low == o.low; }
};
OrderPrefix listOrderPrefix(std::string_view text);

} // namespace boxsim
