#include "boxsim/dsp/call_log.h"

#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/device_path.h"

namespace boxsim::dsp {

CallLog::~CallLog() {
    if (file_)
        std::fclose(file_);
}

void CallLog::setFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(lock_);
    if (file_)
        std::fclose(file_);
    // The card's own node would be opened as the device and held all along.
    const bool device = !path.empty() && namesDevice(path);
    file_ = path.empty() || device ? nullptr : std::fopen(path.c_str(), "a");
    if (!path.empty() && !file_)
        std::fprintf(stderr, "boxsim: cannot write the device log %s%s\n", path.c_str(),
                     device ? ": it is the device itself" : "");
}

void CallLog::setRecording(bool on) {
    std::lock_guard<std::mutex> hold(lock_);
    recording_ = on;
    if (!on)
        lines_ = {};
}

void CallLog::add(std::string line) {
    // Written from the player's thread: a kill must not cut a line in two.
    const NoCancel whole;
    std::lock_guard<std::mutex> hold(lock_);
    if (file_) {
        std::fprintf(file_, "%s\n", line.c_str());
        std::fflush(file_);
    }
    if (recording_)
        lines_.push_back(std::move(line));
}

bool CallLog::active() const {
    std::lock_guard<std::mutex> hold(lock_);
    return recording_ || file_;
}

std::vector<std::string> CallLog::lines() const {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

void CallLog::clear() {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.clear();
}

} // namespace boxsim::dsp
