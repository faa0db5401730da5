#include "playback/stop_request.h"

#include <atomic>

namespace {
std::atomic<bool> stop{false};
} // namespace

void request_stop() {
    stop.store(true);
}

void clear_stop_request() {
    stop.store(false);
}

bool stop_requested() {
    return stop.load();
}
