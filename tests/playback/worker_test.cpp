// The playback worker against the stand-in device: what it asks of the
// device, what reaches it, and how it stops, wherever it is.
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/frame_output.h"
#include "tests/support/box_player.h"
#include "tests/support/open_fds.h"

#include <fcntl.h>
#include <random>
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
    for (const Format& f :
         {Format{2, 16, 44100, 4096}, Format{1, 24, 48000, 1152}, Format{6, 8, 44100, 4608}}) {
        card(Card().raw().fast());
        const auto signal = testaudio::makeSignal(f, 20000);
        ASSERT_TRUE(testaudio::writeFlac("/hdd/f.flac", f, signal));
        finished = 0;
        free_ended_worker();
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
    stop_worker();
    const std::size_t open_after = boxsim::dsp::openDevices();
    dup2(saved, 0);
    dup2(saved_err, 2);
    close(saved);
    close(saved_err);
    ASSERT_TRUE(playing);
    EXPECT_TRUE(fd > 2 && close_on_exec) << "0 means closed, and 1 and 2 are the host's output";
    EXPECT_EQ(open_after, 0u) << "the device was never closed";
}

TEST_F(Worker, ItsOwnStopRequestEndsTheDecodeWhateverTheHostsKillDoes) {
    // The box's kill need not reach the worker's reads and writes: the
    // decoder's callbacks answer the plug-in's own request. Checked here on
    // this thread, after the worker has gone and while the request stands.
    card(Card().stall());
    start(tone("/hdd/long.flac", 1.0));
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    stop_worker();
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

TEST_F(Worker, KillsAtRandomMomentsLeaveNothingBehind) {
    const std::string files[] = {tone("/hdd/short.flac", 0.05), tone("/hdd/mid.flac", 0.5),
                                 "/hdd/missing.flac"};
    card(Card().raw().fast());
    std::mt19937 random(20261206);
    for (int i = 0; i < 200; ++i) {
        finished = 0;
        ExecThread* worker = start(files[i % 3]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        worker->kill(true);
        ASSERT_TRUE(finished == 1 && !file_info.decoder && !file_info.is_playing && !audio)
            << "cycle " << i << ": not ended once, or something left held";
        free_ended_worker();
    }
}
