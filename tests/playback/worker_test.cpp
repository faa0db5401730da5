// The playback worker against the stand-in device: what it asks of the
// device, what reaches it, and how it stops, wherever it is.
#include "boxsim/toolkit/kill_at.h"
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "playback/frame_output.h"
#include "playback/worker_record.h"
#include "playback/worker_state.h"
#include "tests/support/box_player.h"
#include "tests/support/open_fds.h"

#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
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
        EXPECT_EQ(c.back(), "close");
        EXPECT_EQ(std::count(c.begin(), c.end(), "open /dev/dsp"), 1);
        const auto bytes = captured();
        EXPECT_EQ(bytes, testaudio::toS16be(signal, f.bits)) << f.channels << " channels";
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(testaudio::fingerprint(all), 11755276036958023557ull);
    EXPECT_EQ(label.texts().size(), 6u) << "shown when each opened and at its one teardown";
}

TEST_F(Worker, ABusyDeviceIsTriedAgainForAWhileThenTheFileDecodesIntoNothing) {
    card(Card().refuse());
    tone("/hdd/ten.flac", 10.0);
    const auto before = Clock::now();
    start("/hdd/ten.flac");
    ASSERT_TRUE(waitUntil([this] { return finished == 1; }));
    EXPECT_LT(Clock::now() - before, 5s) << "ten seconds of sound, decoded into nothing";
    const auto c = calls();
    EXPECT_GT(c.size(), 1u) << "tried again";
    EXPECT_EQ(std::count(c.begin(), c.end(), "open /dev/dsp busy"), c.size());
}

TEST_F(Worker, ANameThatIsNoLongerAFileBlocksNothing) {
    // The browser saw a regular file; by the time the worker opens the name
    // it is a named pipe without a writer, whose open would wait for one.
    ASSERT_EQ(mkfifo("/hdd/pipe.flac", 0644), 0);
    start("/hdd/pipe.flac");
    ASSERT_TRUE(waitUntil([this] { return finished == 1; }, 2s));
    const auto c = calls();
    EXPECT_EQ(c.front(), "open /dev/dsp");
    EXPECT_EQ(c.back(), "close");
    EXPECT_EQ(label.texts(), std::vector<std::string>{"00:00"});
}

TEST_F(Worker, WithStandardInputClosedTheDeviceStaysOffIt) {
    // A host started with descriptors 0 and 2 closed: the device opens as 0,
    // and only above 2 does it keep off the standard streams. What else
    // takes 0 or 2 meanwhile (a sanitizer's pipe, a thread of the host) is
    // none of the plug-in's: only the played file on 0 would be a leak.
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
    const std::string on_zero = testfs::target(0);
    for (const auto& [standard, copy] : {std::pair{0, saved}, std::pair{2, saved_err}}) {
        if (!testfs::isOpen(standard))
            dup2(copy, standard);
        close(copy);
    }
    ASSERT_TRUE(playing);
    EXPECT_GT(fd, 2) << "0 means closed, and 1 and 2 are the host's output";
    EXPECT_TRUE(close_on_exec);
    EXPECT_EQ(open_after, 0u) << "the device was never closed";
    EXPECT_EQ(on_zero.find("long.flac"), std::string::npos) << "the played file was left open";
}

TEST_F(Worker, ItsOwnStopRequestEndsTheDecodeWhateverTheHostsKillDoes) {
    // The box's kill need not reach the worker's reads and writes: the
    // decoder's callbacks answer the worker's own request. Checked here on
    // this thread, as a worker asked to stop.
    tone("/hdd/long.flac", 1.0);
    WorkerState stopped(0);
    stopped.stop_asked = true;
    bind_this_thread(&stopped);
    audio = open("/hdd/after-stop.raw", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    play_file("/hdd/long.flac");
    FLAC__Frame frame{};
    frame.header.blocksize = 1;
    frame.header.channels = 1;
    frame.header.bits_per_sample = 16;
    const FLAC__int32 sample = 0;
    const FLAC__int32* channel[] = {&sample};
    const auto written = flac_write_hdl(nullptr, &frame, channel, &file_info);
    bind_this_thread(nullptr);
    EXPECT_TRUE(testaudio::readFile("/hdd/after-stop.raw").empty()) << "decoded after the stop";
    EXPECT_EQ(written, FLAC__STREAM_DECODER_WRITE_STATUS_ABORT);
}

TEST_F(Worker, KilledAtEveryPointItEndsOnceAndTheNextFilePlaysWhole) {
    // A file of two frames, killed at each cancellation point of its worker
    // in turn (a call's start and its return apart) by the window's Stop, as
    // boxsim --kill-at does; then another file plays. Wherever the kill
    // lands (a body cut short in the file's or the device's open included):
    // one teardown, one finished, the device opened and closed alike,
    // nothing held, and the next file's every byte.
    // Large frames, so that the file lasts a second and its time shows.
    const Format f{2, 16, 44100, 32768};
    const auto two = testaudio::makeSignal(f, 2 * 32768), next = testaudio::makeSignal(f, 3000, 7);
    ASSERT_TRUE(testaudio::writeFlac("/hdd/two.flac", f, two));
    ASSERT_TRUE(testaudio::writeFlac("/hdd/next.flac", f, next));
    window();                     // whose Stop stops it,
    set_total_time_label(&label); // its time shown where this test reads it
    std::mutex said_lock;
    std::vector<std::string> said;
    int n = 1;
    for (;; ++n) {
        card(Card().raw().fast());
        const testfs::Descriptors fds = testfs::describeDescriptors();
        std::atomic<bool> holding{false};
        boxsim::kill_at::arm({n,
                              [&](const std::string& line) {
                                  std::lock_guard<std::mutex> hold(said_lock);
                                  said.push_back(line);
                              },
                              [&] { holding = true; }});
        finished = 0;
        const auto shown = label.texts().size();
        start("/hdd/two.flac");
        ASSERT_TRUE(waitUntil([&] { return holding || finished == 1; })) << "point " << n;
        if (!holding) {
            // It has fewer points; it says so as it leaves the host's hands.
            ASSERT_TRUE(waitUntil([] { return boxsim::liveThreads() == 0; }));
            break;
        }
        window().StopPlayer();
        ASSERT_TRUE(waitUntil([] { return !worker_alive(); })) << "point " << n;
        stop_workers(); // frees it, whenever the kill returned
        const auto texts = label.texts();
        const auto c = calls();
        EXPECT_EQ(finished, 1) << "point " << n;
        EXPECT_EQ(std::count(texts.begin() + shown, texts.end(), "00:00"), 1)
            << "point " << n << ": " << ::testing::PrintToString(texts);
        EXPECT_EQ(std::count(c.begin(), c.end(), "open /dev/dsp"),
                  std::count(c.begin(), c.end(), "close"))
            << "point " << n;
        EXPECT_TRUE(boxsim::dsp::waitUntilIdle(2s)) << "point " << n << ": the device is held";
        EXPECT_EQ(testfs::leakedOrClosedSince(fds), std::vector<std::string>{}) << "point " << n;
        EXPECT_EQ(boxsim::liveThreads(), 0u) << "point " << n;
        card(Card().raw().fast());
        start("/hdd/next.flac");
        ASSERT_TRUE(waitUntil([] { return !worker_alive(); })) << "point " << n;
        stop_workers();
        EXPECT_EQ(captured(), testaudio::toS16be(next, 16)) << "after point " << n;
    }
    boxsim::kill_at::disarm();
    EXPECT_GE(n, 9) << "two reads and two writes at least, each a start and a return";
    std::lock_guard<std::mutex> hold(said_lock);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), "--kill-at " + std::to_string(n) + ": the worker ended after " +
                               std::to_string(n - 1) + " cancellation points");
    for (const char* where : {"the start of read", "the return of write"})
        EXPECT_NE(std::find_if(said.begin(), said.end(),
                               [&](const std::string& line) {
                                   return line.find(where) != std::string::npos;
                               }),
                  said.end())
            << where;
}

TEST_F(Worker, SignalsOnItsBlockedCallsLoseNoSound) {
    // A handled signal without SA_RESTART at every thread but this one:
    // every few milliseconds while the worker's writes wait for a real-time
    // device (they come back before the device took anything, or after it
    // took a part), and once while a slow device's open waits. Every byte
    // must still reach it, once.
    const Format f{2, 16, 44100, 4096};
    const auto signal = testaudio::makeSignal(f, 44100 * 2);
    ASSERT_TRUE(testaudio::writeFlac("/hdd/half.flac", f, signal));
    struct sigaction action {
    }, before{};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &action, &before), 0);
    const pid_t self = getpid(), me = static_cast<pid_t>(syscall(SYS_gettid));
    for (const Card& c : {Card().raw(), Card().raw().fast().slowOpen()}) {
        card(c);
        start("/hdd/half.flac");
        int sent = 0;
        if (c.slow_open_)
            std::this_thread::sleep_for(100ms); // into the open's 600 ms
        while (worker_alive() && (sent == 0 || !c.slow_open_)) {
            for (const int tid : testfs::threads()) {
                if (tid != me && syscall(SYS_tgkill, self, tid, SIGUSR1) == 0)
                    ++sent;
            }
            std::this_thread::sleep_for(3ms);
        }
        ASSERT_TRUE(waitUntil([] { return !worker_alive(); }));
        stop_workers();
        const auto bytes = captured();
        EXPECT_GT(sent, c.slow_open_ ? 0 : 100);
        const auto expected = testaudio::toS16be(signal, 16);
        EXPECT_EQ(bytes.size(), expected.size()) << (c.slow_open_ ? "slow open" : "");
        EXPECT_TRUE(bytes == expected) << "the bytes differ";
    }
    sigaction(SIGUSR1, &before, nullptr);
}
