// The playback worker against the stand-in device.
#include "playback/exec_thread.h"

#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/frame_output.h"
#include "plugin/player_dialog.h"
#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/worker_watch.h"

#include "device_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <malloc.h>
#include <numeric>
#include <random>
#include <unistd.h>

using namespace std::chrono_literals;
using testaudio::Format;

namespace {

class Worker : public ::testing::Test {
protected:
    void SetUp() override {
        set_total_time_label(&label_);
        useDevice(boxsim::dsp::SinkKind::raw, true);
        fds_before_ = testfs::openDescriptors();
    }
    void TearDown() override {
        EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
        EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
        free_ended_worker();
        set_total_time_label(nullptr);
        execThread = nullptr;
        EXPECT_EQ(file_info.decoder, nullptr);
        EXPECT_EQ(file_info.is_playing, 0);
        EXPECT_EQ(audio, 0);
        boxsim::dsp::configure({}); // closes the capture file
        EXPECT_EQ(testfs::openDescriptors(), fds_before_) << "a descriptor leaked or was closed";
    }

    void useDevice(boxsim::dsp::SinkKind sink, bool fast, bool refuse = false, bool stall = false) {
        boxsim::dsp::Settings s;
        s.sink = sink;
        s.target = dir_ / "device.raw";
        s.fast = fast;
        s.refuse = refuse;
        s.stall = stall;
        boxsim::dsp::configure(s);
        boxsim::dsp::clearDeviceCalls();
    }

    std::string tone(const std::string& name, double seconds, Format format = {}) {
        const std::string path = dir_ / name;
        EXPECT_TRUE(testaudio::writeTone(path, format, seconds));
        return path;
    }

    // Starts a worker the way the file list does and counts its finished.
    ExecThread* start(const std::string& path) {
        auto* worker = new ExecThread(path);
        execThread = worker;
        worker->finished.connect([this](int) { ++finished_; });
        worker->start();
        return worker;
    }

    bool waitFinished(std::chrono::milliseconds timeout = 10s) {
        return testwork::waitUntil([this] { return finished_ > 0; }, timeout);
    }

    testfs::ScratchDir dir_;
    testwork::RecordingLabel label_;
    std::set<int> fds_before_;
    std::atomic<int> finished_{0};
};

// A worker that counts the worker objects alive.
struct Counted : ExecThread {
    explicit Counted(const std::string& p) : ExecThread(p) { ++alive; }
    ~Counted() override { --alive; }
    static inline std::atomic<int> alive{0};
};

std::size_t bytes_written(const std::vector<std::string>& calls) {
    std::size_t total = 0;
    for (const std::string& c : calls) {
        if (c.rfind("write ", 0) == 0)
            total += std::stoul(c.substr(6));
    }
    return total;
}

} // namespace

TEST_F(Worker, NormalPlayConfiguresTheDeviceWritesEverythingAndFinishesOnce) {
    const Format format{2, 16, 44100, 4096};
    const auto signal = testaudio::makeSignal(format, 30000);
    const std::string path = dir_ / "a.flac";
    ASSERT_TRUE(testaudio::writeFlac(path, format, signal));
    start(path);
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));

    const auto calls = boxsim::dsp::deviceCalls();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(
        std::vector<std::string>(calls.begin(), calls.begin() + 4),
        (std::vector<std::string>{"open /dev/dsp", "ioctl SNDCTL_DSP_SETFMT 32",
                                  "ioctl SNDCTL_DSP_STEREO 1", "ioctl SNDCTL_DSP_SPEED 44100"}));
    EXPECT_EQ(calls.back(), "close");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open /dev/dsp"), 1);
    EXPECT_EQ(bytes_written(calls), signal.size() * 2);
    EXPECT_EQ(testaudio::readFile(dir_ / "device.raw"), testaudio::toS16be(signal, 16));
    EXPECT_EQ(finished_, 1);
    EXPECT_EQ(dsp_sample, 0x20);
    EXPECT_EQ(dsp_stereo, 1);
    EXPECT_EQ(dsp_speed, 44100);
    // Shown once when the stream opened, once at the single teardown.
    EXPECT_EQ(label_.texts(), (std::vector<std::string>{"00:00", "00:00"}));
}

TEST_F(Worker, EveryStreamGetsTheSameDeviceSettings) {
    for (const Format& f :
         {Format{1, 16, 44100, 4096}, Format{2, 16, 48000, 4096}, Format{6, 24, 96000, 4096}}) {
        boxsim::dsp::clearDeviceCalls();
        finished_ = 0;
        free_ended_worker();
        start(tone("f.flac", 0.2, f));
        ASSERT_TRUE(waitFinished());
        const auto calls = boxsim::dsp::deviceCalls();
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(calls[1], "ioctl SNDCTL_DSP_SETFMT 32");
        EXPECT_EQ(calls[2], "ioctl SNDCTL_DSP_STEREO 1");
        EXPECT_EQ(calls[3], "ioctl SNDCTL_DSP_SPEED 44100");
    }
}

TEST_F(Worker, KillStopsABlockedPlayWithinASecondAndTearsDownOnce) {
    useDevice(boxsim::dsp::SinkKind::null, false);
    ExecThread* worker = start(tone("long.flac", 20.0));
    ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
    std::this_thread::sleep_for(600ms); // the device's buffer is full by now
    const auto before = std::chrono::steady_clock::now();
    worker->kill(true);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(file_info.is_playing, 0);
    EXPECT_EQ(audio, 0);
    EXPECT_EQ(finished_, 1);
    EXPECT_EQ(label_.texts(), (std::vector<std::string>{"00:20", "00:00"}));
}

TEST_F(Worker, KillGetsOutOfADeviceThatNeverDrains) {
    useDevice(boxsim::dsp::SinkKind::null, false, false, true);
    ExecThread* worker = start(tone("long.flac", 5.0));
    ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
    std::this_thread::sleep_for(200ms);
    const auto before = std::chrono::steady_clock::now();
    worker->kill(true);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(finished_, 1);
}

TEST_F(Worker, RefusedDeviceStillDecodesToTheEndWithoutWaiting) {
    useDevice(boxsim::dsp::SinkKind::null, false, true);
    const auto before = std::chrono::steady_clock::now();
    start(tone("ten.flac", 10.0));
    ASSERT_TRUE(waitFinished());
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(testfs::isOpen(0));
    EXPECT_EQ(boxsim::dsp::deviceCalls(), (std::vector<std::string>{"open /dev/dsp busy"}));
}

TEST_F(Worker, WithStandardInputClosedTheDeviceStaysOffIt) {
    // A host started with descriptor 0 closed: the device opens as 0.
    useDevice(boxsim::dsp::SinkKind::null, false, false, true);
    const std::string path = tone("long.flac", 1.0);
    const int saved = dup(0);
    close(0);
    start(path);
    const bool playing = testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s);
    const int fd = audio;
    const bool close_on_exec = fcntl(fd, F_GETFD) & FD_CLOEXEC;
    stop_worker();
    const std::size_t open_after = boxsim::dsp::openDevices();
    dup2(saved, 0);
    close(saved);
    ASSERT_TRUE(playing);
    EXPECT_GT(fd, 2) << "0 means closed, and 1 and 2 are the host's output";
    EXPECT_TRUE(close_on_exec);
    EXPECT_EQ(open_after, 0u) << "the device was never closed";
    EXPECT_EQ(audio, 0);
}

TEST_F(Worker, ItsOwnStopRequestEndsTheDecodeWhateverTheHostsKillDoes) {
    // The box's kill need not reach the worker's reads and writes: the
    // decoder's callbacks answer the plug-in's own request. Checked here on
    // this thread, after the worker has gone and while the request stands.
    useDevice(boxsim::dsp::SinkKind::null, false, false, true);
    const std::string path = tone("long.flac", 1.0);
    start(path);
    ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
    stop_worker();
    ASSERT_TRUE(stop_requested());
    {
        DeviceCapture device;
        play_file(path.c_str());
        EXPECT_TRUE(device.bytes().empty()) << "decoded after the stop request";
    }
    FLAC__Frame frame{};
    frame.header.blocksize = 1;
    frame.header.channels = 1;
    frame.header.bits_per_sample = 16;
    const FLAC__int32 sample = 0;
    const FLAC__int32* channel[] = {&sample};
    audio = -1;
    EXPECT_EQ(flac_write_hdl(nullptr, &frame, channel, &file_info),
              FLAC__STREAM_DECODER_WRITE_STATUS_ABORT);
    audio = 0;
}

TEST_F(Worker, EndHookReleasesADecoderLeftOpening) {
    // A body cut short while its decoder was opening: is_playing is still 0.
    struct Probe : ExecThread {
        using ExecThread::ExecThread;
        using ExecThread::thread_finished;
    };
    auto* probe = new Probe("/nowhere.flac");
    probe->finished.connect([this](int) { ++finished_; });
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    file_info.decoder = FLAC__stream_decoder_new();
    audio = pipe_fds[1];
    probe->thread_finished();
    EXPECT_EQ(file_info.decoder, nullptr);
    EXPECT_EQ(audio, 0);
    EXPECT_FALSE(testfs::isOpen(pipe_fds[1]));
    EXPECT_EQ(finished_, 1);
    close(pipe_fds[0]);
    delete probe;
}

TEST_F(Worker, KillsAtRandomMomentsLeaveNothingBehind) {
    const std::string files[] = {tone("short.flac", 0.05), tone("mid.flac", 0.5),
                                 dir_ / "missing.flac"};
    std::mt19937 random(20261206);
    for (int i = 0; i < 200; ++i) {
        finished_ = 0;
        ExecThread* worker = start(files[i % 3]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        worker->kill(true);
        ASSERT_EQ(finished_, 1) << "cycle " << i;
        ASSERT_EQ(file_info.decoder, nullptr) << "cycle " << i;
        ASSERT_EQ(file_info.is_playing, 0) << "cycle " << i;
        ASSERT_EQ(audio, 0) << "cycle " << i;
        free_ended_worker();
    }
}

TEST_F(Worker, FinishedWorkersAreFreed) {
    const std::string path = tone("blip.flac", 0.01);
    auto play = [&] {
        finished_ = 0;
        auto* worker = new Counted(path);
        worker->finished.connect([this](int) { ++finished_; });
        worker->start();
        ASSERT_TRUE(waitFinished());
        ASSERT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
        free_ended_worker();
        boxsim::dsp::clearDeviceCalls(); // the card's record would grow
        label_.clear();                  // and so would ours
    };
    for (int i = 0; i < 100; ++i) {
        play();
        ASSERT_EQ(Counted::alive, 0) << "play " << i;
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // And the heap with it. Containers and the allocator's caches settle
    // over the first plays and then move by a few kilobytes either way; a
    // worker left behind would cost about 480 bytes a play, 144 KB for 300.
    for (int i = 0; i < 100; ++i)
        play();
    const auto heap_before = mallinfo2().uordblks;
    for (int i = 0; i < 300; ++i)
        play();
    EXPECT_LT(mallinfo2().uordblks, heap_before + 32 * 1024);
#endif
}

TEST_F(Worker, DeviceOutputIsTheSameOnEveryHost) {
    // Played here and on the box's processor (under emulation), these files
    // must reach the device as the very same bytes: the fingerprint below
    // was taken on x86-64.
    std::vector<unsigned char> all;
    for (const Format& f :
         {Format{2, 16, 44100, 4096}, Format{1, 24, 48000, 1152}, Format{6, 8, 44100, 4608}}) {
        const auto signal = testaudio::makeSignal(f, 20000);
        const std::string path = dir_ / "same.flac";
        ASSERT_TRUE(testaudio::writeFlac(path, f, signal));
        useDevice(boxsim::dsp::SinkKind::raw, true);
        finished_ = 0;
        free_ended_worker();
        start(path);
        ASSERT_TRUE(waitFinished());
        ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));
        boxsim::dsp::configure({}); // closes the capture
        const auto bytes = testaudio::readFile(dir_ / "device.raw");
        EXPECT_EQ(bytes, testaudio::toS16be(signal, f.bits));
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(all.size(), 20000u * 9 * 2);
    EXPECT_EQ(testaudio::fingerprint(all), 11755276036958023557ull);
}

TEST_F(Worker, PacedPlayTakesAboutAsLongAsTheMusic) {
    useDevice(boxsim::dsp::SinkKind::null, false);
    const std::string path = tone("three.flac", 3.0);
    const auto before = std::chrono::steady_clock::now();
    start(path);
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GT(took, 2500ms);
    EXPECT_LT(took, 6s);
}
