// Helpers for tests that run playback workers: a label that records every
// text it is given, and waiting for a condition a worker brings about.
#pragma once

#include "host/elabel.h"

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testwork {

// Records each text set, so a test can count the time updates. Workers set
// it from their own thread.
class RecordingLabel : public eLabel {
public:
    RecordingLabel() : eLabel(nullptr) {}
    void setText(const eString& text) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            texts_.push_back(text);
        }
        eLabel::setText(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard<std::mutex> hold(lock_);
        return texts_;
    }
    void clear() {
        std::lock_guard<std::mutex> hold(lock_);
        texts_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<std::string> texts_;
};

// Polls done() until it holds or timeout passes.
template <class Pred> bool waitUntil(Pred done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace testwork
