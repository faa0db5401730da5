// The card behind "/dev/dsp": one object per process, like the device node
// it stands for; never destroyed, because device threads may still drain
// while the process exits. sound_card.h is its face to boxsim,
// card_c_face.cpp its face to the C library's calls.
//
// Requirements
// - C library entry points (interpose/device_hooks.h): serves, open, owns,
//   ioctl, write, close, dup. Any thread, at any time, with a kill pending
//   or not. open's waits are cancellation points, as a driver's are: a kill
//   cuts the caller short there and leaves the card as it found it; once a
//   descriptor exists nothing in open is cut short. close and dup run whole.
// - boxsim's own calls (sound_card.h): configure, calls, clearCalls,
//   openDevices, waitUntilIdle, finish. The host's threads, never a drain
//   thread of a device's.
// - Fork handlers (pthread_atfork): the forking thread holds lock_, then
//   every device's lock, then the log's, and lets them go in the other
//   order; the child forgets the parent's devices.
// - lock_ guards settings_, sink_, opening_, table_ and draining_. Every
//   entry point takes it briefly. Nothing that may reach the interposed
//   calls (an open, write, close or poll of the C library's, joining a
//   device's thread, closing a sink's file) is called under it, since those
//   take it too; the call log has a lock of its own and is called outside
//   lock_, except across a fork.
// - owns() only answers, and is cheap when no descriptor is open: the
//   C library asks it on every write and close. Descriptors closed behind
//   the card's back are swept at each open and whenever the card waits for
//   its devices.
#pragma once

#include "boxsim/dsp/call_log.h"
#include "boxsim/dsp/descriptor_table.h"
#include "boxsim/dsp/sound_card.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace boxsim::dsp {

class AudioSink;
class DspDevice;

class SoundCard {
public:
    static SoundCard& instance();

    void configure(const Settings& settings);
    bool serves(int dir, const char* path);
    int open(int flags);
    bool owns(int fd);
    int ioctl(int fd, unsigned long request, void* arg);
    std::size_t write(std::size_t size);
    int close(int fd);
    void dup(int fd, int new_fd);

    std::vector<std::string> calls() const { return log_.lines(); }
    void clearCalls() { log_.clear(); }
    std::size_t openDevices();
    bool waitUntilIdle(std::chrono::milliseconds timeout);
    void finish(std::chrono::milliseconds timeout);

private:
    SoundCard();
    void lockForFork();
    void unlockAfterFork();
    void forgetInheritedDevices();

    // A wait a kill or a signal may cut short; false if it was.
    static bool pauseFor(int ms);
    enum class Wait { done, timed_out, cut_short };
    // The devices that have stopped being open play out first; with
    // all_closed, open devices count as busy too.
    Wait waitDrained(std::chrono::milliseconds timeout, bool all_closed);
    // Descriptors closed behind the card's back: forgotten and logged as
    // closed, their devices left to play out.
    void sweep();
    // After a descriptor is dropped: a device that lost its last copy.
    void closing(std::vector<std::shared_ptr<DspDevice>> devices, std::size_t descriptors);
    int refuse(const char* why, int error);

    struct Opening; // until an open has its device or has failed

    std::mutex lock_;
    Settings settings_;
    std::shared_ptr<AudioSink> sink_;
    bool opening_ = false;
    DescriptorTable table_;
    std::vector<std::shared_ptr<DspDevice>> draining_;
    std::vector<std::shared_ptr<DspDevice>> forking_; // whose locks a fork holds
    std::atomic<std::size_t> descriptor_count_{0};
    std::atomic<bool> half_writes_{false};
    CallLog log_;
};

} // namespace boxsim::dsp
