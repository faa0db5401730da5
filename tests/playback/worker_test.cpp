// The playback worker against the stand-in device: what it asks of the
// device, what reaches it, and how it stops, wherever it is.
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/frame_output.h"
#include "playback/stop_request.h"
#include "playback/worker_record.h"
#include "tests/support/box_player.h"
#include "tests/support/open_fds.h"

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using testaudio::Format;

namespace {

using Worker = BoxPlayer;

const std::vector<std::string> device_setup = {"open /dev/dsp", "ioctl SNDCTL_DSP_SETFMT 32",
                                               "ioctl SNDCTL_DSP_STEREO 1",
                                               "ioctl SNDCTL_DSP_SPEED 44100"};

} // namespace

TEST_F(Worker, AnyStreamPlaysWholeIntoTheDeviceTheBoxSetsUp) {
    // Whatever the stream's rate, channels and depth: the same three
    // requests, every sample once, one close, one finished. The bytes must
    // be the same on the box's processor: the fingerprint was taken here.
    std::vector<unsigned char> all;
    // One stream goes to a device that takes each write in part: the rest of
    // each frame must follow.
    for (const Format& f :
         {Format{2, 16, 44100, 4096}, Format{1, 24, 48000, 1152}, Format{6, 8, 44100, 4608}}) {
        card(f.channels == 1 ? Card().raw().fast().halfWrites() : Card().raw().fast());
        const auto signal = testaudio::makeSignal(f, 20000);
        ASSERT_TRUE(testaudio::writeFlac("/hdd/f.flac", f, signal));
        finished = 0;
        start("/hdd/f.flac");
        ASSERT_TRUE(waitUntil([this] { return finished == 1; }));
        const auto c = calls();
        ASSERT_GE(c.size(), 6u);
        EXPECT_EQ(std::vector<std::string>(c.begin(), c.begin() + 4), device_setup);
        EXPECT_TRUE(c.back() == "close" && std::count(c.begin(), c.end(), "open /dev/dsp") == 1);
        const auto bytes = captured();
        EXPECT_EQ(bytes, testaudio::toS16be(signal, f.bits)) << f.channels << " channels";
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(testaudio::fingerprint(all), 11755276036958023557ull);
    EXPECT_TRUE(dsp_sample == 0x20 && dsp_stereo == 1 && dsp_speed == 44100);
    EXPECT_EQ(label.texts().size(), 6u) << "shown when each opened and at its one teardown";
}

TEST_F(Worker, ARefusedDeviceStillDecodesToTheEndWithoutWaiting) {
    card(Card().refuse());
    tone("/hdd/ten.flac", 10.0);
    const auto before = Clock::now();
    start("/hdd/ten.flac");
    ASSERT_TRUE(waitUntil([this] { return finished == 1; }));
    EXPECT_LT(Clock::now() - before, 5s);
    EXPECT_EQ(calls(), (std::vector<std::string>{"open /dev/dsp busy"}));
}

TEST_F(Worker, ANameThatIsNoLongerAFileBlocksNothing) {
    // The browser saw a regular file; by the time the worker opens the name
    // it is a named pipe without a writer, whose open would wait for one.
    ASSERT_EQ(mkfifo("/hdd/pipe.flac", 0644), 0);
    start("/hdd/pipe.flac");
    ASSERT_TRUE(waitUntil([this] { return finished == 1; }, 2s));
    const auto c = calls();
    EXPECT_TRUE(c.front() == "open /dev/dsp" && c.back() == "close");
    EXPECT_EQ(label.texts(), std::vector<std::string>{"00:00"});
}

TEST_F(Worker, WithStandardInputClosedTheDeviceStaysOffIt) {
    // A host started with descriptors 0 and 2 closed: the device opens as 0,
    // and only above 2 does it keep off the standard streams.
    card(Card().stall());
    tone("/hdd/long.flac", 1.0);
    const int saved = dup(0), saved_err = dup(2);
    close(0);
    close(2);
    start("/hdd/long.flac");
    const bool playing = waitUntil([] { return file_info.is_playing == 1; });
    const int fd = audio;
    const bool close_on_exec = fcntl(fd, F_GETFD) & FD_CLOEXEC;
    endWorker();
    const std::size_t open_after = boxsim::dsp::openDevices();
    const bool zero_closed = fcntl(0, F_GETFD) == -1; // the file, opened as 0 in its turn
    dup2(saved, 0);
    dup2(saved_err, 2);
    close(saved);
    close(saved_err);
    ASSERT_TRUE(playing);
    EXPECT_TRUE(fd > 2 && close_on_exec) << "0 means closed, and 1 and 2 are the host's output";
    EXPECT_EQ(open_after, 0u) << "the device was never closed";
    EXPECT_TRUE(zero_closed) << "the played file was left open";
}

TEST_F(Worker, ItsOwnStopRequestEndsTheDecodeWhateverTheHostsKillDoes) {
    // The box's kill need not reach the worker's reads and writes: the
    // decoder's callbacks answer the plug-in's own request. Checked here on
    // this thread, after the worker has gone and while the request stands.
    card(Card().stall());
    start(tone("/hdd/long.flac", 1.0));
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    endWorker();
    ASSERT_TRUE(stop_requested());
    audio = open("/hdd/after-stop.raw", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    play_file("/hdd/long.flac");
    EXPECT_TRUE(testaudio::readFile("/hdd/after-stop.raw").empty()) << "decoded after the stop";
    FLAC__Frame frame{};
    frame.header.blocksize = 1;
    frame.header.channels = 1;
    frame.header.bits_per_sample = 16;
    const FLAC__int32 sample = 0;
    const FLAC__int32* channel[] = {&sample};
    EXPECT_EQ(flac_write_hdl(nullptr, &frame, channel, &file_info),
              FLAC__STREAM_DECODER_WRITE_STATUS_ABORT);
}

TEST_F(Worker, TheEndHookReleasesWhatABodyCutShortLeftOpen) {
    struct Probe : ExecThread {
        using ExecThread::ExecThread;
        using ExecThread::thread_finished;
    } probe("/nowhere.flac");
    probe.finished.connect([this](int) { ++finished; });
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    file_info.decoder = FLAC__stream_decoder_new(); // a decoder mid-open
    audio = pipe_fds[1];
    probe.thread_finished();
    EXPECT_EQ(file_info.decoder, nullptr);
    EXPECT_EQ(audio, 0);
    EXPECT_FALSE(testfs::isOpen(pipe_fds[1]));
    EXPECT_EQ(finished, 1);
    close(pipe_fds[0]);
}

TEST_F(Worker, AKillInMidPlayTearsDownOnceFromTheEndHook) {
    // The host's kill alone, no request of the plug-in's: the body is cut
    // short in its blocked write, and the end hook finds the decoder open.
    if (!boxsim::killCutsShort())
        GTEST_SKIP() << "this build's kill fails the worker's calls instead";
    struct Probe : ExecThread {
        using ExecThread::ExecThread;
        std::atomic<int> playing_at_end{-1};
        void thread_finished() override {
            playing_at_end = file_info.is_playing.load();
            ExecThread::thread_finished();
        }
    };
    card(Card().stall());
    auto* worker = new Probe(tone("/hdd/long.flac", 1.0));
    execThread = worker;
    worker->start();
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    worker->kill(true);
    ASSERT_TRUE(waitUntil([] { return !worker_alive(); }));
    EXPECT_EQ(worker->playing_at_end, 1);
    EXPECT_EQ(label.texts(), (std::vector<std::string>{"00:01", "00:00"}));
    EXPECT_TRUE(!file_info.is_playing && !file_info.decoder && !audio);
}

TEST_F(Worker, KilledAnywhereItEndsOnceAndLeavesNothingBehind) {
    // Kills at random moments: opening the device (a slow card), reading the
    // metadata, reading, writing (a fast card, or a stalled one), tearing
    // down; by the host alone or after the plug-in's own request. Each time
    // one teardown ("00:00"), one finished, the device closed, nothing held.
    // Long enough to show a time other than "00:00", short enough to end
    // on a fast card before some of the kills.
    const std::string files[] = {tone("/hdd/short.flac", 1.0), tone("/hdd/mid.flac", 2.0),
                                 "/hdd/missing.flac"};
    std::mt19937 random(20261207);
    for (int i = 0; i < 300; ++i) {
        card(i % 5 == 3 ? Card().stall() : i % 5 == 4 ? Card().slowOpen() : Card().raw().fast());
        finished = 0;
        const auto shown = label.texts().size();
        ExecThread* worker = start(files[i % 3]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        if (i % 2)
            worker->kill(true);
        else
            stop_worker();
        ASSERT_TRUE(waitUntil([] { return !worker_alive(); })) << "cycle " << i;
        const auto texts = label.texts();
        const auto c = calls();
        EXPECT_TRUE(finished == 1 && !file_info.decoder && !file_info.is_playing && !audio &&
                    std::count(texts.begin() + shown, texts.end(), "00:00") == 1 &&
                    std::count(c.begin(), c.end(), "open /dev/dsp") ==
                        std::count(c.begin(), c.end(), "close"))
            << "cycle " << i << ": not ended once, or something left held";
        stop_worker();
    }
}
