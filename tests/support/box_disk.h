// The disk the browser and player tests run on: this test process sees a scratch folder
// at "/hdd", and a scratch folder "/jazz" and a FLAC file "/a.flac" at the
// root, in its own mount namespace. Made once, before any test runs.
#pragma once

#include <string>

namespace boxdisk {

// The real paths behind "/hdd" and "/jazz", to fill before listing.
const std::string& hddSource();
const std::string& jazzSource();
// Empty when the namespace was made; otherwise why not.
const std::string& unavailable();

} // namespace boxdisk

// Skips a test that needs the box's disk where it could not be made.
#define REQUIRE_BOX_DISK()                                                                         \
    do {                                                                                           \
        if (!boxdisk::unavailable().empty())                                                       \
            GTEST_SKIP() << boxdisk::unavailable();                                                \
    } while (0)
