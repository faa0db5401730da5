// Test audio, made here with libFLAC's encoder: tones and noise at any depth,
// rate and channel count, written as FLAC files, plus the pieces needed to
// splice frames of one file after the metadata of another.
#pragma once

#include <FLAC/ordinals.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testaudio {

struct Format {
    unsigned channels = 2;
    unsigned bits = 16;
    unsigned rate = 44100;
    unsigned blocksize = 4096;
};

// Interleaved samples, frame by frame: a triangle wave of its own period per
// channel plus deterministic noise, over nearly the whole range of the depth.
// Integer arithmetic only: the same on every host, and it keeps away from
// the box's libm trigonometry, which uses an instruction qemu's 32-bit
// PowerPC models do not take.
std::vector<FLAC__int32> makeSignal(const Format& format, std::size_t frames, unsigned seed = 1);

// FNV-1a, 64 bits: a fingerprint of bytes to compare across hosts.
std::uint64_t fingerprint(const std::vector<unsigned char>& bytes);

// Encodes interleaved samples to path. False if libFLAC refuses.
bool writeFlac(const std::string& path, const Format& format,
               const std::vector<FLAC__int32>& interleaved);

// A short file at the given format, for tests that only need something playable.
bool writeTone(const std::string& path, const Format& format, double seconds);

std::vector<unsigned char> readFile(const std::string& path);

// Byte offset of the first audio frame: just past the last metadata block.
std::size_t audioOffset(const std::vector<unsigned char>& flac);

// The big-endian 16-bit device bytes that samples of the given depth become.
std::vector<unsigned char> toS16be(const std::vector<FLAC__int32>& interleaved, unsigned bits);

} // namespace testaudio
