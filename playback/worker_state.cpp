#include "playback/worker_state.h"

#include <poll.h>
#include <set>

namespace {

// Serials of the workers started and not yet ended.
std::mutex running_lock;
std::set<int> running;

thread_local const WorkerState* this_worker = nullptr;

// How long a waiting worker sleeps between looks.
constexpr int look_ms = 5;

} // namespace

void worker_starting(WorkerState& worker) {
    std::lock_guard<std::mutex> hold(running_lock);
    running.insert(worker.serial);
}

void worker_ending(WorkerState& worker) {
    {
        std::lock_guard<std::mutex> hold(running_lock);
        running.erase(worker.serial);
    }
    worker.ended = true;
}

void bind_this_thread(WorkerState* worker) {
    this_worker = worker;
}

bool wait_for_earlier_workers(const WorkerState& worker) {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(running_lock);
            if (running.empty() || *running.begin() >= worker.serial)
                return true;
        }
        if (worker.stop_asked)
            return false;
        poll(nullptr, 0, look_ms);
    }
}

bool stop_asked() {
    return this_worker && this_worker->stop_asked.load();
}

std::mutex& finished_lock() {
    static std::mutex lock;
    return lock;
}
