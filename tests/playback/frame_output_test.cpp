// One decoded frame in, one device write out, byte for byte.
#include "playback/frame_output.h"

#include "device_capture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A frame header and per-channel sample arrays, as the decoder hands them over.
struct SyntheticFrame {
    SyntheticFrame(unsigned blocksize, unsigned channels, unsigned bits)
        : samples(channels, std::vector<FLAC__int32>(blocksize)) {
        frame.header.blocksize = blocksize;
        frame.header.channels = channels;
        frame.header.bits_per_sample = bits;
        for (auto& channel : samples)
            pointers.push_back(channel.data());
    }
    FLAC__StreamDecoderWriteStatus write() {
        return flac_write_hdl(nullptr, &frame, pointers.data(), &file_info);
    }
    FLAC__Frame frame{};
    std::vector<std::vector<FLAC__int32>> samples;
    std::vector<const FLAC__int32*> pointers;
};

} // namespace

TEST(FrameOutput, StereoFrameIsOneWriteInterleavedHighByteFirst) {
    DeviceCapture device;
    SyntheticFrame f(4096, 2, 16);
    for (unsigned i = 0; i < 4096; ++i) {
        f.samples[0][i] = static_cast<FLAC__int32>(i);
        f.samples[1][i] = -static_cast<FLAC__int32>(i) - 1;
    }
    EXPECT_EQ(f.write(), FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE);
    const auto out = device.bytes();
    ASSERT_EQ(out.size(), 16384u);
    // L0 R0 L1 R1: 0x0000, 0xFFFF, 0x0001, 0xFFFE
    EXPECT_EQ(std::vector<unsigned char>(out.begin(), out.begin() + 8),
              (std::vector<unsigned char>{0x00, 0x00, 0xFF, 0xFF, 0x00, 0x01, 0xFF, 0xFE}));
    EXPECT_EQ(out[16380], 0x0F); // L4095 = 0x0FFF
    EXPECT_EQ(out[16381], 0xFF);
}

TEST(FrameOutput, MonoIsNeitherDuplicatedNorResampled) {
    DeviceCapture device;
    SyntheticFrame f(1152, 1, 16);
    for (unsigned i = 0; i < 1152; ++i)
        f.samples[0][i] = static_cast<FLAC__int32>(i * 7);
    f.write();
    const auto out = device.bytes();
    ASSERT_EQ(out.size(), 2304u);
    EXPECT_EQ(out[2 * 1151], ((1151 * 7) >> 8) & 0xFF);
    EXPECT_EQ(out[2 * 1151 + 1], (1151 * 7) & 0xFF);
}

TEST(FrameOutput, ExtremeSixteenBitValues) {
    DeviceCapture device;
    SyntheticFrame f(3, 1, 16);
    f.samples[0] = {-1, 32767, -32768};
    f.write();
    EXPECT_EQ(device.bytes(), (std::vector<unsigned char>{0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x00}));
}

TEST(FrameOutput, SixChannelsInterleaveInChannelOrder) {
    DeviceCapture device;
    SyntheticFrame f(2, 6, 16);
    for (unsigned c = 0; c < 6; ++c) {
        f.samples[c][0] = static_cast<FLAC__int32>(c + 1);
        f.samples[c][1] = static_cast<FLAC__int32>(0x100 * (c + 1));
    }
    f.write();
    const auto out = device.bytes();
    ASSERT_EQ(out.size(), 24u);
    for (unsigned c = 0; c < 6; ++c) {
        EXPECT_EQ(out[2 * c + 1], c + 1) << c;
        EXPECT_EQ(out[12 + 2 * c], c + 1) << c;
    }
}

TEST(FrameOutput, OtherDepthsAreScaledToSixteenBits) {
    struct Case {
        unsigned bits;
        FLAC__int32 sample;
        unsigned char hi, lo;
    };
    const Case cases[] = {
        {8, 127, 0x7F, 0x00},       {8, -128, 0x80, 0x00},       {4, -1, 0xF0, 0x00},
        {12, 0x7FF, 0x7F, 0xF0},    {20, 0x7FFFF, 0x7F, 0xFF},   {24, -8388608, 0x80, 0x00},
        {24, 0x123456, 0x12, 0x34}, {32, INT32_MIN, 0x80, 0x00}, {32, 0x7FFFFFFF, 0x7F, 0xFF},
    };
    for (const Case& c : cases) {
        DeviceCapture device;
        SyntheticFrame f(1, 1, c.bits);
        f.samples[0][0] = c.sample;
        f.write();
        EXPECT_EQ(device.bytes(), (std::vector<unsigned char>{c.hi, c.lo})) << c.bits;
    }
}

TEST(FrameOutput, LargestFrameOfTheFormatIsWrittenWhole) {
    DeviceCapture device;
    SyntheticFrame f(65535, 8, 16);
    f.samples[7][65534] = 0x1234;
    f.write();
    const auto out = device.bytes();
    ASSERT_EQ(out.size(), 1048560u);
    EXPECT_EQ(out[1048558], 0x12);
    EXPECT_EQ(out[1048559], 0x34);
    release_frame_buffer();
}

TEST(FrameOutput, FailedWritesStillContinueDecoding) {
    audio = -1;
    SyntheticFrame f(4096, 2, 16);
    EXPECT_EQ(f.write(), FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE);
    audio = 0;
}
