#include "tests/support/open_fds.h"

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace testfs {

namespace {
std::set<int> numbers_in(const char* dir) {
    std::set<int> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        out.insert(std::stoi(e.path().filename().string()));
    return out;
}
} // namespace

std::set<int> openDescriptors() {
    // The listing's own descriptor is among them: always the same one while
    // the others stay the same.
    return numbers_in("/proc/self/fd");
}

bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

std::string target(int fd) {
    char buffer[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

Descriptors describeDescriptors() {
    Descriptors out;
    for (int fd : openDescriptors())
        out[fd] = target(fd);
    return out;
}

std::vector<std::string> leakedOrClosedSince(const Descriptors& before) {
    const Descriptors now = describeDescriptors();
    std::vector<std::string> out;
    for (const auto& [fd, what] : now) {
        auto was = before.find(fd);
        const bool names_a_file = !what.empty() && what[0] == '/';
        if (names_a_file && (was == before.end() || was->second != what))
            out.push_back("left open: " + std::to_string(fd) + " " + what);
    }
    for (const auto& [fd, what] : before) {
        if (!now.count(fd))
            out.push_back("closed: " + std::to_string(fd) + " " + what);
    }
    return out;
}

std::vector<int> threads() {
    const std::set<int> tids = numbers_in("/proc/self/task");
    return {tids.begin(), tids.end()};
}

} // namespace testfs
