#include "tests/support/open_fds.h"

#include <fcntl.h>
#include <filesystem>
#include <string>

namespace testfs {

std::set<int> openDescriptors() {
    // The listing's own descriptor is among them: always the same one while
    // the others stay the same.
    std::set<int> fds;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        fds.insert(std::stoi(e.path().filename().string()));
    return fds;
}

bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace testfs
