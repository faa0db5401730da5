// The card's admission of opens: one at a time, for writing, once the last
// sound has played out (sound_card_private.h).
#include "boxsim/dsp/sound_card_private.h"

#include "boxsim/dsp/device_path.h"
#include "boxsim/dsp/dsp_device.h"
#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/sink_report.h"

#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <system_error>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

// A pipe whose write end is the player's descriptor: the lowest free one,
// as the kernel's open would give, close-on-exec only if asked for. The
// read end is the card's and stays out of the low numbers.
int open_pipe(int flags, int& read_end) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    read_end = fcntl(fds[0], F_DUPFD_CLOEXEC, 3);
    ::close(fds[0]);
    const int fd = fcntl(fds[1], (flags & O_CLOEXEC) ? F_DUPFD_CLOEXEC : F_DUPFD, 0);
    ::close(fds[1]);
    if (read_end < 0 || fd < 0) {
        if (read_end >= 0)
            ::close(read_end);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    if (flags & O_NONBLOCK)
        fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

} // namespace

struct SoundCard::Opening {
    explicit Opening(SoundCard& card) : card(card) {}
    ~Opening() {
        std::lock_guard<std::mutex> hold(card.lock_);
        card.opening_ = false;
    }
    SoundCard& card;
};

SoundCard& SoundCard::instance() {
    static SoundCard* card = new SoundCard;
    return *card;
}

SoundCard::SoundCard() : sink_(makeNullSink()) {
    pthread_atfork([] { instance().lockForFork(); }, [] { instance().unlockAfterFork(); },
                   [] {
                       instance().unlockAfterFork();
                       instance().forgetInheritedDevices();
                   });
}

void SoundCard::configure(const Settings& settings) {
    std::shared_ptr<AudioSink> next = makeSink(settings.sink, settings.target), old;
    {
        std::lock_guard<std::mutex> hold(lock_);
        settings_ = settings;
        old.swap(sink_);
        sink_ = next;
    }
    half_writes_ = settings.half_writes;
    log_.setFile(settings.log_path);
    log_.setRecording(settings.record);
}

// However the path is spelt: "//dev/dsp", "/dev/./dsp", "dsp" in /dev.
bool SoundCard::serves(int dir, const char* path) {
    if (!path || !namesDevice(dir, path))
        return false;
    std::lock_guard<std::mutex> hold(lock_);
    return settings_.sink != SinkKind::machine;
}

int SoundCard::refuse(const char* why, int error) {
    log_.add(std::string("open ") + device_path + why);
    errno = error;
    return -1;
}

int SoundCard::open(int flags) {
    sweep();
    Settings settings;
    std::shared_ptr<AudioSink> into;
    bool busy;
    const bool writing = (flags & O_ACCMODE) == O_WRONLY;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // One open at a time, as the box's driver takes it: a device open,
        // or one being opened, refuses the next at once.
        busy = settings_.refuse || opening_ || !table_.empty();
        if (writing && !busy)
            opening_ = true;
        settings = settings_;
        into = sink_;
    }
    if (!writing)
        return refuse(" refused: not for writing", EACCES);
    if (busy)
        return refuse(" busy", EBUSY);
    const Opening opening(*this);
    // Like a driver's own waits: cut short, the open fails.
    if (settings.open_delay_ms > 0 && !pauseFor(settings.open_delay_ms))
        return -1;
    // One stretch at a time: the last close plays out first, and a
    // non-blocking open does not wait for it. A sink that has stopped
    // taking sound leaves the device busy.
    const bool nonblocking = flags & O_NONBLOCK;
    switch (waitDrained(nonblocking ? std::chrono::milliseconds(0) : sink_grace, false)) {
    case Wait::done: break;
    case Wait::cut_short: return -1;
    case Wait::timed_out:
        if (nonblocking)
            return refuse(" busy", EBUSY);
        report(std::string("cannot open ") + device_path +
                   ": the last sound has not played out (the sink stopped taking it)",
               Loss::sound);
        errno = EBUSY;
        return -1;
    }

    const NoCancel whole;
    // A fast card whose sink keeps no bytes takes them at once into nothing:
    // the player's descriptor is /dev/null's, with no pipe and no drain
    // between.
    const bool discard = settings.fast && !settings.stall && !into->keepsBytes();
    int read_end = -1;
    const int fd =
        discard ? ::open("/dev/null", O_WRONLY | (flags & O_CLOEXEC)) : open_pipe(flags, read_end);
    if (fd < 0)
        return -1;
    std::shared_ptr<DspDevice> device;
    try {
        device = std::make_shared<DspDevice>(fd, read_end, into, !settings.fast, settings.stall);
    } catch (const std::system_error& e) {
        // No thread to drain it (the user's process limit, say): the open
        // fails as a driver's would, and says why.
        ::close(fd);
        if (read_end >= 0)
            ::close(read_end);
        report(std::string("cannot open ") + device_path + ": no thread to play it (" + e.what() +
                   ")",
               Loss::sound);
        errno = EAGAIN;
        return -1;
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        table_.add(fd, device);
        descriptor_count_.fetch_add(1);
    }
    log_.add(std::string("open ") + device_path);
    return fd;
}

void configure(const Settings& settings) {
    SoundCard::instance().configure(settings);
}
std::vector<std::string> deviceCalls() {
    return SoundCard::instance().calls();
}
void clearDeviceCalls() {
    SoundCard::instance().clearCalls();
}
std::size_t openDevices() {
    return SoundCard::instance().openDevices();
}
bool waitUntilIdle(std::chrono::milliseconds timeout) {
    return SoundCard::instance().waitUntilIdle(timeout);
}
void finish(std::chrono::milliseconds timeout) {
    SoundCard::instance().finish(timeout);
}

} // namespace boxsim::dsp
