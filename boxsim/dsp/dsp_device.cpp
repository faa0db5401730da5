#include "boxsim/dsp/dsp_device.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/soundcard.h>
#include <sys/stat.h>
#include <unistd.h>

namespace boxsim::dsp {

namespace {

using Clock = std::chrono::steady_clock;

bool supported_format(int afmt) {
    const SampleFormat* f = sampleFormat(afmt);
    return f && f->accepted;
}

// A pause longer than this in the player's writes is an underrun: the
// card's clock starts again from the next byte instead of catching up.
constexpr auto underrun = std::chrono::milliseconds(200);

} // namespace

DspDevice::DspDevice(int player_fd, int read_fd, std::shared_ptr<AudioSink> sink, bool paced,
                     bool stall)
    : read_fd_(read_fd), sink_(std::move(sink)), paced_(paced), stall_(stall) {
    struct stat st;
    if (fstat(player_fd, &st) == 0) {
        file_dev_ = st.st_dev;
        file_ino_ = st.st_ino;
    }
    if (read_fd_ < 0)
        return; // the player writes straight into nothing: no pipe to drain
    resizeBuffer();
    thread_ = std::thread([this] { drain(); });
}

DspDevice::~DspDevice() {
    closed();
    if (thread_.joinable())
        thread_.join();
}

void DspDevice::setFormat(int& afmt) {
    std::lock_guard<std::mutex> hold(lock_);
    if (supported_format(afmt))
        format_.afmt = afmt;
    afmt = format_.afmt;
}

void DspDevice::setStereo(int& stereo) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        format_.channels = stereo ? 2 : 1;
        stereo = format_.channels == 2;
    }
    resizeBuffer();
}

void DspDevice::setChannels(int& channels) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        format_.channels = std::clamp(channels, 1, 8);
        channels = format_.channels;
    }
    resizeBuffer();
}

void DspDevice::setSpeed(int& rate) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        format_.rate = std::clamp(rate, 4000, 192000);
        rate = format_.rate;
    }
    resizeBuffer();
}

PcmFormat DspDevice::format() const {
    std::lock_guard<std::mutex> hold(lock_);
    return format_;
}

void DspDevice::closed() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        closed_ = true;
        if (read_fd_ < 0)
            drained_ = true;
    }
    changed_.notify_all();
}

bool DspDevice::isHeldBy(int fd) const {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == file_dev_ && st.st_ino == file_ino_;
}

bool DspDevice::drained() const {
    std::lock_guard<std::mutex> hold(lock_);
    return drained_;
}

void DspDevice::resizeBuffer() {
    if (read_fd_ < 0)
        return;
    // About a third of a second of sound, as on a real card; the kernel
    // rounds a pipe up to whole pages. A card that takes data at once has
    // no time to keep: a large pipe spares the player waiting on the drain.
    const int bytes = paced_ ? std::max(4096, format().bytesPerSecond() / 3) : 1 << 20;
    fcntl(read_fd_, F_SETPIPE_SZ, bytes);
}

void DspDevice::drain() {
    // Real time reads a fiftieth of a second at a go; fast mode takes all it
    // can. On this thread's stack: the card takes no heap while it plays.
    std::array<unsigned char, 65536> buffer;
    bool begun = false;
    PcmFormat begun_format;
    Clock::time_point start = Clock::now();
    double played = 0; // seconds handed to the sink since start

    if (stall_) {
        // A card that has stopped taking data: writes block once the pipe
        // is full, until the player closes the device.
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return closed_; });
    }
    for (;;) {
        const std::size_t chunk =
            paced_ ? std::clamp<std::size_t>(
                         static_cast<std::size_t>(this->format().bytesPerSecond() / 50), 64,
                         buffer.size())
                   : buffer.size();
        const ssize_t n = read(read_fd_, buffer.data(), chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        // Taken after the read: the player may have set the format while we
        // waited for its first bytes.
        const PcmFormat format = this->format();
        if (!begun || format != begun_format) {
            sink_->begin(format);
            begun = true;
            begun_format = format;
        }
        sink_->write(buffer.data(), static_cast<std::size_t>(n));
        if (paced_ && !stall_ && !sink_->pacesItself()) {
            const auto now = Clock::now();
            if (now - (start + std::chrono::duration<double>(played)) >
                std::chrono::duration<double>(underrun)) {
                start = now;
                played = 0;
            }
            played += static_cast<double>(n) / format.bytesPerSecond();
            std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                      std::chrono::duration<double>(played)));
        }
    }
    if (begun)
        sink_->end();
    // Through the ordinary entry point, so tools that track descriptors see it.
    ::close(read_fd_);
    {
        std::lock_guard<std::mutex> hold(lock_);
        drained_ = true;
    }
    changed_.notify_all();
}

} // namespace boxsim::dsp
