// The device's bytes, exactly as the player wrote them: what byte-for-byte
// tests compare against.
#include "boxsim/dsp/audio_sink.h"

#include <cstdio>

namespace boxsim::dsp {
namespace {

class RawSink final : public AudioSink {
public:
    explicit RawSink(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_)
            std::fprintf(stderr, "boxsim: cannot write %s; sound goes nowhere\n", path.c_str());
    }
    ~RawSink() override {
        if (file_)
            std::fclose(file_);
    }
    void begin(const PcmFormat&) override {}
    void write(const unsigned char* data, std::size_t size) override {
        if (file_)
            std::fwrite(data, 1, size, file_);
    }
    void end() override {
        if (file_)
            std::fflush(file_);
    }

private:
    std::FILE* file_;
};

} // namespace

std::unique_ptr<AudioSink> makeRawSink(const std::string& path) {
    return std::make_unique<RawSink>(path);
}

} // namespace boxsim::dsp
