// Where the stand-in sound card's output goes. A sink lives for the whole
// session: each open of the device begins a stretch, its bytes follow in the
// device's own format, and the stretch ends once the device has been closed
// and drained. Every call comes from one device thread at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace boxsim::dsp {

// An OSS sample format (AFMT_*), channel count and rate.
struct PcmFormat {
    int afmt = 0;
    int channels = 1;
    int rate = 8000;

    int bytesPerSample() const;
    int bytesPerSecond() const { return bytesPerSample() * channels * rate; }
    bool operator==(const PcmFormat& o) const {
        return afmt == o.afmt && channels == o.channels && rate == o.rate;
    }
    bool operator!=(const PcmFormat& o) const { return !(*this == o); }
};

// The OSS name of a format ("AFMT_S16_BE"), or its number in hex.
std::string formatName(int afmt);

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
// Live sound through ALSA; an empty name means ALSA's default device.
std::unique_ptr<AudioSink> makeAlsaSink(const std::string& device);
// True when the ALSA device opens for playback, i.e. the machine can sound.
bool alsaPlaybackAvailable(const std::string& device);

} // namespace boxsim::dsp
