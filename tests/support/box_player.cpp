#include "tests/support/box_player.h"

#include "boxsim/frontend/drivers/headless_driver.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/decoder.h"
#include "plugin/plugin_entry.h"
#include "tests/support/open_fds.h"

#include <filesystem>
#include <sstream>

namespace {
const char* const capture_path = "/hdd/.card.raw";
} // namespace

void BoxPlayer::SetUp() {
    set_total_time_label(&label);
    card({});
    fds_ = testfs::describeDescriptors();
}

void BoxPlayer::TearDown() {
    window_.reset();
    endWorker();
    EXPECT_TRUE(waitUntil([] { return boxsim::liveThreads() == 0; })) << "a thread is left";
    EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s)) << "the device is left open";
    EXPECT_EQ(boxsim::threadMisuse(), std::vector<std::string>{}) << "beyond what the box promises";
    boxsim::clearThreadMisuse();
    set_total_time_label(nullptr);
    forget_worker_handle();
    EXPECT_EQ(file_info.decoder, nullptr) << "a play left its decoder";
    EXPECT_EQ(file_info.is_playing, 0) << "a play left its record open";
    EXPECT_EQ(audio, 0) << "a play left the device";
    boxsim::dsp::configure({});
    EXPECT_EQ(testfs::leakedOrClosedSince(fds_), std::vector<std::string>{});
    for (const auto& e : std::filesystem::directory_iterator("/hdd"))
        std::filesystem::remove_all(e.path());
}

void BoxPlayer::card(const Card& c) {
    boxsim::dsp::Settings s;
    s.sink = c.raw_ ? boxsim::dsp::SinkKind::raw : boxsim::dsp::SinkKind::null;
    s.target = capture_path;
    s.fast = c.fast_;
    s.stall = c.stall_;
    s.refuse = c.refuse_;
    s.open_delay_ms = c.slow_open_ ? 600 : 0;
    s.close_delay_ms = c.slow_close_ ? 1500 : 0;
    s.half_writes = c.half_writes_;
    boxsim::dsp::configure(s);
    boxsim::dsp::clearDeviceCalls();
}

std::size_t BoxPlayer::written() {
    std::size_t total = 0;
    for (const std::string& c : calls())
        total += c.rfind("write ", 0) == 0 ? std::stoul(c.substr(6)) : 0;
    return total;
}

std::vector<unsigned char> BoxPlayer::captured() {
    EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
    boxsim::dsp::configure({}); // closes the capture
    return testaudio::readFile(capture_path);
}

std::string BoxPlayer::tone(const std::string& path, double seconds,
                            const testaudio::Format& format) {
    EXPECT_TRUE(testaudio::writeTone(path, format, seconds)) << path;
    return path;
}

eTivraDialog& BoxPlayer::window() {
    if (!window_)
        window_ = std::make_unique<eTivraDialog>();
    return *window_;
}

std::vector<std::string> BoxPlayer::entries() {
    std::vector<std::string> out;
    for (eListBoxEntryText* e : boxsim::listEntries(*window().fileList()))
        out.push_back(e->getText());
    return out;
}

eListBoxEntryText* BoxPlayer::entry(const std::string& text) {
    for (eListBoxEntryText* e : boxsim::listEntries(*window().fileList())) {
        if (e->getText() == text)
            return e;
    }
    ADD_FAILURE() << "no entry " << text;
    return nullptr;
}

BoxPlayer::Run BoxPlayer::run(const std::string& script) {
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

ExecThread* BoxPlayer::start(const std::string& path) {
    play_in_new_worker(path, [this](ExecThread& worker) {
        return worker.finished.connect([this](int status) {
            ++finished;
            worker_finished(status);
        });
    });
    return execThread.load();
}

void BoxPlayer::endWorker() {
    stop_workers();
    EXPECT_TRUE(waitUntil([] { return !worker_alive(); })) << "a killed worker did not end";
    stop_workers(); // frees it, if the kill returned before its end
}
