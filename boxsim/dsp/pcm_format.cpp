#include "boxsim/dsp/audio_sink.h"

#include <cstdio>
#include <linux/soundcard.h>

int boxsim::dsp::PcmFormat::bytesPerSample() const {
    switch (afmt) {
    case AFMT_U8:
    case AFMT_S8: return 1;
    default: return 2;
    }
}

std::string boxsim::dsp::formatName(int afmt) {
    switch (afmt) {
    case AFMT_U8: return "AFMT_U8";
    case AFMT_S8: return "AFMT_S8";
    case AFMT_S16_LE: return "AFMT_S16_LE";
    case AFMT_S16_BE: return "AFMT_S16_BE";
    case AFMT_U16_LE: return "AFMT_U16_LE";
    case AFMT_U16_BE: return "AFMT_U16_BE";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(afmt));
        return text;
    }
    }
}
