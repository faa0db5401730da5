// The stand-in "/dev/dsp": what it serves, records, paces and captures.
#include "boxsim/dsp/sink_choice.h"
#include "boxsim/dsp/sink_report.h"
#include "boxsim/dsp/sound_card.h"

#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <linux/soundcard.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern "C" int __open_2(const char*, int);
extern "C" int __open64_2(const char*, int);

using namespace std::chrono_literals;
namespace dsp = boxsim::dsp;
using Bytes = std::vector<unsigned char>;

namespace {

dsp::Settings settings(dsp::SinkKind kind, const std::string& target = "", bool fast = true) {
    dsp::Settings s;
    s.sink = kind;
    s.target = target;
    s.fast = fast;
    return s;
}

class SoundCard : public ::testing::Test {
protected:
    void SetUp() override { use(dsp::SinkKind::raw, "out.raw", true); }
    void TearDown() override {
        EXPECT_TRUE(dsp::waitUntilIdle(5s));
        dsp::configure({});
    }
    void use(dsp::SinkKind sink, const std::string& file, bool fast, bool stall = false) {
        dsp::Settings s = settings(sink, dir_ / file, fast);
        s.stall = stall;
        s.log_path = dir_ / "calls.log";
        dsp::configure(s);
        dsp::clearDeviceCalls();
    }
    static int configured(int afmt, int stereo, int rate, int flags = O_WRONLY) {
        const int fd = open("/dev/dsp", flags, 0);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ioctl(fd, SNDCTL_DSP_SETFMT, &afmt), 0);
        EXPECT_EQ(ioctl(fd, SNDCTL_DSP_STEREO, &stereo), 0);
        EXPECT_EQ(ioctl(fd, SNDCTL_DSP_SPEED, &rate), 0);
        return fd;
    }
    static std::size_t le32(const Bytes& b, std::size_t at) {
        return std::size_t{b[at]} | std::size_t{b[at + 1]} << 8 | std::size_t{b[at + 2]} << 16 |
               std::size_t{b[at + 3]} << 24;
    }
    // What the card made of it once drained: the file it wrote.
    Bytes played(const std::string& file) {
        EXPECT_TRUE(dsp::waitUntilIdle(5s));
        dsp::configure({}); // closes the file
        return testaudio::readFile(dir_ / file);
    }
    testfs::ScratchDir dir_;
};

} // namespace

TEST_F(SoundCard, RecordsEveryCallTakesOneOpenAtATimeAndFollowsCopies) {
    const int fd = configured(AFMT_S16_BE, 1, 44100);
    EXPECT_EQ(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << "close-on-exec only when asked for";
    EXPECT_EQ(write(fd, "\1\2\3\4\5\6\7\10", 8), 8);
    EXPECT_EQ(open("/dev/dsp", O_WRONLY | O_CLOEXEC), -1);
    EXPECT_EQ(errno, EBUSY);
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ASSERT_GE(copy, 10);
    close(fd);
    EXPECT_EQ(dsp::openDevices(), 1u) << "the copy keeps the device open";
    int stereo = 1;
    EXPECT_EQ(ioctl(copy, SNDCTL_DSP_STEREO, &stereo), 0);
    EXPECT_EQ(write(copy, "\11\12\13", 3), 3);
    close(copy);
    EXPECT_EQ(dsp::openDevices(), 0u);
    // dup2 and dup3 copies too; a copy made onto the device closes it.
    const int again = open("/dev/dsp", O_WRONLY | O_CLOEXEC);
    EXPECT_NE(fcntl(again, F_GETFD) & FD_CLOEXEC, 0);
    ASSERT_EQ(dup3(again, 20, O_CLOEXEC), 20);
    ASSERT_EQ(dup2(20, 20), 20) << "a copy onto itself changes nothing";
    close(again);
    EXPECT_EQ(dsp::openDevices(), 1u) << "descriptor 20 holds it";
    const int other = open((dir_ / "other").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(dup2(other, 20), 20);
    EXPECT_EQ(dsp::openDevices(), 0u) << "20 is no longer the device";
    EXPECT_EQ(write(20, "x", 1), 1);
    close(20);
    close(other);
    const std::string expected =
        "open /dev/dsp\nioctl SNDCTL_DSP_SETFMT 32\nioctl SNDCTL_DSP_STEREO 1\n"
        "ioctl SNDCTL_DSP_SPEED 44100\nwrite 8\nopen /dev/dsp busy\ndup\nclose\n"
        "ioctl SNDCTL_DSP_STEREO 1\nwrite 3\nclose\nopen /dev/dsp\ndup\nclose\nclose\n";
    std::string recorded;
    for (const std::string& line : dsp::deviceCalls())
        recorded += line + "\n";
    EXPECT_EQ(recorded, expected);
    const Bytes logged = testaudio::readFile(dir_ / "calls.log");
    EXPECT_EQ(std::string(logged.begin(), logged.end()), expected);
    EXPECT_EQ(played("out.raw"), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(SoundCard, EveryWayOfOpeningReachesTheCardAndNothingElseDoes) {
    const int dev = open("/dev", O_RDONLY | O_DIRECTORY);
    for (int form = 0; form < 7; ++form) {
        const int fd = form == 0   ? open64("/dev/dsp", O_WRONLY, 0)
                       : form == 1 ? __open_2("/dev/dsp", O_WRONLY)
                       : form == 2 ? __open64_2("/dev/dsp", O_WRONLY)
                       : form == 3 ? openat(AT_FDCWD, "/dev/dsp", O_WRONLY)
                       : form == 4 ? creat("/dev/dsp", 0644)
                       : form == 5 ? open("//dev/./dsp", O_WRONLY | O_CREAT, 0644)
                                   : openat(dev, "dsp", O_WRONLY | O_CREAT, 0644);
        int stereo = 1;
        EXPECT_EQ(ioctl(fd, SNDCTL_DSP_STEREO, &stereo), 0) << "form " << form;
        close(fd);
    }
    close(dev);
    // A stream on it has the device's descriptor, 0 too when standard input
    // is closed; the card finds it closed.
    const int saved_stdin = dup(0);
    close(0);
    std::FILE* stream = std::fopen("/dev/dsp", "we");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(fileno(stream), 0);
    int stereo = 1;
    EXPECT_EQ(ioctl(fileno(stream), SNDCTL_DSP_STEREO, &stereo), 0);
    EXPECT_EQ(std::fwrite("\1\2", 1, 2, stream), 2u);
    EXPECT_EQ(std::fclose(stream), 0);
    dup2(saved_stdin, 0);
    close(saved_stdin);
    EXPECT_EQ(std::freopen("/dev/dsp", "w", std::fopen((dir_ / "f").c_str(), "w")), nullptr);
    EXPECT_EQ(errno, ENOTSUP);
    // It plays; it does not record.
    EXPECT_EQ(open("/dev/dsp", O_RDONLY), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(std::fopen("/dev/dsp", "r"), nullptr);
    EXPECT_EQ(std::fopen("/dev/dsp", "w+"), nullptr) << "a stream that also reads";
    const auto calls = dsp::deviceCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open /dev/dsp"), 8);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"), 8);
    EXPECT_EQ(played("out.raw"), (Bytes{1, 2}));
    EXPECT_NE(access("/dev/dsp", F_OK), 0) << "a real /dev/dsp was made";
    // Other paths go to the C library, the mode of a file it creates too.
    const std::string path = dir_ / "plain.txt";
    close(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dsp::deviceCalls().size(), calls.size()) << "none of it reached the card";
}

TEST_F(SoundCard, AnswersRequestsAsADriverDoes) {
    const int fd = open("/dev/dsp", O_WRONLY, 0);
    int afmt = 0x12345;
    EXPECT_EQ(ioctl(fd, SNDCTL_DSP_SETFMT, &afmt), 0);
    EXPECT_EQ(afmt, AFMT_U8) << "an unknown format leaves the current one";
    int rate = 1;
    EXPECT_EQ(ioctl(fd, SNDCTL_DSP_SPEED, &rate), 0);
    EXPECT_EQ(rate, 4000);
    EXPECT_EQ(ioctl(fd, SNDCTL_DSP_GETBLKSIZE, &rate), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(ioctl(fd, SNDCTL_DSP_SPEED, nullptr), -1);
    EXPECT_EQ(errno, EFAULT);
    close(fd);
}

TEST_F(SoundCard, AWavFileCarriesTheFormatAndLittleEndianSamples) {
    use(dsp::SinkKind::wav, "out.wav", true);
    const int fd = configured(AFMT_S16_BE, 1, 44100);
    write(fd, "\x12\x34\xAB", 3); // a sample split across two writes
    write(fd, "\xCD", 1);
    // More than the card moves to its sink at once.
    Bytes more(200000);
    for (std::size_t i = 0; i < more.size(); ++i)
        more[i] = static_cast<unsigned char>(i * 7 + i / 256);
    write(fd, more.data(), more.size());
    close(fd);
    const Bytes wav = played("out.wav");
    ASSERT_EQ(wav.size(), 44u + 4 + more.size());
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    // Sizes of the file and of its data, PCM, channels, rate, bits.
    EXPECT_EQ(le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(le32(wav, 40), wav.size() - 44);
    EXPECT_EQ(wav[20], 1) << "PCM";
    EXPECT_EQ(wav[22], 2) << "channels";
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(wav[34], 16) << "bits";
    Bytes expected{0x34, 0x12, 0xCD, 0xAB};
    for (std::size_t i = 0; i < more.size(); i += 2)
        expected.insert(expected.end(), {more[i + 1], more[i]});
    EXPECT_TRUE(Bytes(wav.begin() + 44, wav.end()) == expected);
    // 8-bit WAV samples are unsigned.
    use(dsp::SinkKind::wav, "s8.wav", true);
    const int s8 = configured(AFMT_S8, 0, 8000);
    write(s8, "\x00\x80\x7F", 3);
    close(s8);
    const Bytes eight = played("s8.wav");
    EXPECT_EQ(Bytes(eight.begin() + 44, eight.end()), (Bytes{0x80, 0x00, 0xFF}));
}

// A card that never drains, whose writer only the host's kill gets out,
// is the player's tests' (Stop and leaving on a stalled card).
TEST_F(SoundCard, ARealTimeCardBlocksWritesUntilAllButAThirdOfASecondIsBuffered) {
    use(dsp::SinkKind::null, "", false);
    const int fd = configured(AFMT_S16_BE, 1, 44100);
    std::vector<unsigned char> second(44100 * 4);
    const auto before = std::chrono::steady_clock::now();
    write(fd, second.data(), second.size());
    EXPECT_GT(std::chrono::steady_clock::now() - before, 450ms);
    close(fd);
}

TEST_F(SoundCard, OpensRacingEachOtherGetOneDeviceAndOneRefusal) {
    // At once; while the card takes its time to open; while the last
    // device still plays out. Never a hang, never two devices.
    const struct {
        int open_delay_ms;
        bool draining;
    } cases[] = {{0, false}, {200, false}, {0, true}};
    for (const auto& c : cases) {
        dsp::Settings s;
        s.open_delay_ms = c.open_delay_ms;
        dsp::configure(s);
        if (c.draining) {
            const int fd = configured(AFMT_S16_BE, 1, 44100);
            std::vector<unsigned char> some(8000);
            write(fd, some.data(), some.size());
            close(fd);
        }
        std::atomic<int> ready{0};
        int fds[2];
        auto opener = [&](int i) {
            ++ready;
            while (ready < 2) {
            }
            fds[i] = open("/dev/dsp", O_WRONLY);
        };
        std::thread a(opener, 0), b(opener, 1);
        a.join();
        b.join();
        EXPECT_TRUE((fds[0] >= 0) != (fds[1] >= 0)) << c.open_delay_ms << " " << c.draining;
        EXPECT_EQ(dsp::openDevices(), 1u);
        close(std::max(fds[0], fds[1]));
    }
}

TEST_F(SoundCard, ACaptureThatLosesSoundSaysSoOnceAndKeepsAConsistentFile) {
    // A folder that is not there and a device that keeps nothing (said
    // before anything plays), a disk that fills up (the most this process
    // may write to a file), a pipe whose reader has gone, a pipe nobody reads
    // (given a bounded time at the end of the session).
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    int gone[2], stuck[2];
    ASSERT_EQ(pipe(gone), 0);
    ASSERT_EQ(pipe(stuck), 0);
    close(gone[0]);
    const auto fd_path = [](int fd) { return "/proc/self/fd/" + std::to_string(fd); };
    const struct {
        dsp::SinkKind sink;
        std::string target, gist;
        bool said_at_start;
    } cases[] = {
        {dsp::SinkKind::wav, dir_ / "missing/out.wav", "No such file or directory", true},
        {dsp::SinkKind::wav, "/dev/full", "it is a device, not a file or a pipe", true},
        {dsp::SinkKind::wav, dir_ / "full.wav", "File too large", false},
        {dsp::SinkKind::raw, fd_path(gone[1]), "Broken pipe", false},
        {dsp::SinkKind::raw, fd_path(stuck[1]), "stopped taking sound", false},
    };
    const std::vector<unsigned char> second(44100 * 4, 0x11);
    for (const auto& c : cases) {
        dsp::forgetLoss();
        ::testing::internal::CaptureStderr();
        dsp::configure(settings(c.sink, c.target));
        const std::string at_start = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(at_start.empty(), !c.said_at_start) << at_start;
        // Not a whole number of frames: the header must give fewer bytes.
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, small{10001, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &small);
        ::testing::internal::CaptureStderr();
        const int fd = configured(AFMT_S16_BE, 1, 44100);
        write(fd, second.data(), second.size());
        close(fd);
        const auto before = std::chrono::steady_clock::now();
        dsp::finish(500ms);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        const std::string said = at_start + ::testing::internal::GetCapturedStderr();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 1s) << c.target;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(c.gist), std::string::npos) << said;
        EXPECT_TRUE(dsp::somethingWasLost()) << c.target;
    }
    // The full disk's file is whole: its header gives the bytes it holds.
    const Bytes wav = testaudio::readFile(dir_ / "full.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(le32(wav, 40), wav.size() - 44);
    EXPECT_EQ(le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(le32(wav, 40) % 4, 0u);
    // Let the stuck capture go.
    close(stuck[1]);
    std::vector<unsigned char> drain(1 << 16);
    fcntl(stuck[0], F_SETFL, O_NONBLOCK);
    while (!dsp::waitUntilIdle(10ms))
        read(stuck[0], drain.data(), drain.size());
    close(stuck[0]);
    close(gone[1]);
    // A named pipe nobody reads holds nothing up: said at start, and given
    // a bounded time at the end like the pipe nobody reads.
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    ::testing::internal::CaptureStderr();
    dsp::configure(settings(dsp::SinkKind::raw, dir_ / "fifo", false));
    const int fd = configured(AFMT_S16_BE, 1, 44100);
    write(fd, second.data(), 4096);
    close(fd);
    dsp::finish(500ms);
    const std::string fifo = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(fifo.find("nobody reads"), std::string::npos) << fifo;
    EXPECT_NE(fifo.find("stopped taking sound"), std::string::npos) << fifo;
    const int reader = open((dir_ / "fifo").c_str(), O_RDONLY | O_NONBLOCK); // lets it go
    while (!dsp::waitUntilIdle(10ms))
        read(reader, drain.data(), drain.size());
    close(reader);
    dsp::forgetLoss();
}

// A capture or a log into a named pipe nobody reads yet holds nothing up;
// a reader that comes later gets everything, through one descriptor that
// is let go of with the sink or log.
TEST_F(SoundCard, ANamedPipeReadLateIsOpenedOnceAndGetsEverything) {
    const struct {
        dsp::SinkKind sink;
        bool logs;
        std::string said, got;
    } cases[] = {
        {dsp::SinkKind::raw, false, "the raw capture waits for a reader", "abcdabcd"},
        {dsp::SinkKind::null, true, "the device log waits for a reader",
         "open /dev/dsp\nwrite 4\nclose\nopen /dev/dsp\nwrite 4\nclose\n"},
    };
    for (const auto& c : cases) {
        const std::string fifo = dir_ / ("late" + std::to_string(c.logs));
        ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
        dsp::Settings s = settings(c.sink, c.logs ? "" : fifo);
        s.log_path = c.logs ? fifo : "";
        ::testing::internal::CaptureStderr();
        dsp::configure(s);
        const auto before = testfs::openDescriptors();
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        for (int play = 0; play < 2; ++play) {
            const int fd = open("/dev/dsp", O_WRONLY);
            EXPECT_EQ(write(fd, "abcd", 4), 4);
            close(fd);
            EXPECT_TRUE(dsp::waitUntilIdle(5s));
        }
        dsp::configure({}); // lets the sink and the log go
        char got[128] = {};
        ASSERT_GT(read(reader, got, sizeof got - 1), 0) << c.said;
        EXPECT_STREQ(got, c.got.c_str());
        close(reader);
        EXPECT_EQ(testfs::openDescriptors(), before) << c.said;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "boxsim: nobody reads \"" + fifo + "\" yet; " + c.said + "\n");
    }
}

TEST_F(SoundCard, ADeviceLogNobodyReadsEndsAtItsBoundInOneLine) {
    const std::string fifo = dir_ / "calls.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    dsp::Settings s;
    s.log_path = fifo;
    s.record = false;
    dsp::configure(s);
    dsp::forgetLoss();
    ::testing::internal::CaptureStderr();
    const int fd = open("/dev/dsp", O_WRONLY);
    // 26 bytes a line: more than a mebibyte.
    int stereo = 1;
    for (int i = 0; i < 50000; ++i)
        ioctl(fd, SNDCTL_DSP_STEREO, &stereo);
    close(fd);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "boxsim: cannot write the device log \"" + fifo +
                  "\": nobody reads it; nothing is logged\n");
    EXPECT_TRUE(dsp::somethingWasLost());
    dsp::forgetLoss();
}

TEST_F(SoundCard, AnOpenWaitingForTheLastSoundOutlastsASuspendedProcess) {
    // Ctrl-Z, then fg, while an open waits for the last close to play out:
    // the wait is the card's, not the clock's, and the open succeeds.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        use(dsp::SinkKind::null, "", false);
        const int fd = configured(AFMT_S16_BE, 1, 44100);
        std::vector<unsigned char> third(44100 * 4 / 3);
        write(fd, third.data(), third.size());
        close(fd);
        write(ready[1], "!", 1);
        const int again = open("/dev/dsp", O_WRONLY);
        _exit(again >= 0 ? 0 : 1);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(child, SIGSTOP);
    std::this_thread::sleep_for(2500ms);
    kill(child, SIGCONT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(SoundCard, AChildForkedWhileTheCardIsBusyNeverWaitsForIt) {
    // Another thread keeps the card's locks busy; a child that then uses
    // the card must find them free.
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "ThreadSanitizer's own locks do not survive such a fork";
#endif
    const int fd = configured(AFMT_S16_BE, 1, 44100);
    const int copy = dup(fd); // one device, two descriptors
    std::atomic<bool> done{false};
    std::thread busy([&] {
        int stereo = 1;
        while (!done)
            ioctl(fd, SNDCTL_DSP_STEREO, &stereo);
    });
    int hung = 0;
    for (int i = 0; i < 50; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            int stereo = 1;
            ioctl(fd, SNDCTL_DSP_STEREO, &stereo);
            _exit(0);
        }
        int status = 0;
        for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
            if (waited == 2000) {
                ++hung;
                kill(child, SIGKILL);
            }
            std::this_thread::sleep_for(1ms);
        }
    }
    done = true;
    busy.join();
    close(copy);
    close(fd);
    EXPECT_EQ(hung, 0);
}

TEST_F(SoundCard, WithNoThreadOrDescriptorLeftAnOpenFailsAndIsNotLogged) {
    // No descriptor left: EMFILE. A user at their process limit (root has
    // none, so the child becomes nobody first): EAGAIN, said in one line;
    // nothing aborts. Only an open that succeeded is logged.
    const pid_t child = fork();
    if (child == 0) {
        // One open that succeeds first: the undefined-behaviour checker's
        // first look at the sink needs descriptors of its own.
        close(open("/dev/dsp", O_WRONLY));
        const bool idle = dsp::waitUntilIdle(5s);
        dsp::clearDeviceCalls();
        const rlimit none{0, 0};
        rlimit before;
        getrlimit(RLIMIT_NOFILE, &before);
        const rlimit few{3, before.rlim_max};
        setrlimit(RLIMIT_NOFILE, &few);
        const bool no_fd = open("/dev/dsp", O_WRONLY) == -1 && errno == EMFILE;
        setrlimit(RLIMIT_NOFILE, &before);
        const bool limited = setrlimit(RLIMIT_NPROC, &none) == 0 && setuid(65534) == 0;
        const bool no_thread = open("/dev/dsp", O_WRONLY) == -1 && errno == EAGAIN;
        const auto c = dsp::deviceCalls();
        _exit(!limited ? 2
              : idle && no_fd && no_thread && dsp::somethingWasLost() &&
                      std::count(c.begin(), c.end(), "open /dev/dsp") == 0
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SinkChoice, WhatWasAskedForElseTheMachinesOwnElseAlsaElseNothingWithAWarning) {
    const dsp::Settings wav = settings(dsp::SinkKind::wav, "out.wav", false);
    const struct {
        bool chosen, has_dsp, alsa_opens;
        dsp::SinkKind sink;
        bool warn;
    } cases[] = {
        {true, true, true, dsp::SinkKind::wav, false},
        {false, true, true, dsp::SinkKind::machine, false},
        {false, false, true, dsp::SinkKind::alsa, false},
        {false, false, false, dsp::SinkKind::null, true},
    };
    for (const auto& c : cases) {
        const auto choice = dsp::chooseSink(wav, c.chosen, {c.has_dsp, c.alsa_opens});
        EXPECT_EQ(choice.settings.sink, c.sink) << choice.said;
        EXPECT_EQ(choice.warn, c.warn) << choice.said;
        EXPECT_EQ(choice.settings.target.empty(), !c.chosen) << choice.said;
    }
    EXPECT_EQ(dsp::chooseSink(wav, true, {}).said, "sound goes to \"out.wav\" (WAV)");
    // The machine's own device takes the sound past the card and its log.
    dsp::Settings logged;
    logged.log_path = "calls.log";
    EXPECT_TRUE(dsp::chooseSink(logged, false, {true, false}).warn);
    EXPECT_FALSE(dsp::chooseSink({}, false, {true, false}).warn);
    // Asked for in a build without it: nothing, and a warning instead.
    const auto none =
        dsp::chooseSink(settings(dsp::SinkKind::alsa, "", false), true, {false, false, false});
    EXPECT_EQ(none.settings.sink, dsp::SinkKind::null);
    EXPECT_TRUE(none.lost) << none.said;
}
