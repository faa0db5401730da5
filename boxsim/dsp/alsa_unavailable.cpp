// A build without ALSA (the box's own, for one): no live sound; the choice
// of sink says so when asked for it.
#include "boxsim/dsp/audio_sink.h"

namespace boxsim::dsp {

std::unique_ptr<AudioSink> makeAlsaSink(const std::string&) {
    return nullptr;
}
bool alsaBuiltIn() {
    return false;
}
bool alsaPlaybackAvailable(const std::string&) {
    return false;
}

} // namespace boxsim::dsp
