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

TEST(ListOrder, PrefixesNeverContradictTheOrder) {
    // Texts of letters in both cases, digits with and without leading zeros,
    // long digit runs, "/" and ".": wherever two prefixes differ, they must
    // order the texts as the comparison does.
    const std::string alphabet = "aAbZ0019/.-\xe9";
    std::uint32_t seed = 20261207;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    std::vector<std::string> texts = {"..", "/", "", "x99999999999", "x0000000001"};
    for (int i = 0; i < 400; ++i) {
        std::string t = next() % 3 ? "" : "/";
        for (std::size_t n = next() % 20; n > 0; --n)
            t += alphabet[next() % alphabet.size()];
        texts.push_back(t);
    }
    int decided = 0;
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const auto pa = boxsim::listOrderPrefix(a), pb = boxsim::listOrderPrefix(b);
            if (pa == pb)
                continue;
            ++decided;
            ASSERT_EQ(pa < pb, listOrderLess(a, b)) << '"' << a << "\" \"" << b << '"';
        }
    }
    EXPECT_GT(decided, 100000) << "the prefixes should decide most pairs";
}
