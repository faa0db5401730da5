// A player window for browser tests, with helpers to read and choose entries.
#pragma once

#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"
#include "playback/exec_thread.h"
#include "plugin/player_dialog.h"
#include "tests/support/worker_watch.h"

#include <gtest/gtest.h>

#include <memory>

class Browser : public ::testing::Test {
protected:
    void SetUp() override {
        // Workers started here block on a card that never drains, so they
        // stay put until a test stops them.
        boxsim::dsp::Settings s;
        s.sink = boxsim::dsp::SinkKind::null;
        s.stall = true;
        boxsim::dsp::configure(s);
        dialog_ = std::make_unique<eTivraDialog>();
    }
    void TearDown() override {
        stop_worker();
        free_ended_worker();
        using namespace std::chrono_literals;
        EXPECT_TRUE(testwork::waitUntil([] { return boxsim::liveThreads() == 0; }, 5s));
        dialog_.reset();
        EXPECT_TRUE(boxsim::dsp::waitUntilIdle(5s));
        boxsim::dsp::configure({});
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (eListBoxEntryText* e : boxsim::listEntries(*dialog_->fileList()))
            out.push_back(e->getText());
        return out;
    }
    std::vector<std::string> listing(const std::string& dir) {
        dialog_->dispfiles(dir);
        return entries();
    }
    eListBoxEntryText* entry(const std::string& text) const {
        for (eListBoxEntryText* e : boxsim::listEntries(*dialog_->fileList())) {
            if (e->getText() == text)
                return e;
        }
        ADD_FAILURE() << "no entry " << text;
        return nullptr;
    }
    void choose(const std::string& text) {
        if (eListBoxEntryText* e = entry(text))
            dialog_->selectedItem(e);
    }
    const std::string& path() const { return dialog_->currentPath(); }
    const eWidget* focus() const { return boxsim::focusOf(*dialog_); }

    std::unique_ptr<eTivraDialog> dialog_;
};
