// The device's bytes, exactly as the player wrote them: what byte-for-byte
// tests compare against.
#include "boxsim/dsp/audio_sink.h"
#include "boxsim/dsp/capture_file.h"

namespace boxsim::dsp {
namespace {

class RawSink final : public AudioSink {
public:
    explicit RawSink(const std::string& path) : file_(path, "the raw capture") {}
    void begin(const PcmFormat&) override {}
    void write(const unsigned char* data, std::size_t size) override { file_.append(data, size); }
    void end() override {}

private:
    CaptureFile file_;
};

} // namespace

std::unique_ptr<AudioSink> makeRawSink(const std::string& path) {
    return std::make_unique<RawSink>(path);
}

} // namespace boxsim::dsp
