// The card's record of device calls: kept in memory for tests, and appended
// to a file for --dsp-log.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace boxsim::dsp {

class CallLog {
public:
    CallLog() = default;
    ~CallLog();
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;

    // Starts appending to path; "" stops.
    void setFile(const std::string& path);
    // Whether lines are also kept in memory.
    void setRecording(bool on);
    void add(std::string line);
    // False when lines go nowhere: callers may skip making them.
    bool active() const;
    std::vector<std::string> lines() const;
    void clear();
    // Held across a fork, so that the child does not inherit it held.
    void lockForFork() { lock_.lock(); }
    void unlockAfterFork() { lock_.unlock(); }

private:
    mutable std::mutex lock_;
    std::vector<std::string> lines_;
    std::FILE* file_ = nullptr;
    bool recording_ = true;
};

} // namespace boxsim::dsp
