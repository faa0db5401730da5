// The boxsim program as scripts use it: its errors, a scripted run with its
// device log and captured sound, and live sound through ALSA captured by an
// ALSA configuration that writes to a file.
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
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
    // Runs boxsim with args; then, if given, the shell words of after.
    Outcome boxsim(const std::vector<std::string>& args, const std::string& env = "",
                   const std::string& after = "") {
        std::string command = env + " " + BOXSIM_RUNNER + " " + quoted(BOXSIM_PROGRAM);
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

void expectOneLineError(const Outcome& o, int code, const std::string& gist) {
    EXPECT_EQ(o.exit_code, code) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_EQ(o.err.rfind("boxsim: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(gist), std::string::npos) << o.err;
}

} // namespace

// Which mistakes are caught, and their words, are the options' and the key
// scripts' own tests; here, that each ends boxsim with one line.
TEST_F(BoxsimProgram, ErrorsSayWhatIsWrongOnOneLine) {
    dir_.touch("file");
    const std::string nothing = script("");
    const struct {
        std::vector<std::string> args;
        int code;
        std::string gist;
    } cases[] = {
        {{"--bogus"}, 2, "unknown option \"--bogus\""},
        {{"--headless", "--keys", script("down\nwait 2147483648")},
         2,
         "keys2\": line 2: \"wait\" takes milliseconds from 0 to 2147483647, not \"2147483648\""},
        {{"--headless", "--keys", script("wait")}, 2, "keys3\": line 1: \"wait\" takes"},
        {{"--headless", "--keys", "/dev/zero"}, 2, "larger than 1 MiB, the most a script may be"},
        {{"--hdd", dir_ / "file", "--headless", "--keys", nothing}, 2, "is not a folder"},
        {{"--hdd", dir_ / "missing", "--headless", "--keys", nothing},
         2,
         "missing: No such file or directory"},
        {{"--plugin", dir_ / "file", "--headless", "--keys", nothing}, 1, "cannot load plug-in"},
        {{"--plugin", NO_ENTRY_PLUGIN, "--headless", "--keys", nothing}, 1, "has no plugin_exec"},
        {{"--dsp", "null", "--headless", "--keys", script("\nlaunch")},
         2,
         "keys4\": line 2: \"launch\" while the plug-in's window is open"},
        {{"--dsp", "null", "--headless", "--keys", script("hostclose\nhostclose")},
         2,
         "keys5\": line 2: \"hostclose\" while no window is open"},
        // The device's own node, however spelt, is neither capture nor log.
        {{"--dsp", "wav://dev/dsp", "--headless", "--keys", nothing},
         1,
         "cannot open //dev/dsp: Invalid argument"},
        {{"--dsp", "null", "--dsp-log", "/dev/../dev/dsp", "--headless", "--keys", nothing},
         0,
         "log /dev/../dev/dsp: it is the device itself"},
    };
    for (const auto& c : cases)
        expectOneLineError(boxsim(c.args), c.code, c.gist);
}

TEST_F(BoxsimProgram, StartedWithoutStandardInputOrOutputItsDumpsStayOutOfItsFiles) {
    dir_.mkdir("disk");
    const Outcome o = boxsim({"--hdd", dir_ / "disk", "--dsp", "raw:" + (dir_ / "out.raw"),
                              "--headless", "--keys", script("dump")},
                             "", "<&- >&-");
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(text(dir_ / "out.raw"), "");
}

TEST_F(BoxsimProgram, TheHostRunsThePlugInAgainAndStopsWhatPlaysWhenItQuits) {
    dir_.mkdir("disk");
    ASSERT_TRUE(testaudio::writeTone(dir_ / "disk/long.flac", {}, 30.0));
    const auto before = std::chrono::steady_clock::now();
    const Outcome o = boxsim({"--hdd", dir_ / "disk", "--dsp", "null", "--headless", "--keys",
                              script("down ok wait 300 hostclose dump launch dump hostclose")});
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s) << "waited for the file to end";
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_NE(o.out.find("host screen: Tivra 0.0.1 has returned 0 to the box's menu. A file is "
                         "still playing."),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("label at (127,360) size 500x30 text \"00:30\""), std::string::npos)
        << "the second window shows the time of the file that plays on";
}

TEST_F(BoxsimProgram, CtrlCAndSigtermAnswerAtOnceWhileTheDecoderSearchesDataWithoutFrames) {
    dir_.mkdir("disk");
    const std::string padded = dir_ / "disk/padded.flac";
    ASSERT_TRUE(testaudio::writeTone(padded, {}, 0.2));
    ASSERT_EQ(truncate(padded.c_str(), 2LL << 30), 0);
    const std::string keys = script("down ok wait 60000");
    for (const auto& [signal, status] : {std::pair{"INT", 130}, {"TERM", 143}}) {
        const auto before = std::chrono::steady_clock::now();
        // In the background, signalled a second in.
        const Outcome o = boxsim(
            {"--hdd", dir_ / "disk", "--fast", "--dsp", "null", "--headless", "--keys", keys}, "",
            std::string("& pid=$!; sleep 1; kill -") + signal + " $pid; wait $pid");
        EXPECT_LT(std::chrono::steady_clock::now() - before, 5s) << signal;
        EXPECT_EQ(o.exit_code, status) << signal << ": " << o.err;
    }
}

TEST_F(BoxsimProgram, ScriptedRunPlaysAFileAndLogsEveryDeviceCall) {
    dir_.mkdir("disk");
    const auto signal = testaudio::makeSignal({}, 22050);
    ASSERT_TRUE(testaudio::writeFlac(dir_ / "disk/a.flac", {}, signal));
    const Outcome o =
        boxsim({"--hdd", dir_ / "disk", "--fast", "--dsp", "raw:" + (dir_ / "out.raw"), "--dsp-log",
                dir_ / "calls.log", "--headless", "--keys", script("dump down ok idle exit")});
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(o.out.rfind("window at (100,45) size 510x490 text \"Tivra 0.0.1\"", 0), 0u) << o.out;
    EXPECT_NE(o.out.find("entry \"a.flac\""), std::string::npos);

    const std::string log = text(dir_ / "calls.log");
    EXPECT_EQ(log.rfind("open /dev/dsp\nioctl SNDCTL_DSP_SETFMT 32\nioctl SNDCTL_DSP_STEREO 1\n"
                        "ioctl SNDCTL_DSP_SPEED 44100\nwrite ",
                        0),
              0u)
        << log;
    // 22050 samples: five frames of 4096, then the last 1570.
    const std::string end = "write 16384\nwrite 6280\nclose\n";
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), end.size())), end) << log;
    EXPECT_EQ(testaudio::readFile(dir_ / "out.raw"), testaudio::toS16be(signal, 16));
}

TEST_F(BoxsimProgram, ASuspendedAndResumedSessionLosesNoSound) {
    // Ctrl-Z, then fg: the player's blocked write comes back short, and the
    // rest of its frame must still reach the device.
    dir_.mkdir("disk");
    const auto signal = testaudio::makeSignal({}, 44100 * 2);
    ASSERT_TRUE(testaudio::writeFlac(dir_ / "disk/a.flac", {}, signal));
    const Outcome o = boxsim(
        {"--hdd", dir_ / "disk", "--dsp", "raw:" + (dir_ / "out.raw"), "--headless", "--keys",
         script("down ok idle exit")},
        "",
        "& pid=$!; for i in 1 2 3; do sleep 0.4; kill -STOP $pid; sleep 0.1; kill -CONT $pid; "
        "done; wait $pid");
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(testaudio::readFile(dir_ / "out.raw"), testaudio::toS16be(signal, 16));
}

TEST_F(BoxsimProgram, AlsaSoundReachesTheConfiguredAlsaDevice) {
#ifndef BOXSIM_WITH_ALSA
    GTEST_SKIP() << "this boxsim is built without ALSA";
#endif
    dir_.mkdir("disk");
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
    const Outcome o = boxsim({"--hdd", dir_ / "disk", "--dsp", "alsa", "--headless", "--keys",
                              script("down ok idle exit")},
                             "HOME=" + quoted(dir_ / "home"));
    ASSERT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(testaudio::readFile(dir_ / "alsa.raw"), testaudio::toS16be(signal, 16));
}

TEST_F(BoxsimProgram, AShotIsAWholePng) {
#ifndef BOXSIM_WITH_WINDOW
    GTEST_SKIP() << "this boxsim is built without pictures";
#endif
    const Outcome o =
        boxsim({"--dsp", "null", "--headless", "--keys", script("shot " + (dir_ / "screen.png"))});
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
        // Without --hdd the plug-in sees the machine's own /hdd.
        const Outcome o = boxsim(
            {"--dsp", "null", "--headless", "--keys", script("dump\nshot " + c.path + " dump")});
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
