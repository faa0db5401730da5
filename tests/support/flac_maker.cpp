#include "tests/support/flac_maker.h"

#include <FLAC/stream_encoder.h>

#include <fstream>
#include <iterator>

namespace testaudio {

std::vector<FLAC__int32> makeSignal(const Format& format, std::size_t frames, unsigned seed) {
    std::vector<FLAC__int32> out;
    out.reserve(frames * format.channels);
    const std::int64_t peak = (std::int64_t(1) << (format.bits - 1)) - 1;
    std::uint32_t noise = 12345 + 7919 * (seed - 1);
    for (std::size_t i = 0; i < frames; ++i) {
        for (unsigned c = 0; c < format.channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            // A triangle wave of a different period per channel, plus noise.
            const std::int64_t period = 100 + 37 * c;
            const std::int64_t phase = static_cast<std::int64_t>(i % period);
            const std::int64_t triangle =
                (phase < period / 2 ? phase : period - phase) * 4 * peak / period - peak;
            const std::int64_t jitter = static_cast<std::int64_t>(noise >> 20) - 2048;
            std::int64_t v = triangle * 7 / 8 + jitter * peak / 32768;
            v = v > peak ? peak : (v < -peak - 1 ? -peak - 1 : v);
            out.push_back(static_cast<FLAC__int32>(v));
        }
    }
    return out;
}

std::uint64_t fingerprint(const std::vector<unsigned char>& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
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
    // Fixed predictors only: no LPC, so no window functions, which would
    // call the target's trigonometry (see makeSignal). The level sets its
    // own block size: ours goes after it.
    FLAC__stream_encoder_set_compression_level(enc, 0);
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
