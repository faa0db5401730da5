// The card: settings, the session's sink, the open devices by descriptor, and
// the record of calls. One per process, like the device node it stands for;
// never destroyed, because device threads may still drain while it exits.
#include "boxsim/dsp/sound_card.h"

#include "boxsim/dsp/call_log.h"
#include "boxsim/dsp/device_path.h"
#include "boxsim/dsp/dsp_device.h"
#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/sink_report.h"
#include "boxsim/interpose/device_hooks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/soundcard.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

constexpr auto drain_look = std::chrono::milliseconds(5);

using Clock = std::chrono::steady_clock;

// The requests the card answers, by their OSS names.
const char* requestName(unsigned long request) {
    switch (request) {
    case SNDCTL_DSP_SETFMT: return "SNDCTL_DSP_SETFMT";
    case SNDCTL_DSP_STEREO: return "SNDCTL_DSP_STEREO";
    case SNDCTL_DSP_CHANNELS: return "SNDCTL_DSP_CHANNELS";
    case SNDCTL_DSP_SPEED: return "SNDCTL_DSP_SPEED";
    default: return nullptr;
    }
}

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

class SoundCard {
public:
    static SoundCard& instance() {
        static SoundCard* card = new SoundCard;
        return *card;
    }

    void configure(const Settings& settings) {
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
    bool serves(int dir, const char* path) {
        if (!path || !namesDevice(dir, path))
            return false;
        std::lock_guard<std::mutex> hold(lock_);
        return settings_.sink != SinkKind::machine;
    }

    // Its waits are cancellation points, as a driver's own are; once the
    // descriptor exists nothing here cuts it short (the interposed call's
    // return may, as the C library's may: interpose/libc_interpose.h).
    int open(int flags) {
        Settings settings;
        std::shared_ptr<AudioSink> into;
        const char* refused = nullptr;
        forgetClosedBehindOurBack();
        {
            std::lock_guard<std::mutex> hold(lock_);
            // One open at a time, as the box's driver takes it: a device
            // open, or one being opened, refuses the next at once.
            if ((flags & O_ACCMODE) != O_WRONLY)
                refused = " refused: not for writing";
            else if (settings_.refuse || opening_ || !descriptors_.empty())
                refused = " busy";
            else
                opening_ = true;
            settings = settings_;
            into = sink_;
        }
        if (refused) {
            log_.add(std::string("open ") + device_path + refused);
            errno = (flags & O_ACCMODE) != O_WRONLY ? EACCES : EBUSY;
            return -1;
        }
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
            if (nonblocking) {
                log_.add(std::string("open ") + device_path + " busy");
                errno = EBUSY;
                return -1;
            }
            report(std::string("cannot open ") + device_path +
                       ": the last sound has not played out (the sink stopped taking it)",
                   Loss::sound);
            errno = EBUSY;
            return -1;
        }

        const NoCancel whole;
        // A fast card whose sink keeps no bytes takes them at once into
        // nothing: the player's descriptor is /dev/null's, with no pipe and
        // no drain between.
        const bool discard = settings.fast && !settings.stall && !into->keepsBytes();
        int read_end = -1;
        const int fd = discard ? ::open("/dev/null", O_WRONLY | (flags & O_CLOEXEC))
                               : openPipe(flags, read_end);
        if (fd < 0)
            return -1;
        std::shared_ptr<DspDevice> device;
        try {
            device =
                std::make_shared<DspDevice>(fd, read_end, into, !settings.fast, settings.stall);
        } catch (const std::system_error& e) {
            // No thread to drain it (the user's process limit, say): the
            // open fails as a driver's would, and says why.
            ::close(fd);
            if (read_end >= 0)
                ::close(read_end);
            report(std::string("cannot open ") + device_path + ": no thread to play it (" +
                       e.what() + ")",
                   Loss::sound);
            errno = EAGAIN;
            return -1;
        }
        {
            std::lock_guard<std::mutex> hold(lock_);
            descriptors_[fd] = device;
            descriptor_count_.fetch_add(1);
        }
        log_.add(std::string("open ") + device_path);
        return fd;
    }

    // Also the check that a descriptor of the device is still one: a
    // descriptor closed where nothing here could see it (a stream's fclose,
    // close_range) is forgotten, and its number may be another file's now.
    bool owns(int fd) {
        if (descriptor_count_.load() == 0)
            return false;
        std::shared_ptr<DspDevice> closed;
        {
            const NoCancel whole;
            std::lock_guard<std::mutex> hold(lock_);
            auto it = descriptors_.find(fd);
            if (it == descriptors_.end())
                return false;
            if (it->second->isHeldBy(fd))
                return true;
            closed = forget(it);
        }
        log_.add("close");
        if (closed)
            closed->closed();
        return false;
    }

    // new_fd has become a copy of fd; what new_fd was before is gone.
    void dup(int fd, int new_fd) {
        const NoCancel whole;
        std::shared_ptr<DspDevice> closed;
        bool was_device = false, is_device = false;
        {
            std::lock_guard<std::mutex> hold(lock_);
            auto old = descriptors_.find(new_fd);
            if (old != descriptors_.end()) {
                was_device = true;
                closed = forget(old);
            }
            auto it = descriptors_.find(fd);
            if (it != descriptors_.end()) {
                is_device = true;
                descriptors_[new_fd] = it->second;
                descriptor_count_.fetch_add(1);
            }
        }
        if (was_device)
            log_.add("close");
        if (is_device)
            log_.add("dup");
        if (closed)
            closed->closed();
    }

    int ioctl(int fd, unsigned long request, void* arg) {
        std::shared_ptr<DspDevice> device = find(fd);
        int* value = static_cast<int*>(arg);
        const char* name = requestName(request);
        if (!name) {
            char text[48];
            std::snprintf(text, sizeof text, "ioctl 0x%lx", request);
            log_.add(text);
            errno = EINVAL;
            return -1;
        }
        if (!value) {
            log_.add(std::string("ioctl ") + name);
            errno = EFAULT;
            return -1;
        }
        log_.add(std::string("ioctl ") + name + " " + std::to_string(*value));
        if (!device) {
            errno = EBADF;
            return -1;
        }
        switch (request) {
        case SNDCTL_DSP_SETFMT: device->setFormat(*value); break;
        case SNDCTL_DSP_STEREO: device->setStereo(*value); break;
        case SNDCTL_DSP_CHANNELS: device->setChannels(*value); break;
        case SNDCTL_DSP_SPEED: device->setSpeed(*value); break;
        }
        return 0;
    }

    std::size_t write(std::size_t size) {
        if (log_.active())
            log_.add("write " + std::to_string(size));
        return half_writes_.load() && size > 1 ? (size + 1) / 2 : size;
    }

    // Always closes once called; the interposed call around it is the
    // cancellation point.
    int close(int fd) {
        const NoCancel whole;
        std::shared_ptr<DspDevice> closed;
        int delay_ms;
        {
            std::lock_guard<std::mutex> hold(lock_);
            auto it = descriptors_.find(fd);
            if (it != descriptors_.end())
                closed = forget(it);
            delay_ms = settings_.close_delay_ms;
        }
        log_.add("close");
        if (delay_ms > 0)
            pause_through(delay_ms);
        // No longer ours, so the ordinary entry point passes it on, and
        // tools that follow descriptors (ThreadSanitizer) see it closed.
        const int result = ::close(fd);
        if (closed)
            closed->closed();
        return result;
    }

    std::vector<std::string> calls() const { return log_.lines(); }
    void clearCalls() { log_.clear(); }

    std::size_t openDevices() {
        std::lock_guard<std::mutex> hold(lock_);
        std::vector<DspDevice*> distinct;
        for (const auto& [fd, device] : descriptors_) {
            if (std::find(distinct.begin(), distinct.end(), device.get()) == distinct.end())
                distinct.push_back(device.get());
        }
        return distinct.size();
    }

    bool waitUntilIdle(std::chrono::milliseconds timeout) {
        return waitDrained(timeout, true) == Wait::done;
    }

    void finish(std::chrono::milliseconds timeout) {
        const bool played_out = waitUntilIdle(timeout);
        log_.finish(timeout);
        if (!played_out) {
            report("the sink stopped taking sound; what it had not taken when boxsim ended is "
                   "lost",
                   Loss::sound);
            return;
        }
        std::shared_ptr<AudioSink> last;
        std::lock_guard<std::mutex> hold(lock_);
        last.swap(sink_);
        sink_ = makeNullSink();
    }

    // A child forked while another thread holds the card's locks, or a
    // device's, would wait for them for ever: the fork waits for them
    // instead.
    void lockForFork() {
        lock_.lock();
        for (const auto& [fd, device] : descriptors_) {
            if (std::find(forking_.begin(), forking_.end(), device) == forking_.end())
                forking_.push_back(device);
        }
        forking_.insert(forking_.end(), draining_.begin(), draining_.end());
        for (const auto& device : forking_)
            device->lockForFork();
        log_.lockForFork();
    }
    void unlockAfterFork() {
        log_.unlockAfterFork();
        for (const auto& device : forking_)
            device->unlockAfterFork();
        forking_.clear();
        lock_.unlock();
    }

private:
    SoundCard() {
        pthread_atfork([] { instance().lockForFork(); }, [] { instance().unlockAfterFork(); },
                       [] {
                           instance().unlockAfterFork();
                           instance().forgetInheritedDevices();
                       });
    }

    // In a forked child: it keeps copies of the parent's descriptors, not
    // the devices, whose threads are the parent's; its calls on them are
    // the C library's. The devices are left to the parent, never let go of
    // here (that would join threads this process does not have).
    void forgetInheritedDevices() {
        new std::map<int, std::shared_ptr<DspDevice>>(std::move(descriptors_));
        new std::vector<std::shared_ptr<DspDevice>>(std::move(draining_));
        descriptors_.clear();
        draining_.clear();
        descriptor_count_ = 0;
    }

    // Descriptors whose device is no longer held by any of them: all were
    // closed behind the card's back, and the device is playing out.
    void forgetClosedBehindOurBack() {
        std::vector<int> stale;
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (const auto& [fd, device] : descriptors_) {
                if (!device->isHeldBy(fd))
                    stale.push_back(fd);
            }
        }
        for (int fd : stale)
            owns(fd);
    }

    std::shared_ptr<DspDevice> find(int fd) {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = descriptors_.find(fd);
        return it == descriptors_.end() ? nullptr : it->second;
    }

    // Under lock_: drops a descriptor; its device, if that was its last
    // copy, which then plays out what it holds.
    std::shared_ptr<DspDevice> forget(std::map<int, std::shared_ptr<DspDevice>>::iterator it) {
        std::shared_ptr<DspDevice> device = it->second;
        descriptors_.erase(it);
        descriptor_count_.fetch_sub(1);
        for (const auto& other : descriptors_) {
            if (other.second == device)
                return nullptr; // still open through a copy
        }
        draining_.push_back(device);
        return device;
    }

    // A pipe whose write end is the player's descriptor: the lowest free
    // one, as the kernel's open would give, close-on-exec only if asked
    // for. The read end is the card's and stays out of the low numbers.
    static int openPipe(int flags, int& read_end) {
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

    // Polls, without the lock between looks: the drain threads do not know
    // the card. With all_closed, open devices count as busy too.
    enum class Wait { done, timed_out, cut_short };
    Wait waitDrained(std::chrono::milliseconds timeout, bool all_closed) {
        for (auto waited = std::chrono::milliseconds(0);; waited += drain_look) {
            bool done;
            {
                // Letting go of a device joins its thread and may close its
                // sink's file: on the caller's thread, and not to be cut
                // short there.
                const NoCancel whole;
                std::vector<std::shared_ptr<DspDevice>> played_out; // goes after the lock
                std::lock_guard<std::mutex> hold(lock_);
                done = reapDrained(played_out) && (!all_closed || descriptors_.empty());
            }
            if (done)
                return Wait::done;
            if (waited >= timeout)
                return Wait::timed_out;
            if (!pause_for(static_cast<int>(drain_look.count())))
                return Wait::cut_short;
        }
    }

    // Under lock_: moves devices that have played out into played_out; true
    // when none is left draining.
    bool reapDrained(std::vector<std::shared_ptr<DspDevice>>& played_out) {
        for (auto it = draining_.begin(); it != draining_.end();) {
            if ((*it)->drained()) {
                played_out.push_back(*it);
                it = draining_.erase(it);
            } else {
                ++it;
            }
        }
        return draining_.empty();
    }

    // Until the open has its device or has failed, other opens are refused.
    struct Opening {
        explicit Opening(SoundCard& card) : card(card) {}
        ~Opening() {
            std::lock_guard<std::mutex> hold(card.lock_);
            card.opening_ = false;
        }
        SoundCard& card;
    };

    // Guards what follows it. Nothing that may reach the interposed entry
    // points is called while it is held: they take it too.
    std::mutex lock_;
    Settings settings_;
    std::shared_ptr<AudioSink> sink_ = makeNullSink();
    bool opening_ = false;
    // Open descriptors of the device: one per open, and any copies of it.
    std::map<int, std::shared_ptr<DspDevice>> descriptors_;
    std::vector<std::shared_ptr<DspDevice>> draining_;
    std::vector<std::shared_ptr<DspDevice>> forking_; // whose locks a fork holds
    std::atomic<std::size_t> descriptor_count_{0};
    std::atomic<bool> half_writes_{false};
    CallLog log_;
};

} // namespace

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

namespace {

// No C++ exception crosses into the C library's callers: a call that runs
// out of memory fails as a C call does. (A thread's cancellation is no such
// exception, and passes.)
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
