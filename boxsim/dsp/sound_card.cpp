// The card's admission of opens, its devices' calls, their draining and the
// end of the session (sound_card_private.h).
#include "boxsim/dsp/sound_card_private.h"

#include "boxsim/dsp/device_path.h"
#include "boxsim/dsp/dsp_device.h"
#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/oss_requests.h"
#include "boxsim/dsp/sink_report.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <system_error>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

constexpr auto drain_look = std::chrono::milliseconds(5);

using Clock = std::chrono::steady_clock;

// A wait of the caller's that a kill or a signal may cut short (a
// cancellation point, as a driver's own wait would be); false if it was.
bool pause_for(int ms) {
    return poll(nullptr, 0, ms) == 0;
}

// A wait that nothing cuts short.
void pause_through(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        poll(nullptr, 0, static_cast<int>(left.count()) + 1);
    }
}

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
    if (settings.open_delay_ms > 0 && !pause_for(settings.open_delay_ms))
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

bool SoundCard::owns(int fd) {
    if (descriptor_count_.load() == 0)
        return false;
    std::lock_guard<std::mutex> hold(lock_);
    return table_.owns(fd);
}

void SoundCard::closing(std::vector<std::shared_ptr<DspDevice>> devices, std::size_t descriptors) {
    for (std::size_t i = 0; i < descriptors; ++i)
        log_.add("close");
    for (const auto& device : devices)
        device->closed();
}

void SoundCard::sweep() {
    if (descriptor_count_.load() == 0)
        return;
    const NoCancel whole;
    std::vector<std::shared_ptr<DspDevice>> closed;
    std::size_t forgotten;
    {
        std::lock_guard<std::mutex> hold(lock_);
        forgotten = table_.sweep(closed);
        descriptor_count_.fetch_sub(forgotten);
        draining_.insert(draining_.end(), closed.begin(), closed.end());
    }
    closing(std::move(closed), forgotten);
}

// new_fd has become a copy of fd; what new_fd was before is gone.
void SoundCard::dup(int fd, int new_fd) {
    const NoCancel whole;
    std::vector<std::shared_ptr<DspDevice>> closed;
    bool was_device, is_device;
    {
        std::lock_guard<std::mutex> hold(lock_);
        was_device = table_.find(new_fd) != nullptr;
        if (was_device) {
            descriptor_count_.fetch_sub(1);
            if (auto last = table_.forget(new_fd)) {
                draining_.push_back(last);
                closed.push_back(last);
            }
        }
        auto device = table_.find(fd);
        is_device = device != nullptr;
        if (is_device) {
            table_.add(new_fd, device);
            descriptor_count_.fetch_add(1);
        }
    }
    if (is_device)
        log_.add("dup");
    closing(std::move(closed), was_device);
}

int SoundCard::ioctl(int fd, unsigned long request, void* arg) {
    std::shared_ptr<DspDevice> device;
    {
        std::lock_guard<std::mutex> hold(lock_);
        device = table_.find(fd);
    }
    int* value = static_cast<int*>(arg);
    const OssRequest* known = ossRequest(request);
    if (!known) {
        char text[48];
        std::snprintf(text, sizeof text, "ioctl 0x%lx", request);
        log_.add(text);
        errno = EINVAL;
        return -1;
    }
    if (!value) {
        log_.add(std::string("ioctl ") + known->name);
        errno = EFAULT;
        return -1;
    }
    log_.add(std::string("ioctl ") + known->name + " " + std::to_string(*value));
    if (!device) {
        errno = EBADF;
        return -1;
    }
    ((*device).*(known->set))(*value);
    return 0;
}

std::size_t SoundCard::write(std::size_t size) {
    if (log_.active())
        log_.add("write " + std::to_string(size));
    return half_writes_.load() && size > 1 ? (size + 1) / 2 : size;
}

// Always closes once called; the interposed call around it is the
// cancellation point.
int SoundCard::close(int fd) {
    const NoCancel whole;
    std::vector<std::shared_ptr<DspDevice>> closed;
    int delay_ms;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (table_.find(fd))
            descriptor_count_.fetch_sub(1);
        if (auto last = table_.forget(fd)) {
            draining_.push_back(last);
            closed.push_back(last);
        }
        delay_ms = settings_.close_delay_ms;
    }
    log_.add("close");
    if (delay_ms > 0)
        pause_through(delay_ms);
    // No longer ours, so the ordinary entry point passes it on, and tools
    // that follow descriptors (ThreadSanitizer) see it closed.
    const int result = ::close(fd);
    closing(std::move(closed), 0);
    return result;
}

std::size_t SoundCard::openDevices() {
    sweep();
    std::lock_guard<std::mutex> hold(lock_);
    return table_.devices();
}

// Polls, without the lock between looks: the drain threads do not know the
// card.
SoundCard::Wait SoundCard::waitDrained(std::chrono::milliseconds timeout, bool all_closed) {
    for (auto waited = std::chrono::milliseconds(0);; waited += drain_look) {
        sweep();
        bool done;
        {
            // Letting go of a device joins its thread and may close its
            // sink's file: on the caller's thread, after the lock, and not
            // to be cut short there.
            const NoCancel whole;
            std::vector<std::shared_ptr<DspDevice>> played_out;
            std::lock_guard<std::mutex> hold(lock_);
            for (auto it = draining_.begin(); it != draining_.end();) {
                if ((*it)->drained()) {
                    played_out.push_back(*it);
                    it = draining_.erase(it);
                } else {
                    ++it;
                }
            }
            done = draining_.empty() && (!all_closed || table_.empty());
        }
        if (done)
            return Wait::done;
        if (waited >= timeout)
            return Wait::timed_out;
        if (!pause_for(static_cast<int>(drain_look.count())))
            return Wait::cut_short;
    }
}

bool SoundCard::waitUntilIdle(std::chrono::milliseconds timeout) {
    return waitDrained(timeout, true) == Wait::done;
}

void SoundCard::finish(std::chrono::milliseconds timeout) {
    const bool played_out = waitUntilIdle(timeout);
    log_.finish(timeout);
    if (!played_out) {
        report("the sink stopped taking sound; what it had not taken when boxsim ended is lost",
               Loss::sound);
        return;
    }
    std::shared_ptr<AudioSink> last;
    std::lock_guard<std::mutex> hold(lock_);
    last.swap(sink_);
    sink_ = makeNullSink();
}

// A child forked while another thread holds the card's locks, or a device's,
// would wait for them for ever: the fork waits for them instead.
void SoundCard::lockForFork() {
    lock_.lock();
    forking_ = table_.all();
    forking_.insert(forking_.end(), draining_.begin(), draining_.end());
    for (const auto& device : forking_)
        device->lockForFork();
    log_.lockForFork();
}

void SoundCard::unlockAfterFork() {
    log_.unlockAfterFork();
    for (const auto& device : forking_)
        device->unlockAfterFork();
    forking_.clear();
    lock_.unlock();
}

// In a forked child: it keeps copies of the parent's descriptors, not the
// devices, whose threads are the parent's; its calls on them are the C
// library's.
void SoundCard::forgetInheritedDevices() {
    table_.abandon();
    new std::vector<std::shared_ptr<DspDevice>>(std::move(draining_));
    draining_.clear();
    descriptor_count_ = 0;
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
