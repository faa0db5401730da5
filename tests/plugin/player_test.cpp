// The player's window and the plug-in's runs, as the host drives them: what
// the window shows, how Stop and leaving end playback, runs closed by the
// host while a file plays. /hdd holds /jazz, a.flac (2 s) and long.flac (30 s).
#include "boxsim/frontend/script/screen_dump.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "tests/support/box_player.h"

#include "boxsim/toolkit/key_routing.h"

#ifdef BOXSIM_WITH_WINDOW
#include "boxsim/frontend/screen/screen_painter.h"
#include "boxsim/frontend/screen/screen_picture.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Player : public BoxPlayer {
protected:
    void SetUp() override {
        BoxPlayer::SetUp();
        mkdir("/hdd/jazz", 0755);
        tone("/hdd/a.flac", 2.0);
        tone("/hdd/long.flac", 30.0);
    }
    // The time label's text in the dump of the index-th window of a run.
    static std::string time_in(const Run& r, int index) {
        std::size_t at = 0;
        for (int i = 0; i <= index && at != std::string::npos; ++i)
            at = r.screen.find("label at (127,360) size 500x30 text \"", at + 1);
        return at == std::string::npos ? "?" : r.screen.substr(at + 37, 5);
    }
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

} // namespace

TEST_F(Player, TheWindowIsBuiltAsTheBoxShowsIt) {
    execThread = reinterpret_cast<ExecThread*>(1);
    window().show();
    EXPECT_EQ(execThread, nullptr);
    EXPECT_EQ(boxsim::screenDump(window()), built_window);
    EXPECT_EQ(path(), "/hdd");
    // Left and right move the focus along the list and the two buttons.
    const eWidget* focus[3];
    for (const eWidget*& f : focus) {
        boxsim::pressKey(window(), boxsim::RemoteKey::right);
        f = boxsim::focusOf(window());
    }
    boxsim::pressKey(window(), boxsim::RemoteKey::left);
    EXPECT_NE(focus[0], window().fileList());
    EXPECT_NE(focus[1], focus[0]);
    EXPECT_EQ(focus[2], window().fileList()) << "round to the list";
    EXPECT_EQ(boxsim::focusOf(window()), focus[1]) << "left goes back";
    // Stop with nothing playing gives the list its focus back, and only that.
    window().setFocus(nullptr);
    window().StopPlayer();
    EXPECT_EQ(boxsim::screenDump(window()), built_window);
}

TEST_F(Player, RootAnswersOkAndItsRedKey) {
    window().show();
    for (const auto& keys :
         {std::vector<boxsim::RemoteKey>{boxsim::RemoteKey::right, boxsim::RemoteKey::ok},
          {boxsim::RemoteKey::red}}) {
        choose("/jazz");
        for (const boxsim::RemoteKey key : keys)
            boxsim::pressKey(window(), key);
        EXPECT_EQ(path(), "/") << keys.size() << " keys";
    }
}

TEST_F(Player, PagesAndRowsMoveTheSelectionAndKeepItInView) {
    for (int i = 0; i < 40; ++i)
        close(open(("/hdd/t" + std::to_string(i) + ".flac").c_str(), O_CREAT | O_WRONLY, 0644));
    window().show();
    window().dispfiles("/hdd"); // 44 entries, 15 rows shown
    auto press = [this](boxsim::RemoteKey key, int times) {
        while (times-- > 0)
            boxsim::pressKey(window(), key);
    };
    // The selected row and the first row shown.
    auto place = [this] {
        const boxsim::WidgetNode list = boxsim::snapshot(window()).children[0];
        const auto at = std::find_if(list.rows.begin(), list.rows.end(),
                                     [](const boxsim::ListRow& r) { return r.selected; });
        return std::make_pair(static_cast<int>(at - list.rows.begin()), list.top);
    };
    press(boxsim::RemoteKey::pageDown, 1);
    EXPECT_EQ(place(), std::make_pair(15, 1));
    press(boxsim::RemoteKey::pageDown, 5);
    EXPECT_EQ(place(), std::make_pair(43, 29)) << "stops at the last entry";
    press(boxsim::RemoteKey::up, 1);
    EXPECT_EQ(place(), std::make_pair(42, 29));
    press(boxsim::RemoteKey::pageUp, 2);
    EXPECT_EQ(place(), std::make_pair(12, 12));
    window().dispfiles("/hdd");
    EXPECT_EQ(place(), std::make_pair(0, 0)) << "a new listing starts at the top";
}

TEST_F(Player, StopEndsAnyWorkerAtOnce) {
    // Playing, still opening its device, or blocked on one that never drains.
    for (Card c : {Card(), Card().slowOpen(), Card().stall()}) {
        card(c);
        choose("long.flac");
        // A slow open is stopped once it has begun.
        ASSERT_TRUE(c.slow_open_ ? (std::this_thread::sleep_for(200ms), true)
                                 : waitUntil([] { return file_info.is_playing == 1; }));
        window().setFocus(nullptr);
        const auto before = Clock::now();
        window().StopPlayer();
        EXPECT_LT(Clock::now() - before, 1s);
        EXPECT_TRUE(waitUntil([] { return !worker_alive(); }, 1s));
        EXPECT_FALSE(file_info.is_playing);
        EXPECT_EQ(execThread, nullptr);
        EXPECT_EQ(boxsim::focusOf(window()), window().fileList());
        window().StopPlayer();
        const auto made = calls();
        EXPECT_EQ(std::count(made.begin(), made.end(), "close"), 1);
        if (c.slow_open_) {
            EXPECT_EQ(std::count(made.begin(), made.end(), "write 16384"), 0) << "it played";
        }
    }
}

TEST_F(Player, LeavingStopsWhatPlaysAndWaitsASecond) {
    const struct {
        Card card;
        const char* keys;
        Clock::duration at_least, at_most;
    } cases[] = {
        {Card(), "down down down ok wait 300 exit", 1300ms, 3s},
        {Card().stall(), "down down down ok wait 300 exit", 1300ms, 2300ms},
        {Card().slowOpen(), "down down down ok exit", 1s, 3s},
        {Card(), "exit", 1s, 2s}, // nothing plays: the second all the same
    };
    for (const auto& c : cases) {
        card(c.card);
        const Run r = run(c.keys);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(r.took).count();
        EXPECT_EQ(r.result, 0) << c.keys;
        EXPECT_GE(r.took, c.at_least) << c.keys << ": " << ms << " ms";
        EXPECT_LT(r.took, c.at_most) << c.keys << ": " << ms << " ms";
        EXPECT_EQ(boxsim::liveThreads(), 0u) << c.keys;
        EXPECT_EQ(file_info.is_playing, 0) << c.keys;
        EXPECT_EQ(lb_TT, nullptr) << "label handles outlive the window";
    }
}

TEST_F(Player, AWindowClosedWithResultZeroNeitherStopsNorWaits) {
    const Run r = run("down down ok wait 200");
    EXPECT_EQ(r.result, 0);
    EXPECT_LT(r.took, 900ms);
    EXPECT_EQ(boxsim::liveThreads(), 1u) << "the file plays on";
    // It ends on its own, with no window left to show its time in.
    EXPECT_TRUE(waitUntil([] { return boxsim::liveThreads() == 0; }, 10s) && !file_info.is_playing);
    stop_workers(); // as the next Stop would: frees it
    EXPECT_EQ(execThread, nullptr) << "the freed worker's handle was left behind";
}

TEST_F(Player, AFileLeftPlayingByAnEarlierRunIsStillTheOneWorker) {
    // The host closes the first window itself while long.flac plays.
    Run r = run("down down down ok wait 300 hostclose");
    EXPECT_LT(r.took, 900ms);
    ASSERT_TRUE(worker_alive());
    // The next window shows its total time, and its Stop stops it.
    r = run("dump blue idle dump hostclose");
    EXPECT_EQ(time_in(r, 0), "00:30");
    EXPECT_EQ(time_in(r, 1), "00:00");
    EXPECT_FALSE(worker_alive());
    // Left playing again: another file replaces it, after the second's
    // wait, and leaving stops that. The card takes one open at a time: a
    // second worker beside the first would have been refused.
    run("down down down ok wait 300 hostclose");
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }))
        << "a Stop's sound plays out first";
    r = run("down down ok wait 200 hostclose");
    EXPECT_GE(r.took, 1s);
    run("exit");
    EXPECT_FALSE(worker_alive());
    // Each open follows the close of the one before.
    std::vector<std::string> opened_and_closed;
    for (const std::string& call : calls()) {
        if (call == "open /dev/dsp" || call == "close")
            opened_and_closed.push_back(call);
    }
    EXPECT_EQ(opened_and_closed,
              (std::vector<std::string>{"open /dev/dsp", "close", "open /dev/dsp", "close",
                                        "open /dev/dsp", "close"}));
}

TEST_F(Player, StopLeavingAndTheHostAnswerAtOnceInDataWithoutFrames) {
    // A copy cut short: a few frames, then zeros up to 2 GiB (sparse).
    tone("/hdd/jazz/padded.flac", 0.2);
    ASSERT_EQ(truncate("/hdd/jazz/padded.flac", 2LL << 30), 0);
    card(Card().fast());
    // Plays the frames, then waits until the library searches the zeros.
    auto play_into_the_zeros = [this] {
        boxsim::dsp::clearDeviceCalls();
        choose("padded.flac");
        EXPECT_TRUE(waitUntil([this] { return written() == 8820 * 4; }));
        std::this_thread::sleep_for(50ms);
    };
    choose("/jazz");
    play_into_the_zeros();
    auto before = Clock::now();
    window().StopPlayer();
    EXPECT_LT(Clock::now() - before, 1s) << "Stop";
    // The host's own stop, as on shutdown: no request of the plug-in's.
    play_into_the_zeros();
    before = Clock::now();
    boxsim::stopAllThreads();
    EXPECT_TRUE(waitUntil([] { return !worker_alive(); }));
    EXPECT_LT(Clock::now() - before, 1s) << "the host's stop";
    stop_workers();
    closeWindow();
    const Run r = run("down ok down ok wait 300 exit");
    EXPECT_LT(r.took, 300ms + 1s + 1s) << "leaving: a second's wait and a prompt stop";
}

#ifdef BOXSIM_WITH_WINDOW
// The picture of a playing window, pixel by pixel, at the places the box
// puts its widgets: screen coordinates are client coordinates + (100, 75).
TEST_F(Player, ThePictureShowsEveryWidgetWhereTheBoxPutsIt) {
    namespace colour = boxsim::screen_colour;
    std::string error;
    boxsim::ScreenPicture idle(error), playing(error);
    ASSERT_TRUE(idle.ok() && playing.ok()) << error;
    window().show();
    idle.paintWindow(boxsim::snapshot(window()));
    choose("long.flac");
    ASSERT_TRUE(waitUntil([] { return file_info.is_playing == 1; }));
    for (int row = 1; row <= 3; ++row)
        boxsim::pressKey(window(), boxsim::RemoteKey::down);
    playing.paintWindow(boxsim::snapshot(window()));
    auto pixel = [](const boxsim::ScreenPicture& p, int x, int y) {
        const SDL_Surface* s = p.surface();
        return static_cast<const Uint8*>(s->pixels) + (75 + y) * s->pitch + (100 + x) * 4;
    };
    // Pixels of an area, in client coordinates, as light as text.
    auto inked = [&](const boxsim::ScreenPicture& p, int x, int y, int w) {
        int n = 0;
        for (int j = y; j < y + 30; ++j) {
            for (int i = x; i < x + w; ++i)
                n += pixel(p, i, j)[0] > 180 && pixel(p, i, j)[1] > 180 && pixel(p, i, j)[2] > 180;
        }
        return n;
    };
    const struct {
        int x, y;
        SDL_Color colour;
        const char* what;
    } points[] = {
        {509, 459, colour::client, "client area, bottom right"},
        {-1, 125, colour::background, "left of the window"},
        {255, -15, colour::title_bar, "title bar"},
        {10, 150, colour::frame, "list frame, left"},
        {250, 309, colour::frame, "list frame, bottom"},
        {480, 10 + 3 * 20 + 10, colour::selection, "selection bar on long.flac"},
        {480, 10 + 0 * 20 + 10, colour::list, "the row it left"},
        {10 + 16, 425 + 15, colour::red, "Root's red mark"},
        {150 + 16, 425 + 15, colour::blue, "Stop's blue mark"},
        {150 + 95, 425 + 4, colour::button, "Stop's face"},
    };
    for (const auto& p : points) {
        const Uint8* c = pixel(playing, p.x, p.y);
        EXPECT_TRUE(std::abs(c[0] - p.colour.r) + std::abs(c[1] - p.colour.g) +
                        std::abs(c[2] - p.colour.b) <=
                    12)
            << p.what << " at (" << p.x << "," << p.y << ")";
    }
    // The label rows: the caption from the start, the total time once it plays.
    EXPECT_GT(inked(playing, 10, 360, 110), 20) << "Total Time : ";
    EXPECT_EQ(inked(idle, 127, 360, 100), 0);
    EXPECT_GT(inked(playing, 127, 360, 100), 20) << "the total time";
    EXPECT_EQ(inked(playing, 10, 380, 100), 0) << "the second time row is empty";
}
#endif
