// The card's face to the C library's calls (interpose/device_hooks.h): each
// entry point sets errno as the call it stands for would, and no C++
// exception crosses into the C library's callers: a call that runs out of
// memory fails as a C call does. (A thread's cancellation is no such
// exception, and passes.)
#include "boxsim/dsp/sound_card_private.h"
#include "boxsim/interpose/device_hooks.h"

#include <cerrno>
#include <exception>

namespace {

template <class Call, class Result> Result unthrowing(Call call, Result failed) {
    try {
        return call();
    } catch (const std::exception&) {
        errno = ENOMEM;
        return failed;
    }
}

boxsim::dsp::SoundCard& card() {
    return boxsim::dsp::SoundCard::instance();
}

} // namespace

extern "C" {

int boxsim_dsp_serves(int dir, const char* path) {
    return unthrowing([&] { return card().serves(dir, path); }, false);
}
int boxsim_dsp_open(int flags) {
    return unthrowing([&] { return card().open(flags); }, -1);
}
int boxsim_dsp_owns(int fd) {
    return unthrowing([&] { return card().owns(fd); }, false);
}
int boxsim_dsp_ioctl(int fd, unsigned long request, void* arg) {
    return unthrowing([&] { return card().ioctl(fd, request, arg); }, -1);
}
size_t boxsim_dsp_write(int, size_t size) {
    return unthrowing([&] { return card().write(size); }, size);
}
int boxsim_dsp_close(int fd) {
    return unthrowing([&] { return card().close(fd); }, -1);
}
void boxsim_dsp_dup(int fd, int new_fd) {
    unthrowing(
        [&] {
            card().dup(fd, new_fd);
            return 0;
        },
        0);
}
}
