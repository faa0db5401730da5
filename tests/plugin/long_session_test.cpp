// One host process, 500 plays: files that end, files stopped, files skipped
// for the next. The process ends with the descriptors, threads and heap it
// began with.
#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "plugin/player_dialog.h"
#include "tests/support/box_disk.h"
#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/worker_watch.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>
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

} // namespace

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
    ASSERT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
    ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    free_ended_worker();
    const auto fds = testfs::openDescriptors();
    const std::size_t threads = thread_count();
    const auto heap = mallinfo2().uordblks;

    for (int i = 0; i < 500; ++i)
        play(i);
    dialog.StopPlayer(); // the last was left playing into the stuck card
    ASSERT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
    ASSERT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    free_ended_worker();

    EXPECT_EQ(testfs::openDescriptors(), fds);
    // A joined thread can linger a moment in /proc under emulation (in the
    // count taken before, too); one that leaked never goes.
    testwork::waitUntil([&] { return thread_count() <= threads; }, 2s);
    EXPECT_LE(thread_count(), threads);
    EXPECT_EQ(file_info.decoder, nullptr);
    EXPECT_EQ(audio, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A worker or a play buffer kept per play would show as tens of kilobytes.
    EXPECT_LT(mallinfo2().uordblks, heap + 32 * 1024);
#else
    (void)heap; // the leak check at exit covers it
#endif
    boxsim::dsp::configure({});
}
