// The OSS sample formats, in one table: what the stand-in device accepts,
// and what each is to the sinks and the call log. A format the device does
// not accept leaves the one in effect, as a driver does.
#pragma once

#include <linux/soundcard.h>
#include <string>

namespace boxsim::dsp {

struct SampleFormat {
    int afmt;              // the OSS constant, AFMT_*
    const char* name;      // as the call log and messages write it
    int bytes;             // a sample's bytes
    bool big_endian;       // the order of a sample's bytes, where it has two
    bool is_signed;        // two's complement; otherwise offset by half the range
    bool accepted;         // the device takes it
    const char* alsa_name; // ALSA's name for the same layout
};

// The format with this OSS constant, or null for one not in the table.
const SampleFormat* sampleFormat(int afmt);

// A format in effect: OSS constant, channels and rate. The defaults are a
// device's before it is asked for anything, as OSS has them.
struct PcmFormat {
    int afmt = AFMT_U8;
    int channels = 1;
    int rate = 8000;

    // A format not in the table counts as 16-bit.
    int bytesPerSample() const;
    int bytesPerSecond() const { return bytesPerSample() * channels * rate; }
    bool operator==(const PcmFormat& o) const {
        return afmt == o.afmt && channels == o.channels && rate == o.rate;
    }
    bool operator!=(const PcmFormat& o) const { return !(*this == o); }
};

// The table's name of a format ("AFMT_S16_BE"), or its number in hex.
std::string formatName(int afmt);

} // namespace boxsim::dsp
