// Files that are broken, truncated, lying or changing under the player: each
// plays as far as it can and ends cleanly, never faulting.
#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/worker_watch.h"

#include "device_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <unistd.h>

using namespace std::chrono_literals;
using testaudio::Format;

namespace {

class HostileFile : public ::testing::Test {
protected:
    void SetUp() override {
        signal_ = testaudio::makeSignal(format_, 44100);
        ASSERT_TRUE(testaudio::writeFlac(dir_ / "good.flac", format_, signal_));
        good_ = testaudio::readFile(dir_ / "good.flac");
        fds_before_ = testfs::openDescriptors();
    }
    void TearDown() override {
        EXPECT_EQ(file_info.decoder, nullptr);
        EXPECT_EQ(file_info.is_playing, 0);
        EXPECT_EQ(audio, 0);
        EXPECT_EQ(testfs::openDescriptors(), fds_before_);
    }
    // Plays bytes as a file; returns what reached the device.
    std::vector<unsigned char> play(const std::vector<unsigned char>& bytes) {
        testaudio::writeFile(dir_ / "hostile.flac", bytes);
        DeviceCapture device;
        play_file((dir_ / "hostile.flac").c_str());
        return device.bytes();
    }
    // STREAMINFO starts after "fLaC" and the 4-byte block header.
    std::vector<unsigned char> withStreamInfo(std::size_t offset,
                                              std::vector<unsigned char> patch) const {
        std::vector<unsigned char> bytes = good_;
        for (std::size_t i = 0; i < patch.size(); ++i)
            bytes[8 + offset + i] = patch[i];
        return bytes;
    }
    static bool isPrefix(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
        return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

    Format format_{2, 16, 44100, 4096};
    std::vector<FLAC__int32> signal_;
    std::vector<unsigned char> good_;
    testfs::ScratchDir dir_;
    std::set<int> fds_before_;
};

} // namespace

TEST_F(HostileFile, TruncatedInMidFramePlaysWhatIsThere) {
    const auto expected = testaudio::toS16be(signal_, 16);
    for (double keep : {0.2, 0.5, 0.97}) {
        auto cut = good_;
        cut.resize(static_cast<std::size_t>(static_cast<double>(cut.size()) * keep));
        const auto out = play(cut);
        EXPECT_TRUE(isPrefix(out, expected)) << keep;
        EXPECT_GT(out.size(), 0u) << keep;
    }
    EXPECT_TRUE(play(std::vector<unsigned char>(good_.begin(), good_.begin() + 30)).empty());
}

TEST_F(HostileFile, GarbageAfterAValidHeaderEndsQuietly) {
    auto bytes =
        std::vector<unsigned char>(good_.begin(), good_.begin() + testaudio::audioOffset(good_));
    std::uint32_t noise = 7;
    for (int i = 0; i < 200000; ++i) {
        noise = noise * 1103515245u + 12345u;
        bytes.push_back(static_cast<unsigned char>(noise >> 16));
    }
    play(bytes);
    EXPECT_EQ(file_info.total_samples, 44100u);
}

TEST_F(HostileFile, EmptyOrHeaderOnlyFilesDoNotOpen) {
    EXPECT_TRUE(play({}).empty());
    EXPECT_TRUE(play({'f', 'L', 'a', 'C'}).empty());
}

TEST_F(HostileFile, LiesAboutSizesAndLengthChangeNothingThatPlays) {
    const auto expected = testaudio::toS16be(signal_, 16);
    // min and max block size, min and max frame size: all wrong.
    EXPECT_EQ(play(withStreamInfo(0, {0x00, 0x10, 0x00, 0x10})), expected);
    EXPECT_EQ(play(withStreamInfo(4, {0, 0, 1, 0, 0, 2})), expected);
    // A total length of 2^36 - 1 samples, and of 0.
    EXPECT_EQ(play(withStreamInfo(13, {0x0F, 0xFF, 0xFF, 0xFF, 0xFF})), expected);
    EXPECT_EQ(play(withStreamInfo(13, {0x00, 0x00, 0x00, 0x00, 0x00})), expected);
}

TEST_F(HostileFile, LiesAboutDepthChannelsOrRateNeverFault) {
    // Bytes 10-13: 20 bits of rate, 3 of channels - 1, 5 of depth - 1, then
    // the top 4 bits of the length.
    const std::vector<std::vector<unsigned char>> lies = {
        {0x0A, 0xC4, 0x4F, 0xF0}, // 44100 Hz, 8 channels, 32 bits
        {0x0A, 0xC4, 0x40, 0x30}, // 44100 Hz, 1 channel, 4 bits
        {0x00, 0x00, 0x02, 0xF0}, // 0 Hz, 2 channels, 16 bits
        {0xFF, 0xFF, 0xFF, 0xFF}, // everything at its largest
    };
    for (const auto& lie : lies) {
        play(withStreamInfo(10, lie));
        SCOPED_TRACE(::testing::Message() << int(lie[0]) << "," << int(lie[1]) << "," << int(lie[2])
                                          << "," << int(lie[3]));
        EXPECT_EQ(file_info.decoder, nullptr);
    }
}

TEST_F(HostileFile, AFileTruncatedOrDeletedWhileItPlaysEndsCleanly) {
    boxsim::dsp::Settings paced;
    paced.sink = boxsim::dsp::SinkKind::null;
    boxsim::dsp::configure(paced);
    const Format f;
    for (const bool truncate_it : {true, false}) {
        const std::string path = dir_ / "moving.flac";
        ASSERT_TRUE(testaudio::writeFlac(path, f, testaudio::makeSignal(f, 44100 * 20)));
        std::atomic<int> finished{0};
        auto* worker = new ExecThread(path);
        worker->finished.connect([&](int) { ++finished; });
        worker->start();
        ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
        if (truncate_it)
            ASSERT_EQ(truncate(path.c_str(), 5000), 0);
        else
            ASSERT_EQ(unlink(path.c_str()), 0);
        if (truncate_it) // what was already read plays out, then the decode ends
            EXPECT_TRUE(testwork::waitUntil([&] { return finished == 1; }, 10s));
        else // the open file plays on; a stop still works at once
            worker->kill(true);
        EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
        free_ended_worker();
        EXPECT_EQ(finished, 1);
    }
    EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    boxsim::dsp::configure({});
}
