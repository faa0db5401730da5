// make_demo_disk DIR: writes the demo disk that the run command shows at /hdd.
#include "boxsim/hdd/demo_disk.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_disk DIR\n");
        return 2;
    }
    std::string error;
    if (!boxsim::makeDemoDisk(argv[1], error)) {
        std::fprintf(stderr, "make_demo_disk: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
