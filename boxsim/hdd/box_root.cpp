#include "boxsim/hdd/box_root.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace boxsim {
namespace {

std::string why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool write_text(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// What a refused namespace means for the person who asked for one.
const char* const namespace_advice =
    ". This needs a private mount namespace: run as root, or allow unprivileged user "
    "namespaces (sysctl kernel.unprivileged_userns_clone=1), or leave out --hdd to browse the "
    "real /hdd";

bool enter_namespace(std::string& error) {
    if (geteuid() == 0) {
        if (unshare(CLONE_NEWNS) == 0)
            return true;
        error = why("unshare(CLONE_NEWNS)") + namespace_advice;
        return false;
    }
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        error = why("unshare(CLONE_NEWUSER | CLONE_NEWNS)") + namespace_advice;
        return false;
    }
    // Stay who we are inside: our own uid and gid map to themselves.
    write_text("/proc/self/setgroups", "deny");
    if (!write_text("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !write_text("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
        error = why("writing the user namespace's id maps");
        return false;
    }
    return true;
}

// With the mounts beneath the source: the real root's entries need them, and
// a user namespace may bind a tree only whole.
bool bind(const std::string& source, const std::string& target, bool directory,
          std::string& error) {
    if (directory) {
        if (mkdir(target.c_str(), 0755) != 0 && errno != EEXIST) {
            error = why(("mkdir " + target).c_str());
            return false;
        }
    } else {
        const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    if (mount(source.c_str(), target.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
        error = why(("binding " + source + " at " + target).c_str());
        return false;
    }
    return true;
}

// A file or directory held open without reading it, so that it can still be
// bound once a mount hides its path.
class Held {
public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(const std::string& path, std::string& error) {
        fd_ = ::open(path.c_str(), O_PATH | O_CLOEXEC);
        if (fd_ < 0)
            error = why(path.c_str());
        return fd_ >= 0;
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    bool isDirectory() const {
        struct stat st;
        return fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode);
    }

private:
    int fd_ = -1;
};

} // namespace

bool enterBoxRoot(const std::map<std::string, std::string>& shown, std::string& error) {
    for (const auto& [name, source] : shown) {
        struct stat st;
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            error = "not a top-level name: \"" + name + "\"";
            return false;
        }
        if (stat(source.c_str(), &st) != 0) {
            error = why(source.c_str());
            return false;
        }
    }
    char cwd[PATH_MAX];
    const bool have_cwd = getcwd(cwd, sizeof cwd) != nullptr;
    // Resolved before the move: relative sources mean what they meant here.
    std::map<std::string, std::string> sources;
    for (const auto& [name, source] : shown) {
        char resolved[PATH_MAX];
        sources[name] = realpath(source.c_str(), resolved) ? resolved : source;
    }

    if (!enter_namespace(error))
        return false;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        error = why("making the mounts private");
        return false;
    }

    // The real root, named so that no path rewriting between us and the
    // kernel (qemu-user's sysroot prefix, for one) can swap in another.
    const std::string real_root = "/proc/self/root";
    // The new root is mounted over /mnt, inside this namespace only, which
    // hides what /mnt holds. So the real /mnt, and every source (one may lie
    // under /mnt), are held by descriptors first and bound from those.
    const std::string root = "/mnt";
    std::map<std::string, Held> held;
    for (const auto& [name, source] : sources) {
        if (!held[name].open(source, error))
            return false;
    }
    Held real_mnt;
    std::string no_mnt;
    const bool have_mnt = real_mnt.open(real_root + root, no_mnt);
    // Unbindable, so that no bind below takes the new root along with what
    // it binds: not the real /mnt, not a source at /mnt or at /.
    if (mount("tmpfs", root.c_str(), "tmpfs", 0, "mode=0755") != 0 ||
        mount(nullptr, root.c_str(), nullptr, MS_UNBINDABLE, nullptr) != 0) {
        error = why("mounting a tmpfs for the new root");
        return false;
    }

    DIR* top = opendir(real_root.c_str());
    if (!top) {
        error = why("reading /");
        return false;
    }
    std::vector<std::string> names;
    while (dirent* e = readdir(top)) {
        const std::string name = e->d_name;
        if (name != "." && name != ".." && name != "mnt" && !sources.count(name))
            names.push_back(name);
    }
    closedir(top);

    for (const std::string& name : names) {
        const std::string from = real_root + "/" + name, to = root + "/" + name;
        struct stat st;
        if (lstat(from.c_str(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char target[PATH_MAX];
            const ssize_t n = readlink(from.c_str(), target, sizeof target - 1);
            if (n >= 0) {
                target[n] = '\0';
                symlink(target, to.c_str());
            }
        } else if (!bind(from, to, S_ISDIR(st.st_mode), error)) {
            return false;
        }
    }
    if (have_mnt && !sources.count("mnt") && !bind(real_mnt.path(), root + "/mnt", true, error))
        return false;
    for (const auto& [name, source] : held) {
        if (!bind(source.path(), root + "/" + name, source.isDirectory(), error))
            return false;
    }

    const std::string old_root = root + "/.old-root";
    mkdir(old_root.c_str(), 0700);
    if (syscall(SYS_pivot_root, root.c_str(), old_root.c_str()) != 0) {
        error = why("pivot_root");
        return false;
    }
    if (chdir("/") != 0 || umount2("/.old-root", MNT_DETACH) != 0) {
        error = why("detaching the old root");
        return false;
    }
    rmdir("/.old-root");
    if (have_cwd && chdir(cwd) != 0)
        chdir("/");
    return true;
}

} // namespace boxsim
