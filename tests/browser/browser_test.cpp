// The file browser: listing a directory into the file list, and moving
// through the disk from it. /hdd, /jazz and /a.flac are the test's own.
#include "boxsim/toolkit/kill_model.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "tests/support/box_player.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Strings = std::vector<std::string>;

namespace {

// Lays out dir: "d:name" a directory, "f:name" a file, "p:name" a named
// pipe, "n:name" a device node, "l:target>name" a symbolic link.
void lay_out(const std::string& dir, const Strings& items) {
    mkdir(dir.c_str(), 0755);
    for (const std::string& item : items) {
        const std::string rest = item.substr(2), path = dir + "/" + rest.substr(rest.find('>') + 1);
        switch (item[0]) {
        case 'd': mkdir(path.c_str(), 0755); break;
        case 'f': close(open(path.c_str(), O_CREAT | O_WRONLY, 0644)); break;
        case 'p': mkfifo(path.c_str(), 0644); break;
        case 'n': mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)); break;
        case 'l': symlink(rest.substr(0, rest.find('>')).c_str(), path.c_str()); break;
        }
    }
}

class Browser : public BoxPlayer {
protected:
    Strings listing(const std::string& dir) {
        window().dispfiles(dir);
        return entries();
    }
    std::string playing() const {
        ExecThread* worker = execThread.load();
        return worker ? std::string(worker->path) : "(none)";
    }
};

} // namespace

// Each listing replaces the last one and gives the list its focus.
TEST_F(Browser, ListsTheUpEntryDirectoriesAndFlacFilesOfAnyDirectory) {
    const std::string longest(250, 'x'); // 255 bytes with ".flac"
    const struct {
        Strings layout, shown;
    } cases[] = {
        {{}, {".."}},
        {{"d:...", "d:...x", "d:.covers", "d:jazz"}, {"..", "/...x", "/.covers", "/jazz"}},
        {{"f:a.flac", "f:B.FLAC", "f:c.FlAc", "f:.flac", "f:a.flac.bak", "f:a.fla", "f:flac",
          "f:aflac", "f:notes.txt"},
         {"..", ".flac", "a.flac", "B.FLAC", "c.FlAc"}},
        {{"d:real", "f:song.flac", "l:real>linked", "l:song.flac>link.flac", "l:nowhere>dangling",
          "l:nowhere.flac>dangling.flac", "d:x.flac"},
         {"..", "/linked", "/real", "/x.flac", "song.flac"}},
        {{"p:pipe.flac", "n:null.flac"}, {".."}},
        {{"l:b.flac>a.flac", "l:a.flac>b.flac", "l:self>self", "l:.>here"}, {"..", "/here"}},
        {{"f:new\nline.flac", "f:esc\x1b[31m.flac", "f:bad\xc3\x28.flac", "d:" + longest,
          "f:" + longest + ".flac"},
         {"..", "/" + longest, "bad\xc3\x28.flac", "esc\x1b[31m.flac", "new\nline.flac",
          longest + ".flac"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string dir = "/hdd/case" + std::to_string(++n);
        lay_out(dir, c.layout);
        window().setFocus(nullptr);
        EXPECT_EQ(listing(dir), c.shown) << "case " << n;
        EXPECT_EQ(boxsim::focusOf(window()), window().fileList()) << "case " << n;
        EXPECT_EQ(listing(dir + "/"), c.shown) << "case " << n << ", with a trailing slash";
    }
    EXPECT_EQ(listing("/hdd/case6/here/here/here"), (Strings{"..", "/here"})) << "a link loop";
    // What cannot be opened shows the up entry alone.
    for (const char* dir : {"/hdd/missing", "/hdd/case3/a.flac"})
        EXPECT_EQ(listing(dir), Strings{".."}) << dir;
    const Strings mnt = listing("/mnt");
    EXPECT_TRUE(std::any_of(mnt.begin(), mnt.end(), [](const std::string& e) {
        return e.rfind("/tivra-test-", 0) == 0;
    })) << "the machine's own /mnt, where the disk's folders are";
}

// Directories enter and files play from the path as the box keeps it (with
// its trailing "/" after ".."); only ".." itself goes up.
TEST_F(Browser, EveryChoiceActsOnTheFullPathAsTheBoxKeepsIt) {
    card(Card().stall()); // workers stay until the walk stops them
    lay_out("/hdd", {"d:jazz", "d:jazz/x", "d:a", "d:a/b", "d:ab.flac"});
    for (const char* f :
         {"/hdd/a.flac", "/hdd/jazz/a.flac", "/hdd/jazz/..intro.flac", "/hdd/a/b.flac"})
        tone(f, 1.0); // more than the stalled card holds
    const struct {
        const char* choice; // an entry's text, or "root"
        const char* path;
        const char* plays = nullptr;
    } walk[] = {
        {"/jazz", "/hdd/jazz"},
        {"a.flac", "/hdd/jazz", "/hdd/jazz/a.flac"},
        {"..intro.flac", "/hdd/jazz", "/hdd/jazz/..intro.flac"},
        {"..", "/hdd/"},
        {"a.flac", "/hdd/", "/hdd/a.flac"},
        {"/jazz", "/hdd/jazz"},
        {"/x", "/hdd/jazz/x"},
        {"..", "/hdd/jazz/"},
        {"..", "/hdd/"},
        {"..", "/"},
        {"a.flac", "/", "/a.flac"},
        {"/hdd", "/hdd"},
        {"..", "/"},
        {"..", "/"},
        {"/jazz", "/jazz"},
        {"..", "/"},
        {"/hdd", "/hdd"},
        {"/a", "/hdd/a"},
        // b.flac joined to /hdd/a without "/" would name the directory beside it.
        {"b.flac", "/hdd/a", "/hdd/a/b.flac"},
        {"/b", "/hdd/a/b"},
        {"..", "/hdd/a/"},
        {"root", "/"},
        {"/hdd", "/hdd"},
    };
    for (const auto& step : walk) {
        if (std::string(step.choice) == "root")
            window().displayroot();
        else
            choose(step.choice);
        ASSERT_EQ(path(), step.path) << "after " << step.choice;
        EXPECT_EQ(playing(), step.plays ? step.plays : "(none)") << "after " << step.choice;
        endWorker();
        const std::string at = step.path;
        EXPECT_TRUE(at != "/hdd/" ||
                    entries() == (Strings{"..", "/a", "/ab.flac", "/jazz", "a.flac"}));
        EXPECT_TRUE(at != "/" || entries().size() > 3u) << "the root is listed";
    }
    // Up from the root lists the root again.
    window().displayroot();
    window().fileList()->clearList();
    window().folderup();
    EXPECT_EQ(path(), "/");
    EXPECT_GT(entries().size(), 3u);
}

TEST_F(Browser, ANewFileWaitsOnItsOwnThreadForATeardownSlowerThanThePause) {
    // The old worker's teardown outlasts the second's pause (a device whose
    // close drains slowly, as OSS drivers' do). The window is held for the
    // host's own kill and the pause, no longer; the new worker waits on its
    // own thread and plays once the old one has ended. A directory stops
    // nothing.
    card(Card().stall().slowClose());
    lay_out("/hdd", {"d:jazz"});
    tone("/hdd/a.flac", 1.0);
    tone("/hdd/jazz/b.flac", 1.0);
    auto before = Clock::now();
    choose("a.flac");
    EXPECT_LT(Clock::now() - before, 500ms) << "no worker, no wait";
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    ExecThread* first = execThread.load();
    choose("/jazz");
    EXPECT_EQ(execThread.load(), first) << "entering a directory leaves the worker alone";
    EXPECT_TRUE(worker_alive());
    before = Clock::now();
    choose("b.flac");
    const auto held = Clock::now() - before;
    // The host's kill returns once the old worker has ended, or at once.
    const bool kill_waits = boxsim::killModel() == boxsim::KillModel::cancel;
    const auto teardown = kill_waits ? 1500ms : 0ms;
    EXPECT_GE(held, teardown + 1s);
    EXPECT_LT(held, teardown + 1s + 800ms);
    EXPECT_TRUE(waitUntil([this] { return playing() == "/hdd/jazz/b.flac"; }));
    EXPECT_TRUE(waitUntil([] { return file_info.is_playing == 1; }, 3s)) << "the choice was lost";
    const auto c = calls();
    EXPECT_LT(std::find(c.begin(), c.end(), "close"),
              std::find(c.begin() + 1, c.end(), "open /dev/dsp"));
}

TEST_F(Browser, AFileStoppedWhileItWaitsForTheLastTeardownNeverTouchesTheDevice) {
    // Where the host's kill returns at once, the new worker waits out the
    // rest of the old one's slow close; a Stop meanwhile ends it there.
    if (boxsim::killModel() == boxsim::KillModel::cancel)
        GTEST_SKIP() << "the host's kill waits for the teardown: nothing is left to wait for";
    card(Card().stall().slowClose());
    tone("/hdd/a.flac", 1.0);
    tone("/hdd/b.flac", 1.0);
    choose("a.flac");
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    choose("b.flac");
    window().StopPlayer();
    endWorker();
    ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    const auto c = calls();
    EXPECT_EQ(std::count(c.begin(), c.end(), "open /dev/dsp"), 1);
    EXPECT_EQ(std::count(c.begin(), c.end(), "open /dev/dsp busy"), 0);
}

TEST_F(Browser, NothingButTheCurrentWorkersEndClearsItsHandle) {
    const Strings before = entries();
    auto* idle = new ExecThread("/hdd/a.flac");
    execThread = idle;
    window().execThreadFinished(idle->status + 1); // a replaced worker's late end
    EXPECT_EQ(execThread.load(), idle);
    window().execThreadFinished(idle->status);
    EXPECT_EQ(execThread.load(), nullptr);
    EXPECT_EQ(path(), "/hdd");
    EXPECT_EQ(entries(), before);
    delete idle;
}

TEST_F(Browser, AVanishedEntryLeadsNowhere) {
    lay_out("/hdd", {"d:a", "f:gone.flac"});
    const Strings before = entries();
    remove("/hdd/gone.flac");
    rmdir("/hdd/a");
    choose("gone.flac");
    choose("/a");
    EXPECT_EQ(execThread, nullptr);
    EXPECT_EQ(path(), "/hdd");
    EXPECT_EQ(entries(), before);
}
