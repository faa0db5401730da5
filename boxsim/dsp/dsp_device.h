// One open of the stand-in device: its format and the thread that drains its
// pipe into the sink.
#pragma once

#include "boxsim/dsp/audio_sink.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <thread>

namespace boxsim::dsp {

class DspDevice {
public:
    // player_fd: the player's descriptor, whose file stands for the device.
    // read_fd: the read end of the pipe the player writes to, or -1 for a
    // device whose player writes into nothing (a fast card keeping no bytes).
    DspDevice(int player_fd, int read_fd, std::shared_ptr<AudioSink> sink, bool paced, bool stall);
    // Waits for the drain to finish.
    ~DspDevice();
    DspDevice(const DspDevice&) = delete;
    DspDevice& operator=(const DspDevice&) = delete;

    // OSS requests. Each takes the caller's value and leaves the value in
    // effect in it, as a driver does.
    void setFormat(int& afmt);
    void setStereo(int& stereo);
    void setChannels(int& channels);
    void setSpeed(int& rate);
    PcmFormat format() const;

    // The player closed its end: drain what is left, then end the stretch.
    void closed();
    bool drained() const;
    // fd is still a descriptor of this device's file (not closed, and not
    // since reused for another file).
    bool isHeldBy(int fd) const;

    // Held across a fork, so that the child does not inherit it held.
    void lockForFork() const { lock_.lock(); }
    void unlockAfterFork() const { lock_.unlock(); }

private:
    void drain();
    void resizeBuffer();

    dev_t file_dev_ = 0;
    ino_t file_ino_ = 0;
    int read_fd_;
    std::shared_ptr<AudioSink> sink_;
    const bool paced_;
    const bool stall_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    PcmFormat format_; // a device's defaults until the player asks for another
    bool closed_ = false;
    bool drained_ = false;
    std::thread thread_;
};

} // namespace boxsim::dsp
