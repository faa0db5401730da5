// A kill placed at one exact cancellation point of a worker (boxsim
// --kill-at N), so that a fault that a kill somewhere causes can be
// reproduced where it happens.
//
// Once armed, the next thread the toolkit starts counts the cancellation
// points it enters with cancellation enabled, a call's start and its return
// apart (the calls a call makes inside it, such as the stand-in device's own
// waits, are part of that call). At the N-th it says where it is, asks for a
// stop (boxsim presses Stop for the user) and holds there, cancellation off,
// until the host's kill has been delivered to it; the point then acts on
// that kill as it acts on any. A thread that ends before its N-th point says
// how many it had.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace boxsim {

struct ThreadKill;

namespace kill_at {

struct Plan {
    int n = 0; // 1 for the first point
    // One line, such as "--kill-at 3: waiting at the start of read".
    std::function<void(const std::string&)> say;
    // Called from the held thread once it holds: have the plug-in stop it.
    std::function<void()> ask_stop;
    // A hold that no kill reaches within this goes on, and says so.
    std::chrono::milliseconds patience{5000};
};

// For the next thread the toolkit starts.
void arm(Plan plan);
void disarm();

// From the toolkit's threads.
void threadStarted();
void reached(const char* call, bool at_return, const ThreadKill& kill);
bool counting();
void threadEnded();

} // namespace kill_at
} // namespace boxsim
