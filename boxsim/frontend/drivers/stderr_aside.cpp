#include "boxsim/frontend/drivers/stderr_aside.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace boxsim {

StderrAside::StderrAside() {
    std::fflush(stderr);
    char name[] = "/tmp/boxsim-stderr-XXXXXX";
    kept_ = mkstemp(name);
    if (kept_ < 0)
        return; // nowhere to keep it: stderr stays where it is
    unlink(name);
    saved_ = dup(STDERR_FILENO);
    if (saved_ >= 0)
        dup2(kept_, STDERR_FILENO);
}

StderrAside::~StderrAside() {
    if (saved_ >= 0) {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        char buffer[4096];
        lseek(kept_, 0, SEEK_SET);
        for (ssize_t n; (n = read(kept_, buffer, sizeof buffer)) > 0;) {
            if (write(STDERR_FILENO, buffer, static_cast<std::size_t>(n)) != n)
                break;
        }
    }
    if (kept_ >= 0)
        close(kept_);
}

} // namespace boxsim
