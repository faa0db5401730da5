#include "tests/support/open_fds.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>

namespace testfs {

std::set<int> openDescriptors() {
    std::set<int> fds;
    DIR* d = opendir("/proc/self/fd");
    if (!d)
        return fds;
    const int own = dirfd(d);
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const int fd = std::atoi(e->d_name);
        if (fd != own)
            fds.insert(fd);
    }
    closedir(d);
    return fds;
}

bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace testfs
