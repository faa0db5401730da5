// Test main for the box's disk: a folder at /hdd, a folder /jazz and a file
// /a.flac at the root, in a private mount namespace; then the tests.
#include "boxsim/hdd/box_root.h"
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    const testfs::ScratchDir base; // the folders behind the disk, removed after the tests
    base.mkdir("hdd");
    base.mkdir("jazz");
    testaudio::writeTone(base / "a.flac", {}, 1.0); // outlasts a stalled card
    std::string why;
    if (!boxsim::enterBoxRoot(
            {{"hdd", base / "hdd"}, {"jazz", base / "jazz"}, {"a.flac", base / "a.flac"}}, why)) {
        std::fprintf(stderr, "the box's disk needs a private mount namespace: %s\n", why.c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
