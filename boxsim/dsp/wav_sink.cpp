// A WAV file of the whole session. The header takes the format of the first
// stretch and is rewritten with the data's size at the end of each stretch,
// so the file is complete whenever no device is open. A capture that ends
// early (a full disk) keeps a header that matches what it holds, whole
// sample frames only.
#include "boxsim/dsp/audio_sink.h"
#include "boxsim/dsp/capture_file.h"
#include "boxsim/dsp/sink_report.h"

#include <cstdint>
#include <vector>

namespace boxsim::dsp {
namespace {

constexpr std::uint64_t header_size = 44;

void put16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

class WavSink final : public AudioSink {
public:
    explicit WavSink(const std::string& path) : path_(path), file_(path, "the WAV capture") {}
    ~WavSink() override { finishHeader(); }

    void begin(const PcmFormat& format) override {
        if (!started_) {
            format_ = format;
            const SampleFormat* f = sampleFormat(format.afmt);
            swap_ = f && f->bytes == 2 && f->big_endian;
            // WAV keeps 8-bit samples unsigned.
            flip_sign_ = f && f->bytes == 1 && f->is_signed;
            started_ = true;
            const auto header = headerFor(0);
            file_.append(header.data(), header.size());
        } else if (format != format_ && !warned_) {
            warned_ = true;
            report(path_ + " keeps the first format (" + formatName(format_.afmt) + ", " +
                       std::to_string(format_.channels) + " ch, " + std::to_string(format_.rate) +
                       " Hz); later plays in another format are stored as if they had it",
                   Loss::none);
        }
    }

    void write(const unsigned char* data, std::size_t size) override {
        if (!started_)
            return;
        if (flip_sign_) {
            converted_.assign(data, data + size);
            for (unsigned char& b : converted_)
                b ^= 0x80;
            file_.append(converted_.data(), converted_.size());
            return;
        }
        if (!swap_) {
            file_.append(data, size);
            return;
        }
        // WAV is little-endian: swap each pair, keeping an odd byte for later.
        converted_.clear();
        for (std::size_t i = 0; i < size; ++i) {
            if (has_odd_) {
                converted_.push_back(data[i]);
                converted_.push_back(odd_);
                has_odd_ = false;
            } else {
                odd_ = data[i];
                has_odd_ = true;
            }
        }
        file_.append(converted_.data(), converted_.size());
    }

    void end() override {
        has_odd_ = false;
        finishHeader();
    }

private:
    std::uint32_t blockBytes() const {
        return static_cast<std::uint32_t>(format_.bytesPerSample() * format_.channels);
    }

    std::vector<unsigned char> headerFor(std::uint64_t data_bytes) const {
        const std::uint32_t block = blockBytes();
        std::vector<unsigned char> h = {'R', 'I', 'F', 'F'};
        put32(h, static_cast<std::uint32_t>(36 + data_bytes));
        h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
        put32(h, 16);
        put16(h, 1); // PCM
        put16(h, static_cast<std::uint32_t>(format_.channels));
        put32(h, static_cast<std::uint32_t>(format_.rate));
        put32(h, static_cast<std::uint32_t>(format_.rate) * block);
        put16(h, block);
        put16(h, static_cast<std::uint32_t>(format_.bytesPerSample() * 8));
        h.insert(h.end(), {'d', 'a', 't', 'a'});
        put32(h, static_cast<std::uint32_t>(data_bytes));
        return h;
    }

    // The header says what the file holds: whole frames of what was written,
    // a frame cut short by a failed write dropped.
    void finishHeader() {
        if (!started_ || file_.size() < header_size)
            return;
        std::uint64_t data = file_.size() - header_size;
        if (!file_.open()) {
            data -= data % blockBytes();
            file_.truncate(header_size + data);
        }
        const auto header = headerFor(data);
        file_.writeAt(0, header.data(), header.size());
    }

    std::string path_;
    CaptureFile file_;
    PcmFormat format_;
    bool started_ = false;
    bool warned_ = false;
    bool swap_ = false;
    bool flip_sign_ = false;
    std::vector<unsigned char> converted_;
    unsigned char odd_ = 0;
    bool has_odd_ = false;
};

} // namespace

std::unique_ptr<AudioSink> makeWavSink(const std::string& path) {
    return std::make_unique<WavSink>(path);
}

} // namespace boxsim::dsp
