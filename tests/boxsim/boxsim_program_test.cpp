// The boxsim program as scripts use it: its errors, a scripted run with its
// device log and captured sound, and live sound through ALSA captured by an
// ALSA configuration that writes to a file.
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

struct Outcome {
    int exit_code;
    std::string out, err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string text(const std::string& path) {
    const auto bytes = testaudio::readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class BoxsimProgram : public ::testing::Test {
protected:
    // The box's disk, empty unless a test puts files on it.
    void SetUp() override { dir_.mkdir("disk"); }
    // Runs boxsim headless with args, on the disk and into no sound unless
    // they name others, under the kill model the test run names; then, if
    // given, the shell words of after.
    Outcome boxsim(std::vector<std::string> args, const std::string& env = "",
                   const std::string& after = "") {
        std::string command = env + " " + BOXSIM_RUNNER + " " + quoted(BOXSIM_PROGRAM);
        if (const char* model = std::getenv("TIVRA_KILL_MODEL"))
            command += " --kill " + quoted(model);
        for (const auto& [option, value] : {std::pair{"--hdd", dir_ / "disk"}, {"--dsp", "null"}}) {
            if (std::count(args.begin(), args.end(), option) == 0)
                args.insert(args.end(), {option, value});
        }
        args.push_back("--headless");
        for (const std::string& a : args)
            command += " " + quoted(a);
        command += " >" + quoted(dir_ / "out.txt") + " 2>" + quoted(dir_ / "err.txt") +
                   " </dev/null " + after;
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(dir_ / "out.txt"),
                text(dir_ / "err.txt")};
    }
    std::string script(const std::string& words) {
        const std::string name = "keys" + std::to_string(++scripts_);
        dir_.touch(name, words);
        return dir_ / name;
    }
    int scripts_ = 0;
    testfs::ScratchDir dir_;
};

} // namespace

// Every option's value and every file boxsim writes that cannot be used is
// said in one line, with the status it ends with; a named pipe nobody reads
// is said and holds nothing up. Key scripts have their own rows.
TEST_F(BoxsimProgram, EachInputAndOutputThatCannotBeUsedIsSaidInOneLineWithItsStatus) {
    // Long enough for a device log of more than the limit below.
    ASSERT_TRUE(testaudio::writeTone(dir_ / "disk/a.flac", {}, 5));
    dir_.mkdir("folder");
    dir_.touch("file", std::string(100, 'x'));
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    ASSERT_EQ(std::system(("cp " + quoted(NO_ENTRY_PLUGIN) + " " + quoted(dir_ / "p.so")).c_str()),
              0);
    const std::string d = dir_.path();
    const std::string long_value = "\x1b[2J" + std::string(99996, 'x');
    const std::string help = " (boxsim --help shows the options)";
    const std::string play = script("down ok idle exit"), nothing = script("");
    const std::string bad_wait = script("down\nwait 2147483648");
    const std::string launch_open = script("\nlaunch");
    const std::string closed_twice = script("hostclose\nhostclose");
    const std::string device = "it is a device, not a file or a pipe";
    const std::string itself = "it is the device itself";
    const auto no_log = [](const std::string& name, const std::string& why) {
        return "cannot write the device log \"" + name + "\": " + why + "; nothing is logged";
    };
    const auto no_capture = [](const std::string& name, const std::string& why, const char* kind) {
        return "cannot open \"" + name + "\": " + why + "; the " + kind +
               " capture plays into nothing";
    };
    const auto keys = [](const std::string& name, const std::string& why) {
        return "key script \"" + name + "\": " + why;
    };
    // A row whose line says "File too large" plays a file into a disk that
    // fills up (the process's limit on a file's size); its line is the start
    // of what is said, the bytes written follow.
    const struct {
        std::vector<std::string> option_and_value;
        int status;
        std::string line;
    } rows[] = {
        {{"--dsp-log", ""}, 2, "--dsp-log needs a file, not an empty name" + help},
        {{"--dsp-log", d + "/folder"}, 1, no_log(d + "/folder", "Is a directory")},
        {{"--dsp-log", "/dev/zero"}, 1, no_log("/dev/zero", device)},
        {{"--dsp-log", "/dev/../dev/dsp"}, 1, no_log("/dev/../dev/dsp", itself)},
        {{"--dsp-log", d + "/calls.log"},
         1,
         "cannot write the device log \"" + d + "/calls.log\": File too large; it ends after "},
        {{"--dsp-log", d + "/fifo"},
         0,
         "nobody reads \"" + d + "/fifo\" yet; the device log waits for a reader"},
        {{"--dsp", "wav:" + d + "/out.wav", "--dsp-log", d + "/./out.wav"},
         2,
         "--dsp-log \"" + d +
             "/./out.wav\" is the capture's own file: the log would overwrite "
             "the sound"},
        {{"--dsp", "wav:"},
         2,
         "--dsp takes alsa[:NAME], wav:FILE, raw:FILE or null, not \"wav:\"" + help},
        {{"--dsp", "wav:" + d + "/folder"}, 1, no_capture(d + "/folder", "Is a directory", "WAV")},
        {{"--dsp", "raw:/dev/zero"}, 1, no_capture("/dev/zero", device, "raw")},
        {{"--dsp", "wav://dev/dsp"}, 1, no_capture("//dev/dsp", itself, "WAV")},
        {{"--dsp", "raw:" + d + "/out.raw"},
         1,
         "cannot write \"" + d + "/out.raw\": File too large; the raw capture ends after "},
        {{"--plugin", ""}, 2, "--plugin needs a file, not an empty name" + help},
        {{"--plugin", d + "/file"},
         1,
         "cannot load plug-in \"" + d + "/file\": invalid ELF header"},
        {{"--plugin", d + "/p.so"}, 1, "\"" + d + "/p.so\" has no plugin_exec entry point"},
        {{"--hdd", ""}, 2, "--hdd needs a folder, not an empty name" + help},
        {{"--hdd", d + "/file"}, 2, "--hdd \"" + d + "/file\" is not a folder"},
        {{"--hdd", d + "/missing"}, 2, "--hdd \"" + d + "/missing\": No such file or directory"},
        {{"--screen", long_value},
         2,
         "--screen takes terminal or window, not \"\\x1b[2J" + std::string(56, 'x') +
             "\"... (100000 bytes)" + help},
        {{"--b\x01gus"}, 2, "unknown option \"--b\\x01gus\"" + help},
        {{"--keys", bad_wait},
         2,
         keys(bad_wait, "line 2: \"wait\" takes milliseconds from 0 to 2147483647, not "
                        "\"2147483648\"")},
        {{"--keys", launch_open},
         2,
         keys(launch_open, "line 2: \"launch\" while the plug-in's window is open")},
        {{"--keys", closed_twice},
         2,
         keys(closed_twice, "line 2: \"hostclose\" while no window is open")},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = row.option_and_value;
        const bool fills = row.line.find("File too large") != std::string::npos;
        args.push_back("--fast");
        if (std::count(args.begin(), args.end(), "--keys") == 0)
            args.insert(args.end(), {"--keys", fills ? play : nothing});
        const Outcome o = boxsim(args, fills ? "ulimit -f 1;" : "");
        const std::string& said = row.option_and_value.back();
        EXPECT_EQ(o.exit_code, row.status) << said << ": " << o.err;
        const std::string expected = "boxsim: " + row.line + (fills ? "" : "\n");
        EXPECT_EQ(o.err.substr(0, fills ? expected.size() : std::string::npos), expected) << said;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    }
}

// Each first closes the capture with a header that says what it holds and
// the device log with the device's close, and does so at once even while
// the decoder searches data without frames (2 GiB of zeros after a few).
TEST_F(BoxsimProgram, TheSignalsThatEndItEndItInOrderWith128AndTheirNumber) {
    const std::string padded = dir_ / "disk/padded.flac";
    ASSERT_TRUE(testaudio::writeTone(padded, {}, 0.2));
    ASSERT_EQ(truncate(padded.c_str(), 2LL << 30), 0);
    const std::string keys = script("down ok wait 60000");
    for (const auto& [signal, status] : {std::pair{"INT", 130},
                                         {"TERM", 143},
                                         {"QUIT", 131},
                                         {"USR1", 138},
                                         {"USR2", 140},
                                         {"ALRM", 142}}) {
        const std::string wav = dir_ / (std::string(signal) + ".wav");
        const std::string log = dir_ / (std::string(signal) + ".log");
        const auto before = std::chrono::steady_clock::now();
        const Outcome o =
            boxsim({"--dsp", "wav:" + wav, "--dsp-log", log, "--keys", keys}, "",
                   std::string("& pid=$!; sleep 1; kill -") + signal + " $pid; wait $pid");
        EXPECT_LT(std::chrono::steady_clock::now() - before, 5s) << signal;
        EXPECT_EQ(o.exit_code, status) << signal << ": " << o.err;
        const auto bytes = testaudio::readFile(wav);
        ASSERT_GT(bytes.size(), 44u) << signal;
        const std::size_t data = bytes[40] | bytes[41] << 8 | bytes[42] << 16 |
                                 static_cast<std::size_t>(bytes[43]) << 24;
        EXPECT_EQ(data, bytes.size() - 44) << signal;
        const std::string calls = text(log);
        EXPECT_EQ(calls.substr(calls.size() - std::min<std::size_t>(calls.size(), 6)), "close\n")
            << signal;
    }
}

TEST_F(BoxsimProgram, StartedWithoutStandardInputOrOutputItsDumpsStayOutOfItsFiles) {
    const Outcome o =
        boxsim({"--dsp", "raw:" + (dir_ / "out.raw"), "--keys", script("dump")}, "", "<&- >&-");
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(text(dir_ / "out.raw"), "");
    // The device log, the first file opened here, is descriptor 0.
    ASSERT_TRUE(testaudio::writeTone(dir_ / "disk/a.flac", {}, 0.2));
    const Outcome logged =
        boxsim({"--fast", "--dsp-log", dir_ / "calls.log", "--keys", script("dump down ok idle")},
               "", "<&- >&-");
    EXPECT_EQ(logged.exit_code, 0) << logged.err;
    EXPECT_EQ(text(dir_ / "calls.log").rfind("open /dev/dsp\n", 0), 0u);
}

TEST_F(BoxsimProgram, TheHostRunsThePlugInAgainAndStopsWhatPlaysWhenItQuits) {
    ASSERT_TRUE(testaudio::writeTone(dir_ / "disk/long.flac", {}, 30.0));
    const auto before = std::chrono::steady_clock::now();
    const Outcome o =
        boxsim({"--keys", script("down ok wait 300 hostclose dump launch dump hostclose")});
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s) << "waited for the file to end";
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_NE(o.out.find("host screen: Tivra 0.0.1 has returned 0 to the box's menu. A file is "
                         "still playing."),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("label at (127,360) size 500x30 text \"00:30\""), std::string::npos)
        << "the second window shows the time of the file that plays on";
}

TEST_F(BoxsimProgram, KillAtPlacesTheKillAtOnePointAndSaysWhere) {
    // The third point of the worker is the start of its first write; the
    // host presses Stop there, and the next file still plays whole.
    const auto signal = testaudio::makeSignal({}, 22050);
    ASSERT_TRUE(testaudio::writeFlac(dir_ / "disk/a.flac", {}, signal));
    ASSERT_TRUE(testaudio::writeFlac(dir_ / "disk/b.flac", {}, signal));
    const std::string keys = script("down ok idle down ok idle exit");
    const std::string raw = "raw:" + (dir_ / "out.raw");
    Outcome o = boxsim({"--fast", "--dsp", raw, "--dsp-log", dir_ / "calls.log", "--kill-at", "3",
                        "--keys", keys});
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(o.err, "boxsim: --kill-at 3: waiting at the start of write\n");
    std::istringstream log(text(dir_ / "calls.log"));
    int opens = 0, closes = 0;
    for (std::string line; std::getline(log, line);) {
        opens += line == "open /dev/dsp";
        closes += line == "close";
    }
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(testaudio::readFile(dir_ / "out.raw"), testaudio::toS16be(signal, 16));
    o = boxsim({"--fast", "--kill-at", "1000000", "--keys", keys});
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(o.err.rfind("boxsim: --kill-at 1000000: the worker ended after ", 0), 0u) << o.err;
}

TEST_F(BoxsimProgram, AlsaSoundReachesTheConfiguredAlsaDevice) {
#ifndef BOXSIM_WITH_ALSA
    GTEST_SKIP() << "this boxsim is built without ALSA";
#endif
    dir_.mkdir("home");
    // Mono frames of an odd length: the player's writes end in the middle of
    // the device's stereo frames.
    testaudio::Format mono;
    mono.channels = 1;
    mono.blocksize = 1001;
    const auto signal = testaudio::makeSignal(mono, 44100);
    ASSERT_TRUE(testaudio::writeFlac(dir_ / "disk/a.flac", mono, signal));
    // No sound card needed: ALSA's file plugin keeps what is played.
    dir_.touch("home/.asoundrc", "pcm.!default { type file; slave.pcm \"null\"; file \"" +
                                     (dir_ / "alsa.raw") + "\"; format \"raw\" }\n");
    const Outcome o = boxsim({"--dsp", "alsa", "--keys", script("down ok idle exit")},
                             "HOME=" + quoted(dir_ / "home"));
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(testaudio::readFile(dir_ / "alsa.raw"), testaudio::toS16be(signal, 16));
}

TEST_F(BoxsimProgram, AShotIsAWholePng) {
#ifndef BOXSIM_WITH_WINDOW
    GTEST_SKIP() << "this boxsim is built without pictures";
#endif
    const Outcome o = boxsim({"--keys", script("shot " + (dir_ / "screen.png"))});
    EXPECT_EQ(o.err, "");
    const std::string png = text(dir_ / "screen.png");
    const std::string end = "IEND\xAE\x42\x60\x82";
    EXPECT_EQ(png.substr(png.size() - std::min(png.size(), end.size())), end)
        << "the last chunk ends the file";
}

TEST_F(BoxsimProgram, AShotThatCannotBeWrittenIsSaidOnceNamingItsPathOnceAndTheScriptGoesOn) {
    dir_.mkdir("folder");
    const struct {
        std::string path, why;
    } cases[] = {
        {"/dev/full", "No space left on device"},
        {dir_ / "folder", "Is a directory"},
        {dir_ / "missing/screen.png", "No such file or directory"},
    };
    for (const auto& c : cases) {
        const Outcome o = boxsim({"--keys", script("dump\nshot " + c.path + " dump")});
        EXPECT_EQ(o.exit_code, 0) << o.err;
#ifdef BOXSIM_WITH_WINDOW
        const std::string why = c.why;
#else
        const std::string why = "this boxsim was built without pictures (SDL2)";
#endif
        EXPECT_EQ(o.err, "boxsim: line 2: shot \"" + c.path + "\": " + why + "\n");
        EXPECT_NE(o.out.find("window at", o.out.find("window at") + 1), std::string::npos)
            << "the script went on to its second dump: " << o.out;
    }
}
