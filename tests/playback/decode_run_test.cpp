// Whole decode runs of files made by the tests, into a captured device.
#include "boxsim/toolkit/widget_tree.h"
#include "host/elabel.h"
#include "playback/decoder.h"
#include "plugin/player_dialog.h"
#include "tests/support/open_fds.h"

#include "device_capture.h"

#include <gtest/gtest.h>

#include <cstring>

using testaudio::Format;

namespace {

class DecodeRun : public ::testing::Test {
protected:
    void SetUp() override { set_total_time_label(&label_); }
    void TearDown() override {
        set_total_time_label(nullptr);
        EXPECT_EQ(file_info.decoder, nullptr);
        EXPECT_EQ(file_info.is_playing, 0);
    }
    std::string label() const { return boxsim::textOf(label_); }
    // Plays a file of the given format and returns what reached the device,
    // checking it against the samples that made the file.
    void playsExactly(const Format& format, std::size_t frames) {
        DeviceCapture device;
        const auto signal = testaudio::makeSignal(format, frames, format.bits);
        const std::string path = device.dir() / "in.flac";
        ASSERT_TRUE(testaudio::writeFlac(path, format, signal));
        play_file(path.c_str());
        EXPECT_EQ(device.bytes(), testaudio::toS16be(signal, format.bits))
            << format.bits << " bits, " << format.channels << " channels";
    }
    eLabel label_{nullptr};
};

} // namespace

TEST_F(DecodeRun, DeviceReceivesExactlyTheSamplesThatMadeTheFile) {
    playsExactly(Format{2, 16, 44100, 4096}, 44100);
    playsExactly(Format{1, 16, 48000, 1152}, 10000);
    playsExactly(Format{6, 16, 44100, 4608}, 20000);
}

TEST_F(DecodeRun, EveryDepthPlaysScaledToSixteenBits) {
    for (unsigned bits : {8u, 12u, 20u, 24u, 32u})
        playsExactly(Format{2, bits, 44100, 4096}, 9000);
    playsExactly(Format{1, 4, 8000, 1024}, 3000);
}

TEST_F(DecodeRun, LargestFramesPlayWhole) {
    playsExactly(Format{2, 16, 44100, 65535}, 65535 * 2 + 17);
    playsExactly(Format{8, 16, 44100, 65535}, 65535);
}

TEST_F(DecodeRun, AfterAPlayTheRecordIsResetButKeepsTheStream) {
    DeviceCapture device;
    const std::string path = device.dir() / "two-seconds.flac";
    ASSERT_TRUE(testaudio::writeTone(path, Format{2, 16, 44100, 4096}, 2.0));
    const int fd = audio;
    play_file(path.c_str());

    EXPECT_EQ(file_info.is_playing, 0);
    EXPECT_STREQ(file_info.filename, "");
    EXPECT_EQ(file_info.total_seconds, 0);
    EXPECT_EQ(audio, 0);
    EXPECT_FALSE(testfs::isOpen(fd));
    EXPECT_EQ(file_info.bits_per_sample, 16);
    EXPECT_EQ(file_info.sample_rate, 44100);
    EXPECT_EQ(file_info.channels, 2u);
    EXPECT_EQ(file_info.total_samples, 88200u);
    EXPECT_FLOAT_EQ(file_info.total_time, 2.0f);
    EXPECT_EQ(label(), "00:00");
}

TEST_F(DecodeRun, TotalTimeIsShownWhileThePlayIsOpen) {
    DeviceCapture device;
    const std::string path = device.dir() / "three-seconds.flac";
    ASSERT_TRUE(testaudio::writeTone(path, Format{2, 16, 44100, 4096}, 3.0));
    ASSERT_EQ(decoder_constructor(path.c_str()), 1);
    EXPECT_EQ(file_info.is_playing, 1);
    EXPECT_STREQ(file_info.filename, path.c_str());
    EXPECT_EQ(label(), "00:03");
    decoder_destructor();
    EXPECT_EQ(label(), "00:00");
}

TEST_F(DecodeRun, UnopenableFilesFailWithoutLeavingADecoder) {
    testfs::ScratchDir dir;
    dir.touch("garbage.flac", "this is not a FLAC stream at all, not even close");
    dir.touch("empty.flac");
    for (const std::string& path :
         {dir / "missing.flac", dir / "garbage.flac", dir / "empty.flac", dir.path()}) {
        EXPECT_EQ(decoder_constructor(path.c_str()), 0) << path;
        EXPECT_EQ(file_info.is_playing, 0);
        EXPECT_EQ(file_info.decoder, nullptr);
    }
}

TEST_F(DecodeRun, OverlongPathIsCutInTheRecordOnly) {
    const std::string path = "/" + std::string(5000, 'x') + ".flac";
    EXPECT_EQ(decoder_constructor(path.c_str()), 0);
    EXPECT_EQ(std::strlen(file_info.filename), 4095u);
    EXPECT_EQ(std::string(file_info.filename), path.substr(0, 4095));
}

TEST_F(DecodeRun, FailedOpenStillResetsAndClosesTheDevice) {
    DeviceCapture device;
    const int fd = audio;
    file_info.total_seconds = 77;
    play_file((device.dir() / "missing.flac").c_str());
    EXPECT_EQ(audio, 0);
    EXPECT_FALSE(testfs::isOpen(fd));
    EXPECT_EQ(file_info.total_seconds, 0);
    EXPECT_EQ(label(), "00:00");
}

TEST_F(DecodeRun, RefusedDeviceDecodesToTheEndAndClosesNothing) {
    testfs::ScratchDir dir;
    const std::string path = dir / "tone.flac";
    ASSERT_TRUE(testaudio::writeTone(path, Format{2, 16, 44100, 4096}, 5.0));
    const auto before = testfs::openDescriptors();
    audio = -1;
    play_file(path.c_str());
    EXPECT_EQ(audio, 0);
    // A second teardown finds 0 and must not close standard input.
    decoder_destructor();
    EXPECT_TRUE(testfs::isOpen(0));
    EXPECT_EQ(testfs::openDescriptors(), before);
}

TEST_F(DecodeRun, DepthAndChannelChangesBetweenFramesDoNotFault) {
    testfs::ScratchDir dir;
    ASSERT_TRUE(testaudio::writeTone(dir / "a.flac", Format{2, 16, 44100, 4096}, 0.5));
    ASSERT_TRUE(testaudio::writeTone(dir / "b.flac", Format{1, 24, 44100, 4096}, 0.5));
    ASSERT_TRUE(testaudio::writeTone(dir / "c.flac", Format{8, 8, 44100, 65535}, 2.0));
    auto spliced = testaudio::readFile(dir / "a.flac");
    for (const char* other : {"b.flac", "c.flac"}) {
        const auto more = testaudio::readFile(dir / other);
        spliced.insert(spliced.end(), more.begin() + testaudio::audioOffset(more), more.end());
    }
    testaudio::writeFile(dir / "spliced.flac", spliced);

    DeviceCapture device;
    play_file((dir / "spliced.flac").c_str());
    // At least the frames that match the stream information arrive intact.
    EXPECT_GE(device.bytes().size(), 22050u * 4);
}
