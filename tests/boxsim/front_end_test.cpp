// The front ends' loop, written once for all of them: what the screen
// shows as the plug-in comes and goes, which keys are dropped, and the
// headless front end's waits.
#include "boxsim/frontend/drivers/headless_driver.h"
#include "boxsim/notices/notices.h"
#include "host/ethread.h"
#include "host/ewindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <sstream>
#include <thread>

using namespace boxsim;
using namespace std::chrono_literals;

namespace {

const KeyBinding* key(Keyboard k) {
    return bindingFor(k);
}

std::string joined(const std::vector<std::string>& strip) {
    std::string out;
    for (const std::string& entry : strip)
        out += (out.empty() ? "" : ", ") + entry;
    return out;
}

// A front end whose keys are pressed by the test: those in pressed wait to
// be read; one of later is pressed at each read. With none left it presses
// standby in a window and q on the host's screen.
class PressedKeys : public FrontEnd {
public:
    std::deque<const KeyBinding*> pressed, later;
    std::vector<std::string> screens; // what each draw showed, and its strip

protected:
    const KeyBinding* readKey(std::chrono::milliseconds) override {
        if (!later.empty()) {
            pressed.push_back(later.front());
            later.pop_front();
        }
        if (pressed.empty())
            return key(window() ? Keyboard::f10 : letter('q'));
        const KeyBinding* press = pressed.front();
        pressed.pop_front();
        return press;
    }
    void dropPendingKeys() override { pressed.clear(); }
    void drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) override {
        show((window.visible ? "window: " : "nothing: ") + joined(strip));
    }
    void drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) override {
        show("host " + std::to_string(host.result) + ": " + joined(strip));
    }

private:
    void show(const std::string& screen) {
        if (screens.empty() || screens.back() != screen)
            screens.push_back(screen);
    }
};

class FrontEndLoop : public ::testing::Test {
protected:
    void SetUp() override { setModalDriver(&front); }
    void TearDown() override { setModalDriver(nullptr); }
    PressedKeys front;
    eWindow window{1};
};

} // namespace

TEST_F(FrontEndLoop, TheScreenFollowsThePlugInWithTheKeysOfWhatIsShown) {
    front.later = {key(Keyboard::escape)};
    window.show();
    window.exec();
    window.hide();
    front.betweenRuns(1);
    EXPECT_EQ(front.screens,
              (std::vector<std::string>{
                  "window: PgUp/PgDn page, Enter OK, Esc/Bksp exit, F1/r red, F4/b blue, "
                  "F10/p standby",
                  "nothing: ", "host 1: Enter start, Esc/Bksp/q quit"}));
}

TEST_F(FrontEndLoop, KeysPressedWhileThePlugInIsAwayFromItsLoopAreDropped) {
    const struct {
        const char* when;
        bool in_pause; // else once the host's screen waits for keys
        HostChoice choice;
    } cases[] = {{"in the plug-in's pause", true, HostChoice::quit},
                 {"on the host's screen", false, HostChoice::launch}};
    for (const auto& c : cases) {
        front.later = {key(Keyboard::escape)};
        window.exec();
        (c.in_pause ? front.pressed : front.later) = {key(Keyboard::enter)};
        EXPECT_EQ(front.betweenRuns(1), c.choice) << "Enter pressed " << c.when;
    }
}

namespace {

// A playback thread that runs until released, as one whose sink has
// stopped taking sound would run for ever.
class Stuck : public eThread {
public:
    std::atomic<bool> released{false}, ended{false};

protected:
    void thread() override {
        while (!released)
            std::this_thread::sleep_for(2ms);
    }
    void thread_finished() override { ended = true; }
};

std::vector<ScriptStep> steps_of(const std::string& script) {
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_TRUE(parseKeyScript(script, steps, error)) << error;
    return steps;
}

} // namespace

TEST(HeadlessScript, IdleGivesUpOnAThreadThatNeverEndsSaysSoAndGoesOn) {
    std::ostringstream out;
    HeadlessDriver front(steps_of("wait 0\nidle dump"), out, 100ms);
    Stuck stuck;
    ASSERT_EQ(stuck.run(), 0);
    const std::size_t before = noticeCount();
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(front.betweenRuns(0), HostChoice::quit);
    EXPECT_GE(std::chrono::steady_clock::now() - began, 100ms) << "idle took its time";
    stuck.released = true;
    while (!stuck.ended) // not gone while its thread still calls it
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(noticeCount(), before + 1);
    EXPECT_EQ(notices().back(),
              "line 2: idle: still playing after 100 ms; going on (has the sink stopped?)");
    EXPECT_NE(out.str().find("host screen: "), std::string::npos) << "the script went on";
}

TEST(HeadlessScript, AWaitTakesItsTime) {
    std::ostringstream out;
    HeadlessDriver front(steps_of("wait 200"), out, 100ms);
    const auto before = std::chrono::steady_clock::now();
    front.betweenRuns(0);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 200ms);
}
