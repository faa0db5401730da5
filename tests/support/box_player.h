// The fixture of the browser, window, worker and long-session tests: a
// player on the box's disk with a stand-in device. The test process sees a
// folder of its own at /hdd, with /jazz and /a.flac beside it at the root, in
// a private mount namespace made before any test runs (box_player_main.cpp).
// A test chooses its card; it ends with nothing left behind: no worker or
// thread, no open device or decoder, the descriptors it began with, an
// empty /hdd.
#pragma once

#include "boxsim/dsp/sound_card.h"
#include "playback/exec_thread.h"
#include "playback/worker_record.h"
#include "plugin/player_dialog.h"
#include "tests/support/flac_maker.h"
#include "tests/support/open_fds.h"
#include "tests/support/recording_label.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls done() until it holds or timeout passes.
template <class Pred> bool waitUntil(Pred done, std::chrono::milliseconds timeout = 5s) {
    for (const auto deadline = Clock::now() + timeout; !done(); std::this_thread::sleep_for(2ms)) {
        if (Clock::now() >= deadline)
            return false;
    }
    return true;
}

// The stand-in device a test plays into: in real time into nothing unless
// it says otherwise. A raw card keeps the bytes for captured().
struct Card {
    Card& raw() { return set(raw_); }
    Card& fast() { return set(fast_); }
    Card& stall() { return set(stall_); }
    Card& refuse() { return set(refuse_); }
    Card& slowOpen() { return set(slow_open_); }   // each open takes 600 ms
    Card& slowClose() { return set(slow_close_); } // each close takes 1.5 s
    Card& halfWrites() { return set(half_writes_); }
    bool raw_ = false, fast_ = false, stall_ = false, refuse_ = false, slow_open_ = false,
         slow_close_ = false, half_writes_ = false;
    Card& set(bool& flag) { return flag = true, *this; }
};

class BoxPlayer : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static void card(const Card& c);
    static std::vector<std::string> calls() { return boxsim::dsp::deviceCalls(); }
    static std::size_t written(); // bytes the device has taken
    // What a raw card took, once it has played out.
    static std::vector<unsigned char> captured();
    // Writes a FLAC file of the test signal; returns path.
    static std::string tone(const std::string& path, double seconds,
                            const testaudio::Format& format = {});

    // The player's window, made on first use; its list and its browsing.
    eTivraDialog& window();
    void closeWindow() { window_.reset(); }
    std::vector<std::string> entries();
    eListBoxEntryText* entry(const std::string& text);
    void choose(const std::string& text) { window().selectedItem(entry(text)); }
    const eString& path() { return window().currentPath(); }

    // The plug-in run by the host on a key script.
    struct Run {
        int result;
        std::string screen;
        Clock::duration took;
    };
    static Run run(const std::string& script);

    // A worker started as the list starts one, its finished counted; null
    // if it has ended already.
    ExecThread* start(const std::string& path);
    // Stops the module's worker, waits for its end and frees it, under
    // either kill model.
    static void endWorker();
    std::atomic<int> finished{0};
    RecordingLabel label; // shows the total time while no window does

private:
    testfs::Descriptors fds_;
    std::unique_ptr<eTivraDialog> window_;
};
