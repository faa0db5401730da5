// Plays into nothing. The device thread still paces it, so a play takes as
// long as it would on the box.
#include "boxsim/dsp/audio_sink.h"

namespace boxsim::dsp {
namespace {

class NullSink final : public AudioSink {
public:
    void begin(const PcmFormat&) override {}
    void write(const unsigned char*, std::size_t) override {}
    void end() override {}
    bool keepsBytes() const override { return false; }
};

} // namespace

std::unique_ptr<AudioSink> makeNullSink() {
    return std::make_unique<NullSink>();
}

} // namespace boxsim::dsp
