// Choosing entries: going up, entering directories, starting and forgetting
// workers. Runs on the test disk: /hdd, /jazz and /a.flac are ours.
#include "boxsim/frontend/headless_driver.h"
#include "browser_fixture.h"
#include "tests/support/box_disk.h"
#include "tests/support/flac_maker.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class Navigation : public Browser {
protected:
    void SetUp() override {
        if (!boxdisk::unavailable().empty())
            GTEST_SKIP() << boxdisk::unavailable();
        const std::string hdd = boxdisk::hddSource();
        for (const char* d : {"/jazz", "/jazz/x", "/a", "/a/b"})
            mkdir((hdd + d).c_str(), 0755);
        for (const char* f : {"/a.flac", "/jazz/a.flac", "/jazz/b.flac", "/jazz/..intro.flac"})
            testaudio::writeTone(hdd + f, {}, 1.0); // more than the stalled card holds
        Browser::SetUp();
    }
    void TearDown() override {
        if (!dialog_)
            return;
        Browser::TearDown();
        std::system(("rm -rf " + boxdisk::hddSource() + "/*").c_str());
    }
    std::string playing() const {
        ExecThread* worker = execThread.load();
        return worker ? std::string(worker->path) : std::string("(none)");
    }
    void stopWorker() {
        stop_worker();
        free_ended_worker();
    }
};

} // namespace

TEST_F(Navigation, GoingUpKeepsTheParentsSlash) {
    EXPECT_EQ(path(), "/hdd");
    choose("/jazz");
    EXPECT_EQ(path(), "/hdd/jazz");
    choose("..");
    EXPECT_EQ(path(), "/hdd/");
    EXPECT_EQ(entries(), (std::vector<std::string>{"..", "/a", "/jazz", "a.flac"}));
    choose("/jazz");
    EXPECT_EQ(path(), "/hdd/jazz") << "entered from /hdd/ without a doubled slash";
    choose("/x");
    choose("..");
    EXPECT_EQ(path(), "/hdd/jazz/");
    choose("..");
    EXPECT_EQ(path(), "/hdd/");
    choose("..");
    EXPECT_EQ(path(), "/");
    choose("/hdd");
    EXPECT_EQ(path(), "/hdd");
    choose("..");
    EXPECT_EQ(path(), "/");
    choose("/hdd");
    choose("/a");
    choose("/b");
    EXPECT_EQ(path(), "/hdd/a/b");
    choose("..");
    EXPECT_EQ(path(), "/hdd/a/");
}

TEST_F(Navigation, UpFromTheRootListsTheRootAgain) {
    dialog_->displayroot();
    choose("/jazz");
    EXPECT_EQ(path(), "/jazz");
    choose("..");
    EXPECT_EQ(path(), "/");
    dialog_->fileList()->clearList();
    dialog_->folderup();
    EXPECT_EQ(path(), "/");
    EXPECT_GT(entries().size(), 3u);
}

TEST_F(Navigation, FilesPlayFromTheirFullPath) {
    choose("a.flac");
    EXPECT_EQ(playing(), "/hdd/a.flac");
    stopWorker();
    choose("..");
    choose("a.flac");
    EXPECT_EQ(playing(), "/a.flac");
    stopWorker();
    choose("/hdd");
    choose("..");
    choose("/hdd");
    choose("/jazz");
    choose("a.flac");
    EXPECT_EQ(playing(), "/hdd/jazz/a.flac");
    stopWorker();
    dialog_->folderup();
    choose("a.flac");
    EXPECT_EQ(path(), "/hdd/");
    EXPECT_EQ(playing(), "/hdd/a.flac");
}

TEST_F(Navigation, OnlyTheUpEntryGoesUpAndAFileNeverEntersADirectory) {
    choose("/jazz");
    choose("..intro.flac");
    EXPECT_EQ(path(), "/hdd/jazz");
    EXPECT_EQ(playing(), "/hdd/jazz/..intro.flac");
    stopWorker();
    // In /hdd/a, the file b.flac joined without a "/" would name the
    // directory /hdd/ab.flac beside it.
    const std::string hdd = boxdisk::hddSource();
    mkdir((hdd + "/ab.flac").c_str(), 0755);
    testaudio::writeTone(hdd + "/a/b.flac", {}, 1.0);
    choose("..");
    choose("/a");
    choose("b.flac");
    EXPECT_EQ(path(), "/hdd/a");
    EXPECT_EQ(playing(), "/hdd/a/b.flac");
}

TEST_F(Navigation, AChoiceWithoutAnEntryClosesTheWindowAndNothingElse) {
    choose("/jazz");
    const auto before = entries();
    // Exit on the list is the choice without an entry.
    std::vector<boxsim::ScriptStep> exit_key{boxsim::RemoteKey::exit};
    std::ostringstream screen;
    boxsim::HeadlessDriver driver(exit_key, screen);
    boxsim::setModalDriver(&driver);
    dialog_->show();
    EXPECT_NE(dialog_->exec(), 0);
    boxsim::setModalDriver(nullptr);
    EXPECT_EQ(path(), "/hdd/jazz");
    EXPECT_EQ(entries(), before);
}

TEST_F(Navigation, EnteringADirectoryLeavesTheWorkerAlone) {
    choose("a.flac");
    ExecThread* worker = execThread.load();
    ASSERT_NE(worker, nullptr);
    choose("/jazz");
    EXPECT_EQ(execThread.load(), worker);
    EXPECT_TRUE(worker_alive());
}

TEST_F(Navigation, ANewFileStopsTheOldWorkerAndWaitsASecond) {
    auto before = Clock::now();
    choose("a.flac");
    EXPECT_LT(Clock::now() - before, 500ms) << "no worker, no wait";
    ExecThread* first = execThread.load();
    std::atomic<int> first_finished{0};
    first->finished.connect([&](int) { ++first_finished; });

    choose("/jazz");
    before = Clock::now();
    choose("b.flac");
    EXPECT_GE(Clock::now() - before, 1s);
    EXPECT_EQ(first_finished, 1);
    EXPECT_EQ(playing(), "/hdd/jazz/b.flac");
    EXPECT_TRUE(worker_alive());
}

TEST_F(Navigation, OnlyTheCurrentWorkersFinishClearsTheHandle) {
    auto* idle = new ExecThread("/hdd/a.flac");
    execThread = idle;
    const auto before = entries();
    dialog_->execThreadFinished(idle->status + 1); // a replaced worker's late end
    EXPECT_EQ(execThread.load(), idle);
    dialog_->execThreadFinished(idle->status);
    EXPECT_EQ(execThread.load(), nullptr);
    EXPECT_EQ(path(), "/hdd");
    EXPECT_EQ(entries(), before);
    delete idle;
}

TEST_F(Navigation, AVanishedEntryLeadsNowhere) {
    std::remove((boxdisk::hddSource() + "/a.flac").c_str());
    rmdir((boxdisk::hddSource() + "/a/b").c_str());
    rmdir((boxdisk::hddSource() + "/a").c_str());
    const auto before = entries();
    choose("a.flac");
    choose("/a");
    EXPECT_EQ(execThread, nullptr);
    EXPECT_EQ(path(), "/hdd");
    EXPECT_EQ(entries(), before);
}

TEST_F(Navigation, RootListsTheRootFromAnywhere) {
    choose("/jazz");
    choose("/x");
    dialog_->displayroot();
    EXPECT_EQ(path(), "/");
    const auto shown = entries();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "/hdd"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "a.flac"), shown.end());
}
