#include "boxsim/toolkit/kill_at.h"

#include "boxsim/toolkit/kill_delivery.h"

#include <mutex>
#include <optional>
#include <thread>

namespace boxsim::kill_at {
namespace {

std::mutex lock; // guards armed
std::optional<Plan> armed;

// The counting thread's own: its plan and how far it has come.
thread_local std::optional<Plan> plan;
thread_local int points = 0;

std::string prefix() {
    return "--kill-at " + std::to_string(plan->n) + ": ";
}

// Cancellation off, so that the kill waited for is not acted on inside this
// wait but at the point itself.
void hold(const char* call, bool at_return, const ThreadKill& kill) {
    int state;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &state);
    plan->say(prefix() + "waiting at " + (at_return ? "the return of " : "the start of ") + call);
    if (plan->ask_stop)
        plan->ask_stop();
    const auto until = std::chrono::steady_clock::now() + plan->patience;
    while (!kill.delivered.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!kill.delivered.load())
        plan->say(prefix() + "no kill came within " + std::to_string(plan->patience.count()) +
                  " ms; the worker goes on");
    pthread_setcancelstate(state, nullptr);
}

} // namespace

void arm(Plan p) {
    std::lock_guard<std::mutex> hold(lock);
    armed = std::move(p);
}

void disarm() {
    std::lock_guard<std::mutex> hold(lock);
    armed.reset();
}

void threadStarted() {
    std::lock_guard<std::mutex> hold(lock);
    plan.swap(armed);
    armed.reset();
    points = 0;
}

bool counting() {
    return plan.has_value();
}

void reached(const char* call, bool at_return, const ThreadKill& kill) {
    if (++points == plan->n)
        hold(call, at_return, kill);
}

void threadEnded() {
    if (plan && points < plan->n)
        plan->say(prefix() + "the worker ended after " + std::to_string(points) +
                  " cancellation points");
    plan.reset();
}

} // namespace boxsim::kill_at
