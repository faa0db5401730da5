#include "playback/audio_device.h"

#include "playback/no_cancel.h"

#include <fcntl.h>
#include <unistd.h>

int open_device() {
    int fd = open("/dev/dsp", O_WRONLY | O_CLOEXEC, 0);
    if (fd >= 0 && fd <= 2) {
        // A host started with a standard descriptor closed: 0 must still
        // mean "closed", and sound must never go to a standard stream. Cut
        // short between the two steps, the device would stay open.
        const NoCancel whole;
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        close(fd);
        fd = moved;
    }
    return fd;
}
