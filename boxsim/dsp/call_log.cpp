#include "boxsim/dsp/call_log.h"

#include "boxsim/dsp/no_cancel.h"
#include "boxsim/dsp/output_path.h"
#include "boxsim/dsp/sink_report.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/notices/notices.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace boxsim::dsp {
namespace {

// What may wait for a slow or absent reader: some minutes of a play's lines.
constexpr std::size_t unwritten_limit = 1 << 20;
constexpr auto look = std::chrono::milliseconds(5);

// Past the interposed calls: no descriptor of the log is the device's, and
// asking the card would take its lock while this log's is held, the order a
// fork takes them in reversed.
ssize_t write_past_card(int fd, const char* data, std::size_t size) {
    return syscall(SYS_write, fd, data, size);
}
void close_past_card(int fd) {
    syscall(SYS_close, fd);
}

} // namespace

CallLog::~CallLog() {
    closeFile();
}

void CallLog::setFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!path_.empty()) {
        flush();
        if (!unwritten_.empty())
            fail(unread());
    }
    closeFile();
    path_ = path;
    if (path.empty())
        return;
    const Output out = openOutput(path, O_CREAT | O_APPEND);
    fd_ = out.fd;
    waiting_for_reader_ = out.no_reader;
    if (out.no_reader)
        notice("nobody reads " + quotedName(path) + " yet; the device log waits for a reader");
    else if (fd_ < 0)
        fail(out.why);
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
    if (fd_ >= 0 || waiting_for_reader_) {
        unwritten_ += line;
        unwritten_ += '\n';
        flush();
        if (unwritten_.size() > unwritten_limit)
            fail(unread());
    }
    if (recording_)
        lines_.push_back(std::move(line));
}

bool CallLog::active() const {
    std::lock_guard<std::mutex> hold(lock_);
    return recording_ || fd_ >= 0 || waiting_for_reader_;
}

std::vector<std::string> CallLog::lines() const {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
}

void CallLog::clear() {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.clear();
}

void CallLog::finish(std::chrono::milliseconds timeout) {
    for (auto waited = std::chrono::milliseconds(0);; waited += look) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            flush();
            if (unwritten_.empty())
                return;
            if (waited >= timeout) {
                fail(unread());
                return;
            }
        }
        poll(nullptr, 0, static_cast<int>(look.count()));
    }
}

void CallLog::flush() {
    if (waiting_for_reader_) {
        const Output out = openOutput(path_, O_APPEND);
        if (out.no_reader)
            return;
        waiting_for_reader_ = false;
        fd_ = out.fd;
        if (fd_ < 0)
            return fail(out.why);
    }
    std::size_t done = 0;
    while (fd_ >= 0 && done < unwritten_.size()) {
        const ssize_t n = write_past_card(fd_, unwritten_.data() + done, unwritten_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        if (n <= 0) {
            unwritten_.erase(0, done);
            return fail(std::strerror(n < 0 ? errno : ENOSPC));
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::size_t>(n);
    }
    unwritten_.erase(0, done);
}

const char* CallLog::unread() const {
    return waiting_for_reader_ ? "nobody reads it" : "its reader has stopped reading";
}

void CallLog::fail(const std::string& why) {
    report("cannot write the device log " + quotedName(path_) + ": " + why +
               (written_ > 0 ? "; it ends after " + std::to_string(written_) + " bytes"
                             : "; nothing is logged"),
           Loss::calls);
    closeFile();
}

void CallLog::closeFile() {
    if (fd_ >= 0)
        close_past_card(fd_);
    fd_ = -1;
    waiting_for_reader_ = false;
    unwritten_.clear();
    written_ = 0;
}

} // namespace boxsim::dsp
