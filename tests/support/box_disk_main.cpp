// Test main for the browser: lays out the box's disk, then runs the tests.
#include "tests/support/box_disk.h"

#include "boxsim/hdd/box_root.h"
#include "tests/support/flac_maker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {
std::string hdd, jazz, why_not;
}

const std::string& boxdisk::hddSource() {
    return hdd;
}
const std::string& boxdisk::jazzSource() {
    return jazz;
}
const std::string& boxdisk::unavailable() {
    return why_not;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char base[] = "/tmp/tivra-box-XXXXXX";
    if (!mkdtemp(base)) {
        why_not = "no scratch folder";
    } else {
        hdd = std::string(base) + "/hdd";
        jazz = std::string(base) + "/jazz";
        const std::string root_flac = std::string(base) + "/a.flac";
        mkdir(hdd.c_str(), 0755);
        mkdir(jazz.c_str(), 0755);
        testaudio::writeTone(root_flac, {}, 0.05);
        if (!boxsim::enterBoxRoot({{"hdd", hdd}, {"jazz", jazz}, {"a.flac", root_flac}}, why_not))
            why_not = "the box's disk needs a private mount namespace: " + why_not;
    }
    const int result = RUN_ALL_TESTS();
    std::system(("rm -rf '" + std::string(base) + "'").c_str());
    return result;
}
