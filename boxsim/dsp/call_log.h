// The card's record of device calls: kept in memory for tests, and appended
// to a file for --dsp-log. The file never holds up the calls it logs: what
// it cannot take at once (a pipe read slowly, a named pipe nobody reads yet)
// waits in memory, within a bound, for the next line or the end of the
// session. A file that cannot be written is said once, as lost calls.
#pragma once

#include <chrono>
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
    // Gives the file up to timeout to take what waits for it; what it has
    // not taken by then is said to be lost.
    void finish(std::chrono::milliseconds timeout);
    // Held across a fork, so that the child does not inherit it held.
    void lockForFork() { lock_.lock(); }
    void unlockAfterFork() { lock_.unlock(); }

private:
    // Under lock_.
    void flush();
    void fail(const std::string& why);
    const char* unread() const; // why what waits has not been taken
    void closeFile();

    mutable std::mutex lock_;
    std::vector<std::string> lines_;
    bool recording_ = true;
    std::string path_;
    int fd_ = -1;
    bool waiting_for_reader_ = false;
    std::string unwritten_;
    std::size_t written_ = 0;
};

} // namespace boxsim::dsp
