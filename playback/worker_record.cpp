#include "playback/worker_record.h"

#include "playback/exec_thread.h"
#include "playback/stop_request.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// After the second's pause that follows a kill, how long a new worker waits
// at most for the one before it to end. It has always ended by then on the
// box; a host that has not ended it after all that gets no second worker.
constexpr auto late_end_wait = std::chrono::seconds(2);

// Serial numbers grow, and a worker has ended once the highest serial that
// has reached worker_ended() is at least its own.
std::atomic<int> ended_serial{0};

struct WorkerRecord {
    ExecThread* worker = nullptr;

    bool alive() const { return worker && ended_serial.load() < worker->status; }

    void free() {
        ExecThread* ended = worker;
        worker = nullptr;
        // The body has ended; the host's own wrapper may still be on the
        // thread, so it is waited for before the object goes.
        ended->kill(false);
        ExecThread* current = ended;
        execThread.compare_exchange_strong(current, nullptr);
        delete ended;
    }

    // Unloading: the host has stopped the plug-in's threads by now, but the
    // last worker's object is still ours to free.
    ~WorkerRecord() {
        if (!worker)
            return;
        if (alive()) {
            request_stop();
            worker->kill(true);
        }
        free();
    }
};
WorkerRecord record;

} // namespace

bool worker_alive() {
    return record.alive();
}

void stop_worker() {
    if (!record.worker)
        return;
    if (record.alive()) {
        request_stop();
        record.worker->kill(true);
    }
    if (!record.alive())
        record.free();
}

bool adopt_worker(ExecThread* next) {
    if (record.worker && record.worker != next) {
        stop_worker();
        const auto deadline = std::chrono::steady_clock::now() + late_end_wait;
        while (record.alive() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (record.alive())
            return false;
        if (record.worker)
            record.free();
    }
    record.worker = next;
    clear_stop_request();
    return true;
}

void worker_ended(int serial) {
    int seen = ended_serial.load();
    while (seen < serial && !ended_serial.compare_exchange_weak(seen, serial)) {
    }
}
