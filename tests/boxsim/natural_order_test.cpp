#include "boxsim/toolkit/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using boxsim::listOrderLess;
using boxsim::naturalCompare;

TEST(ListOrder, UpEntryThenDirectoriesThenFiles) {
    std::vector<std::string> entries = {"b.flac", "/zeta", "A.flac", "..", "/Alpha", "..x.flac"};
    std::sort(entries.begin(), entries.end(), listOrderLess);
    EXPECT_EQ(entries,
              (std::vector<std::string>{"..", "/Alpha", "/zeta", "..x.flac", "A.flac", "b.flac"}));
}

TEST(ListOrder, NumbersCompareByValue) {
    std::vector<std::string> entries = {"Track 10.flac", "Track 2.flac", "Track 1.flac",
                                        "track 02.flac"};
    std::sort(entries.begin(), entries.end(), listOrderLess);
    EXPECT_EQ(entries, (std::vector<std::string>{"Track 1.flac", "Track 2.flac", "track 02.flac",
                                                 "Track 10.flac"}));
}

TEST(ListOrder, HugeDigitRunsDoNotOverflow) {
    EXPECT_LT(naturalCompare("x99999999999999999999999", "x100000000000000000000000"), 0);
    EXPECT_GT(naturalCompare("x100000000000000000000001", "x100000000000000000000000"), 0);
}

TEST(ListOrder, CaseOnlyDifferencesStillGiveAStrictOrder) {
    EXPECT_EQ(naturalCompare("abc", "ABC"), 0);
    EXPECT_NE(listOrderLess("abc", "ABC"), listOrderLess("ABC", "abc"));
    EXPECT_FALSE(listOrderLess("abc", "abc"));
}

TEST(ListOrder, PrefixComesFirstAndBytesAboveAsciiAreKept) {
    EXPECT_LT(naturalCompare("a", "ab"), 0);
    EXPECT_LT(naturalCompare("a\x01", "a\xff"), 0);
}
