// The decode run on its own: the stream information and the total time it
// shows, one decoded frame into one device write, whole files of any format
// into a captured device, and files that are broken or lie.
#include "boxsim/toolkit/widget_tree.h"
#include "host/elabel.h"
#include "playback/decoder.h"
#include "playback/frame_output.h"
#include "plugin/player_dialog.h"
#include "tests/support/open_fds.h"
#include "tests/support/recording_label.h"

#include "device_capture.h"

#include <gtest/gtest.h>

#include <climits>

using testaudio::Format;
using Bytes = std::vector<unsigned char>;

namespace {

class Decode : public ::testing::Test {
protected:
    void SetUp() override { set_total_time_label(&label_); }
    void TearDown() override {
        set_total_time_label(nullptr);
        EXPECT_EQ(file_info.decoder, nullptr) << "a play left its decoder";
        EXPECT_EQ(file_info.is_playing, 0) << "a play left its record open";
    }
    std::string shown() const { return boxsim::textOf(label_); }
    // What a whole file, of the given bytes, puts on the device.
    Bytes play(const Bytes& file) {
        DeviceCapture device;
        device.dir().touch("in.flac", std::string(file.begin(), file.end()));
        play_file((device.dir() / "in.flac").c_str());
        return device.bytes();
    }
    static Bytes flac(const Format& f, const std::vector<FLAC__int32>& signal) {
        testfs::ScratchDir dir;
        EXPECT_TRUE(testaudio::writeFlac(dir / "f.flac", f, signal));
        return testaudio::readFile(dir / "f.flac");
    }
    RecordingLabel label_;
};

// A frame as the library hands it over: its header and one array per channel.
struct Frame {
    Frame(unsigned blocksize, unsigned channels, unsigned bits,
          const std::vector<FLAC__int32>& interleaved)
        : samples(channels, std::vector<FLAC__int32>(blocksize)) {
        frame.header.blocksize = blocksize;
        frame.header.channels = channels;
        frame.header.bits_per_sample = bits;
        for (unsigned i = 0; i < blocksize * channels; ++i)
            samples[i % channels][i / channels] = interleaved[i];
        for (auto& channel : samples)
            pointers.push_back(channel.data());
    }
    FLAC__StreamDecoderWriteStatus write() {
        return flac_write_hdl(nullptr, &frame, pointers.data(), &file_info);
    }
    // What the write callback sends to the device.
    Bytes written() {
        DeviceCapture device;
        EXPECT_EQ(write(), FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE);
        return device.bytes();
    }
    FLAC__Frame frame{};
    std::vector<std::vector<FLAC__int32>> samples;
    std::vector<const FLAC__int32*> pointers;
};

enum Outcome { exact, prefix, nothing, anything };

FLAC__StreamMetadata stream_info(FLAC__uint64 samples, unsigned rate) {
    FLAC__StreamMetadata m{};
    m.type = FLAC__METADATA_TYPE_STREAMINFO;
    m.data.stream_info = {0, 0, 0, 0, rate, 6, 24, samples, {}};
    return m;
}

} // namespace

TEST_F(Decode, TheTotalTimeIsTheSampleCountOverTheRateInSinglePrecision) {
    const struct {
        FLAC__uint64 samples;
        unsigned rate;
        const char* shown;
    } cases[] = {
        {10584000, 44100, "04:00"},
        {26459999, 44100, "10:00"}, // rounds up as a float
        {26459998, 44100, "09:59"},
        {67958100, 44100, "25:40"}, // 1541 s, 1540 as a float
        {44099, 44100, "00:00"},
        {0, 44100, "00:00"},                     // no length given
        {441000 + (1ull << 32), 44100, "00:10"}, // only the low 32 bits count
        {441000, 0, "00:00"},
        {59 * 8000, 8000, "00:59"},
        {3599 * 8000, 8000, "59:59"},
        {6000 * 8000, 8000, "100:00"}, // minutes are not capped
    };
    for (const auto& c : cases) {
        const FLAC__StreamMetadata m = stream_info(c.samples, c.rate);
        flac_metadata_hdl(nullptr, &m, &file_info);
        EXPECT_EQ(shown(), c.shown) << c.samples << " at " << c.rate;
    }
    EXPECT_EQ(file_info.bits_per_sample, 24);
    EXPECT_EQ(file_info.sample_rate, 8000);
    EXPECT_EQ(file_info.channels, 6u);
    EXPECT_EQ(file_info.total_samples, 6000u * 8000);
    // A rate of 1 Hz makes more seconds than an int holds.
    const FLAC__StreamMetadata huge = stream_info(0xFFFFFFFFu, 1);
    flac_metadata_hdl(nullptr, &huge, &file_info);
    EXPECT_EQ(file_info.total_seconds, INT_MAX);
    // Other blocks, and a window that is gone, change nothing.
    label_.setText("untouched");
    FLAC__StreamMetadata comment{};
    comment.type = FLAC__METADATA_TYPE_VORBIS_COMMENT;
    flac_metadata_hdl(nullptr, &comment, &file_info);
    EXPECT_EQ(shown(), "untouched");
    EXPECT_EQ(file_info.total_seconds, INT_MAX);
    set_total_time_label(nullptr);
    eTivraDialog::DisplayTotalTime();
    EXPECT_EQ(shown(), "untouched");
}

TEST_F(Decode, AFrameIsOneWriteOfInterleavedBigEndianWords) {
    const auto signal = [](unsigned n, unsigned bits) {
        return testaudio::makeSignal(Format{1, bits, 44100, 4096}, n, bits);
    };
    const struct {
        unsigned blocksize, channels, bits;
    } frames[] = {
        {4096, 2, 16}, {1152, 1, 16}, {2, 6, 16},    {65535, 8, 16}, // the largest there is
        {9, 1, 8},     {9, 2, 4},     {9, 1, 12},    {9, 1, 20},
        {9, 2, 24},    {9, 1, 32},    {4608, 6, 24},
    };
    for (const auto& f : frames) {
        const auto values = signal(f.blocksize * f.channels, f.bits);
        EXPECT_EQ(Frame(f.blocksize, f.channels, f.bits, values).written(),
                  testaudio::toS16be(values, f.bits))
            << f.blocksize << " x " << f.channels << " at " << f.bits << " bits";
    }
    release_frame_buffer();
    EXPECT_EQ(Frame(3, 1, 16, {-1, 32767, -32768}).written(),
              (Bytes{0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x00}));
    // A device that fails every write changes nothing for the decoder.
    audio = -1;
    EXPECT_EQ(Frame(4096, 2, 16, signal(8192, 16)).write(),
              FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE);
    audio = 0;
}

TEST_F(Decode, WhatCannotBeOpenedLeavesNoDecoderAndStillClosesTheDevice) {
    testfs::ScratchDir dir;
    dir.touch("garbage.flac", "this is not a FLAC stream at all, not even close");
    dir.touch("empty.flac");
    dir.touch("header-only.flac", "fLaC");
    for (const std::string& path : {dir / "missing.flac", dir / "garbage.flac", dir / "empty.flac",
                                    dir / "header-only.flac", dir.path()}) {
        DeviceCapture device;
        const int fd = audio;
        file_info.total_seconds = 77;
        play_file(path.c_str());
        EXPECT_EQ(audio, 0) << path;
        EXPECT_FALSE(testfs::isOpen(fd)) << path << ": the device was left open";
        EXPECT_EQ(file_info.total_seconds, 0) << path;
        EXPECT_EQ(shown(), "00:00") << path;
    }
    // The record keeps 4095 bytes of an overlong path; the library gets it all.
    const std::string path = "/" + std::string(5000, 'x') + ".flac";
    EXPECT_EQ(decoder_constructor(path.c_str()), 0);
    EXPECT_EQ(std::string(file_info.filename), path.substr(0, 4095));
    // What opens says 1; a second teardown finds 0: it must not close
    // standard input.
    ASSERT_TRUE(testaudio::writeTone(dir / "good.flac", {}, 0.1));
    EXPECT_EQ(decoder_constructor((dir / "good.flac").c_str()), 1);
    decoder_destructor();
    decoder_destructor();
    EXPECT_TRUE(testfs::isOpen(0));
}

TEST_F(Decode, BrokenOrLyingFilesPlayWhatTheyCanAndNeverFault) {
    const Format f;
    const auto signal = testaudio::makeSignal(f, 44100);
    const Bytes good = flac(f, signal), expected = testaudio::toS16be(signal, 16);
    // STREAMINFO starts after "fLaC" and its block header.
    auto patched = [&](std::size_t offset, const Bytes& patch) {
        Bytes b = good;
        std::copy(patch.begin(), patch.end(), b.begin() + 8 + offset);
        return b;
    };
    auto cut = [&](double keep) {
        return Bytes(good.begin(), good.begin() + long(good.size() * keep));
    };
    Bytes garbage(good.begin(), good.begin() + long(testaudio::audioOffset(good)));
    for (std::uint32_t n = 7, i = 0; i < 200000; ++i)
        garbage.push_back(static_cast<unsigned char>((n = n * 1103515245u + 12345u) >> 16));
    const struct {
        const char* what;
        Bytes file;
        Outcome outcome;
    } cases[] = {
        {"block and frame sizes all wrong", patched(0, {0, 16, 0, 16, 0, 0, 1, 0, 0, 2}), exact},
        {"a length of 2^36 - 1", patched(13, {0x0F, 0xFF, 0xFF, 0xFF, 0xFF}), exact},
        {"a length of 0", patched(13, {0, 0, 0, 0, 0}), exact},
        {"cut in mid-frame, early", cut(0.2), prefix},
        {"cut in mid-frame, late", cut(0.97), prefix},
        {"cut in the metadata", Bytes(good.begin(), good.begin() + 30), nothing},
        {"garbage after the metadata", garbage, anything},
        {"8 channels of 32 bits", patched(10, {0x0A, 0xC4, 0x4F, 0xF0}), anything},
        {"1 channel of 4 bits", patched(10, {0x0A, 0xC4, 0x40, 0x30}), anything},
        {"a rate of 0", patched(10, {0x00, 0x00, 0x02, 0xF0}), anything},
        {"everything at its largest", patched(10, {0xFF, 0xFF, 0xFF, 0xFF}), anything},
    };
    for (const auto& c : cases) {
        const Bytes out = play(c.file);
        const bool is_prefix =
            out.size() <= expected.size() && std::equal(out.begin(), out.end(), expected.begin());
        EXPECT_TRUE(c.outcome != exact || out == expected) << c.what;
        EXPECT_TRUE(c.outcome != prefix || is_prefix) << c.what;
        EXPECT_TRUE(c.outcome != prefix || !out.empty()) << c.what;
        EXPECT_TRUE(c.outcome != nothing || out.empty()) << c.what;
        EXPECT_EQ(file_info.decoder, nullptr) << c.what;
        EXPECT_EQ(audio, 0) << c.what;
    }
    // Frames of other depths and channel counts after the stream's own.
    Bytes spliced = good;
    for (const Format& other : {Format{1, 24, 44100, 4096}, Format{8, 8, 44100, 65535}}) {
        const Bytes more = flac(other, testaudio::makeSignal(other, 44100));
        spliced.insert(spliced.end(), more.begin() + testaudio::audioOffset(more), more.end());
    }
    EXPECT_GE(play(spliced).size(), expected.size()) << "the frames that match arrive intact";
}
