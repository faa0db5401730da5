#include "boxsim/dsp/capture_file.h"

#include "boxsim/dsp/output_path.h"
#include "boxsim/dsp/sink_report.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/notices/notices.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace boxsim::dsp {

CaptureFile::CaptureFile(const std::string& path, const std::string& what)
    : path_(path), what_(what) {
    // Not waiting: a named pipe with no reader yet would hold the session's
    // start. Such a capture opens at its first bytes instead, and waits there.
    const Output out = openOutput(path, O_CREAT | O_TRUNC);
    if (out.no_reader) {
        waiting_for_reader_ = true;
        notice("nobody reads " + quotedName(path) + " yet; " + what + " waits for a reader");
    } else if (out.fd < 0) {
        fail("open", out.why);
    } else {
        fd_ = out.fd;
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    }
}

bool CaptureFile::open() const {
    return (fd_ >= 0 || waiting_for_reader_) && !ended_;
}

CaptureFile::~CaptureFile() {
    if (fd_ >= 0 && ::close(fd_) != 0 && !ended_)
        fail("close", std::strerror(errno));
}

bool CaptureFile::append(const void* data, std::size_t size) {
    if (waiting_for_reader_) {
        waiting_for_reader_ = false;
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0)
            fail("open", std::strerror(errno));
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (open() && size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail("write", std::strerror(n < 0 ? errno : ENOSPC));
            break;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        size_ += static_cast<std::uint64_t>(n);
    }
    return open();
}

bool CaptureFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (fd_ < 0)
        return false;
    const ssize_t n = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
    return n == static_cast<ssize_t>(size);
}

void CaptureFile::truncate(std::uint64_t size) {
    // A pipe or a device has nothing to cut: its failure is no loss.
    if (fd_ >= 0)
        (void)::ftruncate(fd_, static_cast<off_t>(size));
}

void CaptureFile::fail(const char* doing, const std::string& why) {
    if (ended_)
        return;
    ended_ = true;
    std::string line = "cannot " + std::string(doing) + " " + quotedName(path_) + ": " + why;
    line += doing == std::string("open")
                ? "; " + what_ + " plays into nothing"
                : "; " + what_ + " ends after " + std::to_string(size_) + " bytes";
    report(line, Loss::sound);
}

} // namespace boxsim::dsp
