// A WAV file of the whole session. The header takes the format of the first
// stretch and is rewritten with the data size at the end of each stretch, so
// the file is complete whenever no device is open.
#include "boxsim/dsp/audio_sink.h"

#include <cstdint>
#include <cstdio>
#include <linux/soundcard.h>
#include <vector>

namespace boxsim::dsp {
namespace {

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
    explicit WavSink(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
        if (!file_)
            std::fprintf(stderr, "boxsim: cannot write %s; sound goes nowhere\n", path.c_str());
    }
    ~WavSink() override {
        if (file_) {
            writeHeader();
            std::fclose(file_);
        }
    }

    void begin(const PcmFormat& format) override {
        if (!started_) {
            format_ = format;
            started_ = true;
            writeHeader();
        } else if (format != format_ && !warned_) {
            warned_ = true;
            std::fprintf(stderr,
                         "boxsim: %s keeps the first format (%s, %d ch, %d Hz); later plays in "
                         "another format are stored as if they had it\n",
                         path_.c_str(), formatName(format_.afmt).c_str(), format_.channels,
                         format_.rate);
        }
    }

    void write(const unsigned char* data, std::size_t size) override {
        if (!file_ || !started_)
            return;
        if (format_.afmt == AFMT_S16_BE || format_.afmt == AFMT_U16_BE) {
            // WAV is little-endian: swap each pair, keeping an odd byte for later.
            swapped_.clear();
            for (std::size_t i = 0; i < size; ++i) {
                if (has_odd_) {
                    swapped_.push_back(data[i]);
                    swapped_.push_back(odd_);
                    has_odd_ = false;
                } else {
                    odd_ = data[i];
                    has_odd_ = true;
                }
            }
            std::fwrite(swapped_.data(), 1, swapped_.size(), file_);
            data_bytes_ += swapped_.size();
        } else {
            std::fwrite(data, 1, size, file_);
            data_bytes_ += size;
        }
    }

    void end() override {
        has_odd_ = false;
        if (file_) {
            writeHeader();
            std::fflush(file_);
        }
    }

private:
    void writeHeader() {
        if (!file_ || !started_)
            return;
        const std::uint32_t bits = format_.bytesPerSample() * 8;
        const std::uint32_t block = format_.bytesPerSample() * format_.channels;
        std::vector<unsigned char> h = {'R', 'I', 'F', 'F'};
        put32(h, static_cast<std::uint32_t>(36 + data_bytes_));
        h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
        put32(h, 16);
        put16(h, 1); // PCM
        put16(h, static_cast<std::uint32_t>(format_.channels));
        put32(h, static_cast<std::uint32_t>(format_.rate));
        put32(h, static_cast<std::uint32_t>(format_.rate) * block);
        put16(h, block);
        put16(h, bits);
        h.insert(h.end(), {'d', 'a', 't', 'a'});
        put32(h, static_cast<std::uint32_t>(data_bytes_));
        std::fseek(file_, 0, SEEK_SET);
        std::fwrite(h.data(), 1, h.size(), file_);
        std::fseek(file_, 0, SEEK_END);
    }

    std::string path_;
    std::FILE* file_;
    PcmFormat format_;
    bool started_ = false;
    bool warned_ = false;
    std::size_t data_bytes_ = 0;
    std::vector<unsigned char> swapped_;
    unsigned char odd_ = 0;
    bool has_odd_ = false;
};

} // namespace

std::unique_ptr<AudioSink> makeWavSink(const std::string& path) {
    return std::make_unique<WavSink>(path);
}

} // namespace boxsim::dsp
