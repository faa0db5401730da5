// Helpers for tests that run playback workers: a label that records every
// text it is given, and waiting for a worker's finished signal.
#pragma once

#include "host/eguiqueue.h"
#include "host/elabel.h"

#include <chrono>
#include <thread>
#include <vector>

namespace testwork {

// Records each text set, so a test can count the time updates.
class RecordingLabel : public eLabel {
public:
    RecordingLabel() : eLabel(nullptr) {}
    void setText(const eString& text) override {
        texts.push_back(text);
        eLabel::setText(text);
    }
    std::vector<std::string> texts;
};

// Runs the GUI thread's queue until done() holds or timeout passes.
template <class Pred> bool pumpUntil(Pred done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        eGuiQueue::drain();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        eGuiQueue::waitForTask(std::chrono::milliseconds(5));
    }
}

} // namespace testwork
