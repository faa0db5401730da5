// One host process, many plays and many runs: files that end, files
// stopped, files skipped for the next; windows the host closes while their
// file plays, stopped by the next window. The process ends with the
// descriptors, threads and heap it began with.
#include "boxsim/toolkit/thread_registry.h"
#include "playback/decoder.h"
#include "tests/support/box_player.h"

#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <sys/stat.h>

namespace {

std::size_t thread_count() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

class LongSession : public BoxPlayer {
protected:
    // Threads and heap, once playback has settled (the fixture compares
    // descriptors).
    struct Level {
        std::size_t threads, heap;
    };
    static Level level() {
        EXPECT_TRUE(waitUntil([] { return boxsim::liveThreads() == 0; }) &&
                    boxsim::dsp::waitUntilIdle(5s));
        // Large blocks (a frame buffer, a decoder's) are mapped, not taken
        // from the heap's arena.
        const struct mallinfo2 m = mallinfo2();
        return {thread_count(), m.uordblks + m.hblkhd};
    }
    static void expectLevel(const Level& before) {
        [[maybe_unused]] const Level after = level();
        // A joined thread can linger a moment in /proc under emulation (in
        // the count taken before, too); one that leaked never goes.
        waitUntil([&] { return thread_count() <= before.threads; }, 2s);
        EXPECT_LE(thread_count(), before.threads);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        // A worker, a window or a play buffer kept would show as tens of
        // kilobytes; the sanitizers' own leak check covers their builds.
        EXPECT_LT(after.heap, before.heap + 32 * 1024);
#endif
    }
};

} // namespace

TEST_F(LongSession, RunsClosedByTheHostWhilePlayingLeaveNothingBehind) {
    tone("/hdd/run.flac", 1.0);
    card(Card().stall()); // keeps each file playing
    auto cycle = [] {
        boxsim::dsp::clearDeviceCalls(); // the card's record would grow
        run("down ok hostclose");        // plays on after its window
        ASSERT_TRUE(worker_alive());
        run("blue hostclose"); // the next window's Stop
        ASSERT_TRUE(waitUntil([] { return !worker_alive(); }));
    };
    for (int i = 0; i < 10; ++i)
        cycle();
    const Level before = level();
    for (int i = 0; i < 50; ++i)
        cycle();
    expectLevel(before);
}

TEST_F(LongSession, FiveHundredPlaysLeaveNothingBehind) {
    mkdir("/hdd/session", 0755);
    for (int i = 0; i < 4; ++i)
        tone("/hdd/session/s" + std::to_string(i) + ".flac", 1.0);
    testaudio::Format large;
    large.blocksize = 16384; // frames too large for the worker's stack buffer
    tone("/hdd/session/large.flac", 1.0, large);
    std::ofstream("/hdd/session/broken.flac") << "no FLAC stream here";
    choose("/session");
    // Most play to their end on a fast card, every third is stopped, and one
    // in fifty plays into a stuck card until the next choice skips it. Now
    // and then a file that does not open, and one whose frames need the large
    // buffer (first played once the level is taken).
    auto play = [this](int i) {
        const bool odd = i % 20 == 7 || i % 50 == 33;
        const int kind = i % 50 == 49 ? 2 : i % 3 == 2 && !odd ? 1 : 0;
        card(kind == 0 ? Card().fast() : Card().stall());
        const std::string name = i % 20 == 7    ? "broken"
                                 : i % 50 == 33 ? "large"
                                                : "s" + std::to_string(i % 4);
        choose(name + ".flac"); // a skip kills and waits here
        if (kind == 1) {
            ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; })) << i;
            window().StopPlayer();
            // A kill that returns at once leaves the handle set a moment
            // longer, and the next choice would wait its second.
            ASSERT_TRUE(waitUntil([] { return !worker_alive(); })) << i;
        } else if (kind == 0) {
            ASSERT_TRUE(waitUntil([] { return execThread.load() == nullptr; })) << i;
        }
    };
    for (int i = 47; i < 50; ++i) // one of each kind first: containers settle
        play(i);
    play(0);
    window().StopPlayer();
    const Level before = level();
    for (int i = 0; i < 500; ++i)
        play(i);
    window().StopPlayer();
    expectLevel(before);
}
