#include "playback/worker_state.h"

#include <new>
#include <poll.h>
#include <set>

namespace {

// Built in static storage and never destroyed: a worker the host has not
// ended may still end while the process exits. Kept off the heap, since
// once the plug-in is unloaded nothing would point at it there.
template <typename T> T& lasting() {
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* object = new (storage) T;
    return *object;
}

// Serials of the workers started and not yet ended.
struct Running {
    std::mutex lock;
    std::set<int> serials;
};

Running& running() {
    return lasting<Running>();
}

thread_local const WorkerState* this_worker = nullptr;

// How long a waiting worker sleeps between looks.
constexpr int look_ms = 5;

} // namespace

void worker_starting(WorkerState& worker) {
    std::lock_guard<std::mutex> hold(running().lock);
    running().serials.insert(worker.serial);
}

void worker_ending(WorkerState& worker) {
    {
        std::lock_guard<std::mutex> hold(running().lock);
        running().serials.erase(worker.serial);
    }
    worker.ended = true;
}

void bind_this_thread(WorkerState* worker) {
    this_worker = worker;
}

bool wait_for_earlier_workers(const WorkerState& worker) {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(running().lock);
            const std::set<int>& serials = running().serials;
            if (serials.empty() || *serials.begin() >= worker.serial)
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
    return lasting<std::mutex>(); // as long as any worker may emit
}
