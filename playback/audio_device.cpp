#include "playback/audio_device.h"

#include "playback/no_cancel.h"
#include "playback/worker_state.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

std::atomic<int> audio{0};

namespace {

// A device busy for longer than this is taken as refused. Counted in tries,
// so that a process stopped for a while does not use it up.
constexpr int busy_tries = 100;
constexpr int busy_wait_ms = 20;

// One try, whole: the C library may act on a kill as an open returns, with
// the descriptor made; here it can only be acted on once audio holds it.
// Non-blocking, so that a busy device answers at once instead of holding
// the worker where no kill can reach it.
int try_open() {
    const NoCancel whole;
    int fd = open("/dev/dsp", O_WRONLY | O_NONBLOCK | O_CLOEXEC, 0);
    int why = errno;
    if (fd >= 0 && fd <= 2) {
        // A host started with a standard descriptor closed: 0 must still
        // mean "closed", and sound must never go to a standard stream.
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        why = errno;
        close(fd);
        fd = moved;
    }
    if (fd >= 0)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); // writes pace the decoding
    audio = fd;
    errno = why;
    return fd;
}

// Tried again: a device still busy, after a wait; an open a signal cut
// short, at once.
bool try_again(int tries) {
    if (tries >= busy_tries || stop_asked())
        return false;
    if (errno == EINTR)
        return true;
    if (errno != EBUSY)
        return false;
    poll(nullptr, 0, busy_wait_ms);
    return !stop_asked();
}

} // namespace

void open_device() {
    for (int tries = 1; try_open() < 0 && try_again(tries); ++tries) {
    }
}
