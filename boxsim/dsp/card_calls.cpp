// The card's answers to the calls on its descriptors: whose a descriptor
// is, its copies, its requests, its writes and its close; and the sweep of
// those closed behind the card's back (sound_card_private.h).
#include "boxsim/dsp/sound_card_private.h"

#include "boxsim/dsp/dsp_device.h"
#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/oss_requests.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

using Clock = std::chrono::steady_clock;

// A wait that nothing cuts short.
void pause_through(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        poll(nullptr, 0, static_cast<int>(left.count()) + 1);
    }
}

} // namespace

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
    const int why = errno;
    closing(std::move(closed), 0);
    errno = why;
    return result;
}

} // namespace boxsim::dsp
