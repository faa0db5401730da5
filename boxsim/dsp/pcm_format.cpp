#include "boxsim/dsp/pcm_format.h"

#include <cstdio>

namespace boxsim::dsp {
namespace {

constexpr SampleFormat formats[] = {
    {AFMT_U8, "AFMT_U8", 1, false, false, true, "U8"},
    {AFMT_S8, "AFMT_S8", 1, false, true, true, "S8"},
    {AFMT_S16_LE, "AFMT_S16_LE", 2, false, true, true, "S16_LE"},
    {AFMT_S16_BE, "AFMT_S16_BE", 2, true, true, true, "S16_BE"},
    {AFMT_U16_LE, "AFMT_U16_LE", 2, false, false, false, "U16_LE"},
    {AFMT_U16_BE, "AFMT_U16_BE", 2, true, false, false, "U16_BE"},
};

constexpr bool accepted(int afmt) {
    for (const SampleFormat& f : formats) {
        if (f.afmt == afmt)
            return f.accepted;
    }
    return false;
}

} // namespace

static_assert(accepted(PcmFormat{}.afmt), "a device starts in a format it accepts");

const SampleFormat* sampleFormat(int afmt) {
    for (const SampleFormat& f : formats) {
        if (f.afmt == afmt)
            return &f;
    }
    return nullptr;
}

int PcmFormat::bytesPerSample() const {
    const SampleFormat* f = sampleFormat(afmt);
    return f ? f->bytes : 2;
}

std::string formatName(int afmt) {
    if (const SampleFormat* f = sampleFormat(afmt))
        return f->name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(afmt));
    return text;
}

} // namespace boxsim::dsp
