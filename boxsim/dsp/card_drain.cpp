// The card's devices playing out: waiting for them, the end of the session,
// and holding everything still across a fork (sound_card_private.h).
#include "boxsim/dsp/sound_card_private.h"

#include "boxsim/dsp/dsp_device.h"
#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/sink_report.h"

#include <poll.h>

namespace boxsim::dsp {
namespace {
constexpr auto drain_look = std::chrono::milliseconds(5);
} // namespace

// A wait of the caller's that a kill or a signal may cut short (a
// cancellation point, as a driver's own wait would be); false if it was.
bool SoundCard::pauseFor(int ms) {
    return poll(nullptr, 0, ms) == 0;
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
        if (!pauseFor(static_cast<int>(drain_look.count())))
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

} // namespace boxsim::dsp
