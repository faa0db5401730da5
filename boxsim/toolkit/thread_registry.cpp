#include "boxsim/toolkit/thread_registry.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct Registry {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::shared_ptr<eThreadPrivate>> running;
    std::vector<std::string> misuse;
};

Registry& registry() {
    // Never destroyed: a worker may end while the process exits.
    static Registry* r = new Registry;
    return *r;
}

} // namespace

void boxsim::registerThread(const std::shared_ptr<eThreadPrivate>& thread) {
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.running.push_back(thread);
}

void boxsim::unregisterThread(const eThreadPrivate* thread) {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> hold(r.lock);
        r.running.erase(std::remove_if(r.running.begin(), r.running.end(),
                                       [thread](const auto& t) { return t.get() == thread; }),
                        r.running.end());
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
    std::vector<std::shared_ptr<eThreadPrivate>> running;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> hold(r.lock);
        running = r.running;
    }
    for (const auto& t : running)
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
