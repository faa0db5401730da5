#include "boxsim/dsp/output_path.h"

#include "boxsim/dsp/device_path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

// The path with its folder resolved, links included; as given where the
// folder does not resolve.
std::string in_resolved_folder(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved))
        return path;
    return std::string(resolved) + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
}

} // namespace

Output openOutput(const std::string& path, int flags) {
    Output out;
    if (path.empty()) {
        out.why = "no file is named";
        return out;
    }
    if (namesDevice(path)) {
        out.why = "it is the device itself";
        return out;
    }
    out.fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | flags, 0644);
    struct stat st;
    if (out.fd < 0) {
        const int error = errno;
        // ENXIO is also a socket's answer, which no open reaches.
        out.no_reader = error == ENXIO && stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
        if (!out.no_reader)
            out.why = std::strerror(error);
        return out;
    }
    if (fstat(out.fd, &st) == 0 && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) &&
        !isatty(out.fd)) {
        ::close(out.fd);
        out.fd = -1;
        out.why = "it is a device, not a file or a pipe";
    }
    return out;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return in_resolved_folder(a) == in_resolved_folder(b);
}

} // namespace boxsim::dsp
