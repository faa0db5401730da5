// One host process, 500 plays: files that end, files stopped, files skipped
// for the next; and a hundred runs of the plug-in, each window closed by the
// host with its file still playing and stopped by the next. The process ends
// with the descriptors, threads and heap it began with.
#include "boxsim/dsp/sound_card.h"
#include "boxsim/frontend/headless_driver.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "plugin/player_dialog.h"
#include "plugin/plugin_entry.h"
#include "tests/support/box_disk.h"
#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/worker_watch.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>
#include <sstream>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

std::size_t thread_count() {
    std::size_t n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

void use_card(bool stall) {
    boxsim::dsp::Settings s;
    s.sink = boxsim::dsp::SinkKind::null;
    s.fast = !stall;
    s.stall = stall;
    s.record = false; // as the boxsim program runs it
    boxsim::dsp::configure(s);
}

eListBoxEntryText* entry(eTivraDialog& dialog, const std::string& text) {
    for (eListBoxEntryText* e : boxsim::listEntries(*dialog.fileList())) {
        if (e->getText() == text)
            return e;
    }
    return nullptr;
}

void run_plugin(const std::string& script) {
    std::vector<boxsim::ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(boxsim::parseKeyScript(script, steps, error)) << error;
    std::ostringstream screen;
    boxsim::HeadlessDriver driver(steps, screen);
    boxsim::setModalDriver(&driver);
    plugin_exec(nullptr);
    boxsim::setModalDriver(nullptr);
}

// Descriptors, threads and heap, once playback threads have settled.
struct Level {
    std::set<int> fds;
    std::size_t threads;
    std::size_t heap;
};
Level level() {
    EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
    EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    return {testfs::openDescriptors(), thread_count(), mallinfo2().uordblks};
}
void expect_level(const Level& before) {
    const Level after = level();
    EXPECT_EQ(after.fds, before.fds);
    // A joined thread can linger a moment in /proc under emulation (in the
    // count taken before, too); one that leaked never goes.
    testwork::waitUntil([&] { return thread_count() <= before.threads; }, 2s);
    EXPECT_LE(thread_count(), before.threads);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A worker, a window or a play buffer kept would show as tens of kilobytes.
    EXPECT_LT(after.heap, before.heap + 32 * 1024);
#endif
}

} // namespace

TEST(LongSession, RunsClosedByTheHostWhilePlayingLeaveNothingBehind) {
    if (!boxdisk::unavailable().empty())
        GTEST_SKIP() << boxdisk::unavailable();
    ASSERT_TRUE(testaudio::writeTone(boxdisk::hddSource() + "/run.flac", {}, 1.0));
    use_card(true); // a card that never drains keeps each file playing
    auto cycle = [] {
        run_plugin("down ok hostclose"); // plays on after its window
        ASSERT_TRUE(worker_alive());
        run_plugin("blue hostclose"); // the next window's Stop
        ASSERT_FALSE(worker_alive());
    };
    for (int i = 0; i < 10; ++i)
        cycle();
    const Level before = level();
    for (int i = 0; i < 50; ++i)
        cycle();
    expect_level(before);
    boxsim::dsp::configure({});
}

TEST(LongSession, FiveHundredPlaysLeaveNothingBehind) {
    if (!boxdisk::unavailable().empty())
        GTEST_SKIP() << boxdisk::unavailable();
    const std::string dir = boxdisk::hddSource() + "/session";
    mkdir(dir.c_str(), 0755);
    const testaudio::Format format;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(testaudio::writeTone(dir + "/s" + std::to_string(i) + ".flac", format, 1.0));

    eTivraDialog dialog;
    dialog.selectedItem(entry(dialog, "/session"));
    ASSERT_EQ(dialog.currentPath(), "/hdd/session");

    // One play of each kind first, so containers and caches have settled.
    auto play = [&](int i) {
        const std::string name = "s" + std::to_string(i % 4) + ".flac";
        const int kind = i % 50 == 49 ? 2 : i % 3 == 2 ? 1 : 0;
        use_card(kind != 0);
        dialog.selectedItem(entry(dialog, name)); // a skip kills and waits here
        if (kind != 0) {                          // on the fast card it may have ended already
            ASSERT_NE(execThread.load(), nullptr) << i;
        }
        if (kind == 1) {
            ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s)) << i;
            dialog.StopPlayer();
        } else if (kind == 0) {
            ASSERT_TRUE(testwork::waitUntil([] { return execThread.load() == nullptr; }, 5s)) << i;
        } // kind 2 keeps playing into a stuck card until the next choice skips it
        free_ended_worker();
    };
    for (int i = 47; i < 50; ++i)
        play(i);
    play(0);
    dialog.StopPlayer();
    const Level before = level();

    for (int i = 0; i < 500; ++i)
        play(i);
    dialog.StopPlayer(); // the last was left playing into the stuck card
    expect_level(before);
    EXPECT_EQ(file_info.decoder, nullptr);
    EXPECT_EQ(audio, 0);
    boxsim::dsp::configure({});
}
