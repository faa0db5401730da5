#include "boxsim/dsp/device_path.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace boxsim::dsp {
namespace {

// "a//b/./c/../d" as "/a/b/d".
std::string resolved(const std::string& full) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at <= full.size();) {
        const std::size_t end = std::min(full.find('/', at), full.size());
        const std::string part = full.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out;
}

} // namespace

bool namesDevice(int dir, const char* path) {
    // The quick answer for every other open in the process.
    if (std::strstr(path, std::strrchr(device_path, '/') + 1) == nullptr)
        return false;
    std::string full = path;
    if (path[0] != '/') {
        char base[PATH_MAX];
        if (dir == AT_FDCWD) {
            if (!getcwd(base, sizeof base))
                return false;
        } else {
            const std::string link = "/proc/self/fd/" + std::to_string(dir);
            const ssize_t n = readlink(link.c_str(), base, sizeof base - 1);
            if (n < 0)
                return false;
            base[n] = '\0';
        }
        full = std::string(base) + "/" + path;
    }
    return resolved(full) == device_path;
}

bool namesDevice(const std::string& path) {
    return namesDevice(AT_FDCWD, path.c_str());
}

bool machineHasDevice() {
    return access(device_path, F_OK) == 0;
}

} // namespace boxsim::dsp
