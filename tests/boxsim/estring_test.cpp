#include "host/estring.h"

#include <gtest/gtest.h>

TEST(EString, NullPointerMakesEmptyString) {
    const char* none = nullptr;
    EXPECT_EQ(eString(none), "");
}

TEST(EString, LeftRightMidClampToTheString) {
    const eString s = "/hdd/jazz";
    EXPECT_EQ(s.left(4), "/hdd");
    EXPECT_EQ(s.left(99), s);
    EXPECT_EQ(s.right(4), "jazz");
    EXPECT_EQ(s.right(99), s);
    EXPECT_EQ(eString("ab").right(5), "ab");
    EXPECT_EQ(s.mid(4, 1), "/");
    EXPECT_EQ(s.mid(5, 99), "jazz");
    EXPECT_EQ(s.mid(9, 1), "");
    EXPECT_EQ(s.mid(100, 1), "");
}

TEST(EString, UpperTouchesOnlyAsciiLettersAndReturnsItself) {
    eString s = "a.FlAc\xe9\xff 1z";
    eString& same = s.upper();
    EXPECT_EQ(&same, &s);
    EXPECT_EQ(s, "A.FLAC\xe9\xff 1Z");
}

TEST(EString, StrReplaceReplacesEveryOccurrenceLeftToRight) {
    eString path = "//hdd//jazz//";
    EXPECT_EQ(path.strReplace("//", "/"), "/hdd/jazz/");
    eString growing = "aXa";
    EXPECT_EQ(growing.strReplace("a", "aa"), "aaXaa");
    eString untouched = "abc";
    EXPECT_EQ(untouched.strReplace("", "x"), "abc");
}

TEST(EString, SprintfReplacesContentsAndHandlesLongOutput) {
    eString s = "old";
    EXPECT_EQ(s.sprintf("%2.2d:%2.2d", 4, 0), "04:00");
    const std::string big(500, 'x');
    EXPECT_EQ(s.sprintf("<%s>", big.c_str()), "<" + big + ">");
}
