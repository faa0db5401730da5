// A label that records every text it is given, so a test can count the time
// updates; workers set it from their own thread.
#pragma once

#include "host/elabel.h"

#include <mutex>
#include <string>
#include <vector>

class RecordingLabel : public eLabel {
public:
    RecordingLabel() : eLabel(nullptr) {}
    void setText(const eString& text) override {
        std::lock_guard<std::mutex> hold(lock_);
        texts_.push_back(text);
        eLabel::setText(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard<std::mutex> hold(lock_);
        return texts_;
    }

private:
    mutable std::mutex lock_;
    std::vector<std::string> texts_;
};
