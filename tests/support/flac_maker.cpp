#include "tests/support/flac_maker.h"

#include <FLAC/stream_encoder.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace testaudio {

std::vector<FLAC__int32> makeSignal(const Format& format, std::size_t frames, unsigned seed) {
    std::vector<FLAC__int32> out;
    out.reserve(frames * format.channels);
    const double peak = std::ldexp(1.0, static_cast<int>(format.bits) - 1) - 1.0;
    std::uint32_t noise = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < frames; ++i) {
        for (unsigned c = 0; c < format.channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double tone =
                std::sin(2.0 * M_PI * (220.0 * (c + 1)) * static_cast<double>(i) / format.rate);
            const double jitter = static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
            double v = (0.9 * tone + 0.1 * jitter) * peak;
            out.push_back(static_cast<FLAC__int32>(std::lround(v)));
        }
    }
    return out;
}

bool writeFlac(const std::string& path, const Format& format,
               const std::vector<FLAC__int32>& interleaved) {
    FLAC__StreamEncoder* enc = FLAC__stream_encoder_new();
    if (!enc)
        return false;
    // Outside the streamable subset: depths like 4 or 32 bits and very large
    // blocks are exactly what the tests need.
    FLAC__stream_encoder_set_streamable_subset(enc, false);
    FLAC__stream_encoder_set_channels(enc, format.channels);
    FLAC__stream_encoder_set_bits_per_sample(enc, format.bits);
    FLAC__stream_encoder_set_sample_rate(enc, format.rate);
    // The level sets its own block size: ours goes after it.
    FLAC__stream_encoder_set_compression_level(enc, 1);
    FLAC__stream_encoder_set_blocksize(enc, format.blocksize);
    bool ok = FLAC__stream_encoder_init_file(enc, path.c_str(), nullptr, nullptr) ==
              FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    const std::size_t frames = interleaved.size() / format.channels;
    if (ok && frames > 0)
        ok = FLAC__stream_encoder_process_interleaved(enc, interleaved.data(),
                                                      static_cast<unsigned>(frames));
    ok = FLAC__stream_encoder_finish(enc) && ok;
    FLAC__stream_encoder_delete(enc);
    return ok;
}

bool writeTone(const std::string& path, const Format& format, double seconds) {
    const auto frames = static_cast<std::size_t>(seconds * format.rate);
    return writeFlac(path, format, makeSignal(format, frames));
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::size_t audioOffset(const std::vector<unsigned char>& flac) {
    std::size_t at = 4; // "fLaC"
    for (;;) {
        if (at + 4 > flac.size())
            return flac.size();
        const bool last = (flac[at] & 0x80) != 0;
        const std::size_t length =
            (std::size_t(flac[at + 1]) << 16) | (std::size_t(flac[at + 2]) << 8) | flac[at + 3];
        at += 4 + length;
        if (last)
            return at;
    }
}

std::vector<unsigned char> toS16be(const std::vector<FLAC__int32>& interleaved, unsigned bits) {
    std::vector<unsigned char> out;
    out.reserve(interleaved.size() * 2);
    for (FLAC__int32 s : interleaved) {
        const std::int64_t scaled =
            bits >= 16 ? (std::int64_t(s) >> (bits - 16)) : (std::int64_t(s) * (1 << (16 - bits)));
        const auto v = static_cast<std::uint16_t>(scaled & 0xffff);
        out.push_back(static_cast<unsigned char>(v >> 8));
        out.push_back(static_cast<unsigned char>(v & 0xff));
    }
    return out;
}

} // namespace testaudio
