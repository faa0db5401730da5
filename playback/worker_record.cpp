#include "playback/worker_record.h"

#include "playback/exec_thread.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

// After the host's kill, the second the box gives a worker to end.
constexpr unsigned kill_pause_s = 1;

struct Record {
    // Started and not yet freed, oldest first.
    std::vector<ExecThread*> workers;

    bool anyAlive() const {
        return std::any_of(workers.begin(), workers.end(),
                           [](const ExecThread* w) { return !w->state.ended; });
    }

    void stopAll() {
        for (ExecThread* w : workers) {
            if (w->state.ended || w->state.killed)
                continue; // a repeated Stop finds it stopping already
            w->state.stop_asked = true;
            w->state.killed = true;
            w->kill(true);
        }
        freeEnded();
    }

    void freeEnded() {
        for (auto it = workers.begin(); it != workers.end();) {
            ExecThread* w = *it;
            if (!w->state.ended) {
                ++it;
                continue;
            }
            {
                // A later worker's finished may be reading the handle.
                std::lock_guard<std::mutex> hold(finished_lock());
                ExecThread* current = w;
                execThread.compare_exchange_strong(current, nullptr);
            }
            // The host's destructor waits for its own wrapper to leave the
            // thread.
            delete w;
            it = workers.erase(it);
        }
    }

    // Unloading: the host has ended the plug-in's threads by now; a worker
    // it has not is left as it is rather than freed under its thread.
    ~Record() { freeEnded(); }
};
Record record;

} // namespace

void play_in_new_worker(const eString& path,
                        const std::function<SigC::Connection(ExecThread&)>& connect) {
    if (execThread.load() || record.anyAlive())
        stop_workers_and_pause();
    record.freeEnded();
    auto* worker = new ExecThread(path);
    record.workers.push_back(worker);
    execThread = worker;
    worker->state.finished_link = connect(*worker);
    worker_starting(worker->state);
    worker->start();
}

void stop_workers() {
    record.stopAll();
}

void stop_workers_and_pause() {
    record.stopAll();
    sleep(kill_pause_s);
    record.freeEnded();
}

bool worker_alive() {
    return record.anyAlive();
}

void worker_finished(int status) {
    ExecThread* current = execThread.load();
    if (current && current->status == status)
        execThread.compare_exchange_strong(current, nullptr);
}

void forget_worker_handle() {
    execThread = nullptr;
}

void forget_window_links() {
    std::lock_guard<std::mutex> hold(finished_lock());
    for (ExecThread* w : record.workers)
        w->state.finished_link.disconnect();
}
