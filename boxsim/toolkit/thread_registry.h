// The host's view of the threads that plug-ins started through eThread: how
// many still run, waiting for them, and stopping them all. The loader uses it
// so that it never unloads a plug-in whose thread is still running.
#pragma once

#include <chrono>
#include <cstddef>

class eThread;

namespace boxsim {

// Threads started and not yet past thread_finished().
std::size_t liveThreads();
// Waits until no thread runs; false if timeout passed first.
bool waitForNoThreads(std::chrono::milliseconds timeout);
// kill(true) on every running thread. GUI thread only.
void stopAllThreads();

// Kept by eThread.
void registerThread(eThread* thread);
void unregisterThread(eThread* thread);

} // namespace boxsim
