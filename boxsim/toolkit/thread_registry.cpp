#include "boxsim/toolkit/thread_registry.h"

#include "host/ethread.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct Registry {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<eThread*> running;
    std::vector<std::string> misuse;
};

Registry& registry() {
    // Never destroyed: a worker may end while the process exits.
    static Registry* r = new Registry;
    return *r;
}

} // namespace

void boxsim::registerThread(eThread* thread) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.running.push_back(thread);
}

void boxsim::unregisterThread(eThread* thread) {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> hold(r.lock);
        r.running.erase(std::remove(r.running.begin(), r.running.end(), thread), r.running.end());
    }
    r.changed.notify_all();
}

std::size_t boxsim::liveThreads() {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.running.size();
}

bool boxsim::waitForNoThreads(std::chrono::milliseconds timeout) {
    Registry& r = registry();
    std::unique_lock<std::mutex> hold(r.lock);
    return r.changed.wait_for(hold, timeout, [&] { return r.running.empty(); });
}

void boxsim::stopAllThreads() {
    std::vector<eThread*> running;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> hold(r.lock);
        running = r.running;
    }
    // Objects are freed only on the GUI thread, which is this one, so each
    // pointer stays valid while we stop it.
    for (eThread* t : running)
        boxsim::hostKill(*t);
}

void boxsim::noteThreadMisuse(const std::string& what) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.misuse.push_back(what);
}

std::vector<std::string> boxsim::threadMisuse() {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.misuse;
}

void boxsim::clearThreadMisuse() {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.misuse.clear();
}
