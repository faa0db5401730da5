// The player window and the plug-in's run, driven through the headless front
// end on the test disk (/hdd holds /jazz, a.flac of 2 s and long.flac of 30 s).
#include "boxsim/dsp/sound_card.h"
#include "boxsim/frontend/headless_driver.h"
#include "boxsim/frontend/screen_dump.h"
#ifdef BOXSIM_WITH_WINDOW
#include "boxsim/frontend/screen_painter.h"

#include <SDL_image.h>
#endif
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "playback/exec_thread.h"
#include "plugin/player_dialog.h"
#include "plugin/plugin_entry.h"
#include "tests/support/box_disk.h"
#include "tests/support/flac_maker.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/worker_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct PluginRun {
    int result;
    std::string screen;
    Clock::duration took;
};

class PlayerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!boxdisk::unavailable().empty())
            GTEST_SKIP() << boxdisk::unavailable();
        const std::string hdd = boxdisk::hddSource();
        mkdir((hdd + "/jazz").c_str(), 0755);
        struct stat st;
        if (stat((hdd + "/long.flac").c_str(), &st) != 0) {
            testaudio::writeTone(hdd + "/a.flac", {}, 2.0);
            testaudio::writeTone(hdd + "/long.flac", {}, 30.0);
        }
        device({});
    }
    void TearDown() override {
        stop_worker();
        free_ended_worker();
        EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 10s));
        EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
        boxsim::dsp::configure({});
    }
    // A real-time card playing into nothing, unless the test says otherwise.
    void device(boxsim::dsp::Settings s) {
        if (s.sink == boxsim::dsp::SinkKind::automatic)
            s.sink = boxsim::dsp::SinkKind::null;
        boxsim::dsp::configure(s);
        boxsim::dsp::clearDeviceCalls();
    }
    PluginRun run(const std::string& script) {
        std::vector<boxsim::ScriptStep> steps;
        std::string error;
        EXPECT_TRUE(boxsim::parseKeyScript(script, steps, error)) << error;
        std::ostringstream screen;
        boxsim::HeadlessDriver driver(steps, screen);
        boxsim::setModalDriver(&driver);
        const auto before = Clock::now();
        const int result = plugin_exec(nullptr);
        const auto took = Clock::now() - before;
        boxsim::setModalDriver(nullptr);
        return {result, screen.str(), took};
    }
    static eListBoxEntryText* entry(eTivraDialog& dialog, const std::string& text) {
        for (eListBoxEntryText* e : boxsim::listEntries(*dialog.fileList())) {
            if (e->getText() == text)
                return e;
        }
        ADD_FAILURE() << "no entry " << text;
        return nullptr;
    }
    // Chooses a file and counts its worker's finished.
    void play(eTivraDialog& dialog, const std::string& name) {
        dialog.selectedItem(entry(dialog, name));
        ASSERT_NE(execThread.load(), nullptr);
        execThread.load()->finished.connect([this](int) { ++finished_; });
    }
    std::atomic<int> finished_{0};
};

const char* const built_window =
    R"(window at (100,45) size 510x490 text "Tivra 0.0.1" client (100,75) size 510x460
  listbox at (10,10) size 490x300 text "" focus deco eListBox
    entry ".." selected shown
    entry "/jazz" shown
    entry "a.flac" shown
    entry "long.flac" shown
  label at (10,300) size 500x30 text ""
  label at (10,360) size 500x30 text "Total Time : "
  label at (127,360) size 500x30 text ""
  label at (10,400) size 500x30 text ""
  button at (10,425) size 100x30 text "Root" shortcut red pixmap red deco eButton
  button at (150,425) size 100x30 text "Stop" shortcut blue pixmap blue deco eButton
  label at (10,380) size 500x30 text ""
  label at (152,380) size 500x30 text ""
)";

#ifdef BOXSIM_WITH_WINDOW
// A screenshot read back, pixel by pixel.
class PixelReader {
public:
    explicit PixelReader(const std::string& path) {
        if (SDL_Surface* loaded = IMG_Load(path.c_str())) {
            surface_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
            SDL_FreeSurface(loaded);
        }
    }
    ~PixelReader() {
        if (surface_)
            SDL_FreeSurface(surface_);
    }
    bool ok() const { return surface_ != nullptr; }
    int width() const { return surface_->w; }
    int height() const { return surface_->h; }
    SDL_Color at(int x, int y) const {
        const auto* p = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    // Pixels of the area at (x, y) as light as text.
    int inked(std::pair<int, int> at, int w, int h) const {
        int n = 0;
        for (int y = at.second; y < at.second + h; ++y) {
            for (int x = at.first; x < at.first + w; ++x)
                n += at_least_grey(this->at(x, y), 180);
        }
        return n;
    }

private:
    static bool at_least_grey(SDL_Color c, int level) {
        return c.r >= level && c.g >= level && c.b >= level;
    }
    SDL_Surface* surface_ = nullptr;
};

bool near(SDL_Color a, SDL_Color b) {
    return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
}
#endif

} // namespace

TEST_F(PlayerWindow, IsBuiltAsTheBoxShowsIt) {
    execThread = reinterpret_cast<ExecThread*>(1);
    eTivraDialog dialog;
    EXPECT_EQ(execThread, nullptr);
    dialog.show();
    EXPECT_EQ(boxsim::screenDump(dialog), built_window);
    EXPECT_EQ(dialog.currentPath(), "/hdd");
    EXPECT_EQ(boxsim::textOf(*lb_TT), "");
    EXPECT_EQ(boxsim::textOf(*lb_ET), "");
}

TEST_F(PlayerWindow, PlayingShowsTheTotalTimeUntilTheEnd) {
    const PluginRun r = run("down down ok wait 400 dump idle dump exit");
    EXPECT_EQ(r.result, 0);
    const auto second_dump = r.screen.find("window", 10);
    ASSERT_NE(second_dump, std::string::npos);
    EXPECT_NE(r.screen.substr(0, second_dump).find("label at (127,360) size 500x30 text \"00:02\""),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.screen.substr(second_dump).find("label at (127,360) size 500x30 text \"00:00\""),
              std::string::npos);
    EXPECT_NE(r.screen.substr(second_dump).find("listbox at (10,10) size 490x300 text \"\" focus"),
              std::string::npos);
}

TEST_F(PlayerWindow, StopWithNothingPlayingOnlyFocusesTheList) {
    eTivraDialog dialog;
    dialog.show();
    dialog.setFocus(nullptr);
    std::string unfocused = built_window;
    unfocused.erase(unfocused.find(" focus"), 6);
    EXPECT_EQ(boxsim::screenDump(dialog), unfocused);
    dialog.StopPlayer();
    EXPECT_EQ(boxsim::screenDump(dialog), built_window);
}

TEST_F(PlayerWindow, StopKillsAPlayingWorkerOnce) {
    eTivraDialog dialog;
    play(dialog, "long.flac");
    ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
    dialog.setFocus(nullptr);
    const auto before = Clock::now();
    dialog.StopPlayer();
    EXPECT_LT(Clock::now() - before, 1s);
    EXPECT_EQ(finished_, 1);
    EXPECT_EQ(file_info.is_playing, 0);
    EXPECT_EQ(execThread, nullptr);
    EXPECT_EQ(boxsim::focusOf(dialog), dialog.fileList());
    dialog.StopPlayer();
    EXPECT_EQ(finished_, 1);
}

TEST_F(PlayerWindow, StopReachesAWorkerStillStarting) {
    boxsim::dsp::Settings slow;
    slow.open_delay_ms = 5000;
    device(slow);
    eTivraDialog dialog;
    play(dialog, "long.flac");
    EXPECT_EQ(file_info.is_playing, 0);
    const auto before = Clock::now();
    dialog.StopPlayer();
    EXPECT_LT(Clock::now() - before, 1s);
    EXPECT_EQ(finished_, 1);
    const auto calls = boxsim::dsp::deviceCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& c) { return c.rfind("write", 0) == 0; }),
              0);
}

TEST_F(PlayerWindow, LeavingWhilePlayingStopsWaitsAndLeavesNoThread) {
    const PluginRun r = run("down down down ok wait 300 exit");
    EXPECT_EQ(r.result, 0);
    EXPECT_GE(r.took, 1300ms);
    EXPECT_EQ(boxsim::liveThreads(), 0u);
    EXPECT_EQ(file_info.is_playing, 0);
    EXPECT_EQ(lb_TT, nullptr) << "label handles outlive the window";
}

TEST_F(PlayerWindow, StopAndLeavingGetPastACardThatNeverDrains) {
    boxsim::dsp::Settings stuck;
    stuck.stall = true;
    device(stuck);
    {
        eTivraDialog dialog;
        play(dialog, "long.flac");
        ASSERT_TRUE(testwork::waitUntil([] { return file_info.is_playing == 1; }, 5s));
        const auto before = Clock::now();
        dialog.StopPlayer();
        EXPECT_LT(Clock::now() - before, 1s);
        EXPECT_EQ(finished_, 1);
    }
    const PluginRun r = run("down down down ok wait 300 exit");
    EXPECT_LT(r.took, 300ms + 1s + 1s) << "a second's wait and a prompt stop";
    EXPECT_EQ(boxsim::liveThreads(), 0u);
}

TEST_F(PlayerWindow, LeavingWhileAWorkerStartsStopsItToo) {
    boxsim::dsp::Settings slow;
    slow.open_delay_ms = 5000;
    device(slow);
    const PluginRun r = run("down down down ok exit");
    EXPECT_LT(r.took, 3s);
    EXPECT_EQ(boxsim::liveThreads(), 0u);
}

TEST_F(PlayerWindow, LeavingWhileIdleStillWaitsASecond) {
    const PluginRun r = run("exit");
    EXPECT_EQ(r.result, 0);
    EXPECT_GE(r.took, 1s);
}

TEST_F(PlayerWindow, ClosedWithResultZeroNeitherStopsNorWaits) {
    const PluginRun r = run("down down ok wait 200");
    EXPECT_EQ(r.result, 0);
    EXPECT_LT(r.took, 900ms);
    EXPECT_EQ(boxsim::liveThreads(), 1u) << "the file plays on";
    // It ends on its own, with no window left to show its time in.
    EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 10s));
    EXPECT_EQ(file_info.is_playing, 0);
    free_ended_worker(); // as the next window would
    EXPECT_EQ(execThread, nullptr) << "the freed worker's handle was left behind";
}

TEST_F(PlayerWindow, AFileLeftPlayingByAnEarlierRunIsStillTheOneWorker) {
    device({}); // the card takes one open at a time: a second worker would be refused
    // The host closes the first window itself while long.flac plays.
    PluginRun r = run("down down down ok wait 300 hostclose");
    EXPECT_LT(r.took, 900ms);
    ASSERT_TRUE(worker_alive());
    // The next window shows its total time, and its Stop stops it.
    r = run("dump blue dump hostclose");
    const auto second_dump = r.screen.find("window", 10);
    EXPECT_NE(r.screen.substr(0, second_dump).find("at (127,360) size 500x30 text \"00:30\""),
              std::string::npos)
        << r.screen;
    EXPECT_NE(r.screen.substr(second_dump).find("at (127,360) size 500x30 text \"00:00\""),
              std::string::npos);
    EXPECT_FALSE(worker_alive());
    // Left playing again: another file replaces it, after the second's wait...
    run("down down down ok wait 300 hostclose");
    r = run("down down ok wait 200 hostclose");
    EXPECT_GE(r.took, 1s);
    // ...and leaving stops it.
    r = run("exit");
    EXPECT_FALSE(worker_alive());
    EXPECT_EQ(boxsim::liveThreads(), 0u);
    const auto calls = boxsim::dsp::deviceCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open /dev/dsp"), 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "open /dev/dsp busy"), 0);
}

TEST_F(PlayerWindow, StopLeavingAndTheHostAnswerAtOnceInDataWithoutFrames) {
    // A copy cut short: a few frames, then zeros up to 2 GiB (sparse).
    const std::string padded = boxdisk::hddSource() + "/jazz/padded.flac";
    ASSERT_TRUE(testaudio::writeTone(padded, {}, 0.2));
    ASSERT_EQ(truncate(padded.c_str(), 2LL << 30), 0);
    boxsim::dsp::Settings fast;
    fast.fast = true;
    device(fast);
    // Plays the frames, then waits until the library searches the zeros.
    auto play_into_the_zeros = [&](eTivraDialog& dialog) {
        boxsim::dsp::clearDeviceCalls();
        dialog.selectedItem(entry(dialog, "padded.flac"));
        EXPECT_TRUE(testwork::waitUntil(
            [] {
                std::size_t bytes = 0;
                for (const std::string& c : boxsim::dsp::deviceCalls())
                    bytes += c.rfind("write ", 0) == 0 ? std::stoul(c.substr(6)) : 0;
                return bytes == 8820 * 4;
            },
            5s));
        std::this_thread::sleep_for(50ms);
    };
    {
        eTivraDialog dialog;
        dialog.selectedItem(entry(dialog, "/jazz"));
        play_into_the_zeros(dialog);
        auto before = Clock::now();
        dialog.StopPlayer();
        EXPECT_LT(Clock::now() - before, 1s) << "Stop";
        // The host's own stop, as on shutdown: no request of the plug-in's.
        play_into_the_zeros(dialog);
        before = Clock::now();
        boxsim::stopAllThreads();
        EXPECT_LT(Clock::now() - before, 1s) << "the host's stop";
        free_ended_worker();
    }
    const PluginRun r = run("down ok down ok wait 300 exit");
    EXPECT_LT(r.took, 300ms + 1s + 1s) << "leaving: a second's wait and a prompt stop";
    std::remove(padded.c_str());
}

#ifdef BOXSIM_WITH_WINDOW
// The screenshot of a playing window, pixel by pixel, at the places the box
// puts its widgets: screen coordinates are client coordinates + (100, 75).
TEST_F(PlayerWindow, ScreenshotShowsEveryWidgetWhereTheBoxPutsIt) {
    namespace colour = boxsim::screen_colour;
    testfs::ScratchDir dir;
    const PluginRun r = run("shot " + (dir / "before.png") + " down down down ok wait 400 shot " +
                            (dir / "playing.png") + " hostclose");
    ASSERT_EQ(r.result, 0);
    const PixelReader before(dir / "before.png"), playing(dir / "playing.png");
    ASSERT_TRUE(playing.ok() && before.ok());
    EXPECT_EQ(playing.width(), 720);
    EXPECT_EQ(playing.height(), 576);
    auto client = [](int x, int y) { return std::pair<int, int>{100 + x, 75 + y}; };
    const struct {
        std::pair<int, int> at;
        SDL_Color colour;
        const char* what;
    } points[] = {
        {client(0, 0), colour::client, "client area, top left"},
        {client(509, 459), colour::client, "client area, bottom right"},
        {{99, 200}, colour::background, "left of the window"},
        {client(255, -15), colour::title_bar, "title bar"},
        {client(10, 150), colour::frame, "list frame, left"},
        {client(499, 150), colour::frame, "list frame, right"},
        {client(250, 10), colour::frame, "list frame, top"},
        {client(250, 309), colour::frame, "list frame, bottom"},
        {client(250, 250), colour::list, "inside the list"},
        {client(480, 10 + 3 * 20 + 10), colour::selection, "selection bar on long.flac"},
        {client(480, 10 + 0 * 20 + 10), colour::list, "the row it left"},
        {client(10 + 16, 425 + 15), colour::red, "Root's red mark"},
        {client(150 + 16, 425 + 15), colour::blue, "Stop's blue mark"},
        {client(10 + 95, 425 + 4), colour::button, "Root's face"},
        {client(150 + 95, 425 + 4), colour::button, "Stop's face"},
    };
    for (const auto& p : points) {
        EXPECT_TRUE(near(playing.at(p.at.first, p.at.second), p.colour))
            << p.what << " at (" << p.at.first << "," << p.at.second << ")";
    }
    // The label rows: the caption from the start, the total time once it plays.
    EXPECT_GT(playing.inked(client(10, 360), 110, 30), 20) << "Total Time : ";
    EXPECT_EQ(before.inked(client(127, 360), 100, 30), 0);
    EXPECT_GT(playing.inked(client(127, 360), 100, 30), 20) << "the total time";
    EXPECT_EQ(playing.inked(client(10, 380), 100, 30), 0) << "the second time row is empty";
}
#endif

TEST_F(PlayerWindow, ChoosingEntriesNeverChangesTheLabels) {
    eTivraDialog dialog;
    auto labels = [&] {
        std::string dump = boxsim::screenDump(dialog);
        return dump.substr(dump.find("  label"));
    };
    const std::string before = labels();
    dialog.selectedItem(entry(dialog, "/jazz"));
    dialog.selectedItem(entry(dialog, ".."));
    dialog.displayroot();
    dialog.selectedItem(entry(dialog, "/hdd"));
    EXPECT_EQ(labels(), before);
}

TEST_F(PlayerWindow, RunningItAHundredTimesHoldsNoMoreMemoryThanOnce) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators keep their own books; their leak check covers this";
#else
    for (int i = 0; i < 20; ++i) // let containers and caches settle
        run("down");
    const auto before = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i)
        run("down");
    // Each run makes a dozen widgets and entries: kilobytes a run if kept.
    EXPECT_LT(mallinfo2().uordblks, before + 32 * 1024);
#endif
}
