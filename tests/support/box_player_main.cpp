// Test main for the box's disk: a folder at /hdd, a folder /jazz and a file
// /a.flac at the root, in a private mount namespace; then the tests, under
// the host's kill model that --kill=MODEL names (cancel by default).
#include "boxsim/hdd/box_root.h"
#include "boxsim/toolkit/kill_model.h"
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto chosen = boxsim::killModelNamed(arg.substr(arg.find('=') + 1));
        if (arg.rfind("--kill=", 0) != 0 || !chosen) {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
        boxsim::setKillModel(*chosen);
    }
    // The folders behind the disk, removed after the tests; under /mnt, where
    // the namespace's own root is mounted, so that both must still show.
    const testfs::ScratchDir base("/mnt");
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
