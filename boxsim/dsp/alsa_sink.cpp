// Live sound through ALSA (PipeWire and PulseAudio serve ALSA clients too).
// The card's formats map straight onto ALSA's, so the samples go out as the
// player wrote them; ALSA's blocking write paces the play. ALSA's own
// complaints stay off the terminal: boxsim says in one line what failed.
#include "boxsim/dsp/audio_sink.h"
#include "boxsim/dsp/sink_report.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <vector>

namespace boxsim::dsp {
namespace {

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

void quiet_alsa() {
    snd_lib_error_set_handler(ignore_alsa_error);
}

snd_pcm_format_t alsa_format(int afmt) {
    const SampleFormat* f = sampleFormat(afmt);
    return f ? snd_pcm_format_value(f->alsa_name) : SND_PCM_FORMAT_UNKNOWN;
}

class AlsaSink final : public AudioSink {
public:
    explicit AlsaSink(std::string device) : device_(device.empty() ? "default" : device) {
        quiet_alsa();
    }
    ~AlsaSink() override { closePcm(); }

    void begin(const PcmFormat& format) override {
        closePcm();
        format_ = format;
        part_.clear();
        int err = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
        if (err == 0)
            err = snd_pcm_set_params(pcm_, alsa_format(format.afmt), SND_PCM_ACCESS_RW_INTERLEAVED,
                                     static_cast<unsigned>(format.channels),
                                     static_cast<unsigned>(format.rate), 1, 200000);
        if (err < 0)
            giveUp(err, "playing into nothing");
    }

    // The card hands over what the player wrote in pieces of any size; ALSA
    // takes whole frames, so a frame cut between two pieces waits in part_.
    void write(const unsigned char* data, std::size_t size) override {
        if (!pcm_)
            return;
        const std::size_t frame = static_cast<std::size_t>(format_.bytesPerSample()) *
                                  static_cast<std::size_t>(format_.channels);
        if (!part_.empty()) {
            const std::size_t take = std::min(frame - part_.size(), size);
            part_.insert(part_.end(), data, data + take);
            data += take;
            size -= take;
            if (part_.size() < frame || !play(part_.data(), 1, frame))
                return;
            part_.clear();
        }
        if (play(data, size / frame, frame))
            part_.assign(data + size / frame * frame, data + size);
    }

    void end() override {
        if (pcm_)
            snd_pcm_drain(pcm_);
        closePcm();
    }

    bool pacesItself() const override { return pcm_ != nullptr; }

private:
    bool play(const unsigned char* data, snd_pcm_uframes_t frames, std::size_t frame) {
        while (frames > 0) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, data, frames);
            if (n < 0) {
                const int err = snd_pcm_recover(pcm_, static_cast<int>(n), 1);
                if (err < 0) {
                    giveUp(err, "the rest plays into nothing");
                    return false;
                }
                continue;
            }
            data += static_cast<std::size_t>(n) * frame;
            frames -= static_cast<snd_pcm_uframes_t>(n);
        }
        return true;
    }

    // Said once a session: a device that fails fails again at every play.
    void giveUp(int err, const char* then) {
        if (!warned_)
            report("ALSA device " + device_ + ": " + snd_strerror(err) + "; " + then, Loss::sound);
        warned_ = true;
        closePcm();
    }

    void closePcm() {
        if (pcm_)
            snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }

    std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    PcmFormat format_;
    std::vector<unsigned char> part_;
    bool warned_ = false;
};

} // namespace

bool alsaPlaybackAvailable(const std::string& device) {
    quiet_alsa();
    snd_pcm_t* pcm = nullptr;
    const bool ok = snd_pcm_open(&pcm, device.empty() ? "default" : device.c_str(),
                                 SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) == 0;
    if (pcm)
        snd_pcm_close(pcm);
    return ok;
}

std::unique_ptr<AudioSink> makeAlsaSink(const std::string& device) {
    return std::make_unique<AlsaSink>(device);
}

} // namespace boxsim::dsp
