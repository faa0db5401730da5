// Where the stand-in sound card's output goes. A sink lives for the whole
// session: each open of the device begins a stretch, its bytes follow in the
// device's own format, and the stretch ends once the device has been closed
// and drained. Every call comes from one device thread at a time. A sink
// that fails says so through sink_report.h and goes on taking bytes into
// nothing, so the player is never held up by it.
#pragma once

#include "boxsim/dsp/pcm_format.h"

#include <cstddef>
#include <memory>
#include <string>

namespace boxsim::dsp {

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // The device was opened, or its format changed.
    virtual void begin(const PcmFormat& format) = 0;
    virtual void write(const unsigned char* data, std::size_t size) = 0;
    // The device was closed and everything written has been played.
    virtual void end() = 0;
    // True when the sink itself blocks in real time (a real sound card).
    virtual bool pacesItself() const { return false; }
    // False when write() would throw the bytes away: the card then spares
    // itself copying them.
    virtual bool keepsBytes() const { return true; }
};

std::unique_ptr<AudioSink> makeNullSink();
// A RIFF WAV file whose header carries the format; 16-bit samples are stored
// little-endian as WAV requires, whatever order the device was given.
std::unique_ptr<AudioSink> makeWavSink(const std::string& path);
// The device's bytes exactly as written, one stretch after another.
std::unique_ptr<AudioSink> makeRawSink(const std::string& path);
// Live sound through ALSA; an empty name means ALSA's default device. Only
// a build with ALSA has these; the sink table (sink_table.h) says which.
std::unique_ptr<AudioSink> makeAlsaSink(const std::string& device);
// True when the ALSA device opens for playback, i.e. the machine can sound.
bool alsaPlaybackAvailable(const std::string& device);

} // namespace boxsim::dsp
