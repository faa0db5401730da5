#include "boxsim/hdd/demo_disk.h"

#include <FLAC/stream_encoder.h>

#include <cmath>
#include <fstream>
#include <sys/stat.h>
#include <vector>

namespace boxsim {
namespace {

constexpr const char* stamp_name = ".tivra-demo-disk-1";

struct Tune {
    const char* path;
    unsigned rate;
    unsigned channels;
    double seconds;
    std::vector<int> notes; // semitones from A3; the tune repeats
    double beat;            // seconds a note
};

// A plucked tone per note, a little apart in the two channels.
std::vector<FLAC__int32> render(const Tune& tune) {
    const auto frames = static_cast<std::size_t>(tune.seconds * tune.rate);
    std::vector<FLAC__int32> out;
    out.reserve(frames * tune.channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / tune.rate;
        const auto step = static_cast<std::size_t>(t / tune.beat);
        const double in_note = t - static_cast<double>(step) * tune.beat;
        const int semitone = tune.notes[step % tune.notes.size()];
        const double f = 220.0 * std::pow(2.0, semitone / 12.0);
        const double envelope =
            std::exp(-3.0 * in_note / tune.beat) * std::min(1.0, in_note * 200.0);
        // Fade the last half second so a play ends without a click.
        const double fade = std::min(1.0, (tune.seconds - t) * 2.0);
        for (unsigned c = 0; c < tune.channels; ++c) {
            const double phase = 2.0 * M_PI * f * (t + 0.0007 * c);
            const double v =
                0.6 * std::sin(phase) + 0.2 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase);
            out.push_back(static_cast<FLAC__int32>(std::lround(v * envelope * fade * 20000.0)));
        }
    }
    return out;
}

bool encode(const std::string& path, const Tune& tune) {
    const std::vector<FLAC__int32> samples = render(tune);
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    if (!encoder)
        return false;
    FLAC__stream_encoder_set_channels(encoder, tune.channels);
    FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
    FLAC__stream_encoder_set_sample_rate(encoder, tune.rate);
    FLAC__stream_encoder_set_compression_level(encoder, 5);
    bool ok = FLAC__stream_encoder_init_file(encoder, path.c_str(), nullptr, nullptr) ==
              FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    ok = ok && FLAC__stream_encoder_process_interleaved(
                   encoder, samples.data(), static_cast<unsigned>(samples.size() / tune.channels));
    ok = FLAC__stream_encoder_finish(encoder) && ok;
    FLAC__stream_encoder_delete(encoder);
    return ok;
}

} // namespace

bool makeDemoDisk(const std::string& dir, std::string& error) {
    struct stat st;
    if (stat((dir + "/" + stamp_name).c_str(), &st) == 0)
        return true;
    const std::vector<Tune> tunes = {
        {"01 Morning Bell.flac", 44100, 2, 8, {0, 4, 7, 12, 7, 4}, 0.25},
        {"02 Little March.flac",
         44100,
         2,
         21,
         {0, 0, 7, 7, 9, 9, 7, -1, 5, 5, 4, 4, 2, 2, 0, -1},
         0.3},
        {"03 Long Evening.flac", 44100, 2, 65, {-5, 0, 3, 7, 3, 0, -2, 2, 5, 2}, 0.5},
        {"Quiet Corner/Mono Hum.flac", 44100, 1, 12, {0, 3, 7, 10}, 0.6},
        {"Quiet Corner/Rain at 48 kHz.flac", 48000, 2, 30, {12, 10, 7, 5, 3, 0}, 0.2},
        {"Track 2.flac", 44100, 2, 4, {0, 7}, 0.5},
        {"Track 10.flac", 44100, 2, 4, {0, 5}, 0.5},
    };
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/Quiet Corner").c_str(), 0755);
    for (const Tune& tune : tunes) {
        const std::string path = dir + "/" + tune.path;
        if (!encode(path, tune)) {
            error = "cannot write " + path;
            return false;
        }
    }
    std::ofstream(dir + "/" + stamp_name) << "made by make_demo_disk\n";
    return true;
}

} // namespace boxsim
