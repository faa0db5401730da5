// The host's view of the threads that plug-ins started through eThread: how
// many still run, waiting for them, stopping them all, and what a plug-in
// did with them that the box does not promise to survive. The loader uses
// it so that it never unloads a plug-in whose thread is still running.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

class eThread;

namespace boxsim {

// Threads started and not yet past thread_finished().
std::size_t liveThreads();
// Waits until no thread runs; false if timeout passed first.
bool waitForNoThreads(std::chrono::milliseconds timeout);
// The host's own kill of every running thread, as on shutdown; a thread
// already killed is not killed again. Does not wait. GUI thread only.
void stopAllThreads();
// The host's own kill of one thread (not the plug-in's kill(true)).
void hostKill(eThread& thread);

// What a plug-in did with its threads that the box's toolkit does not
// promise to survive (a second kill of one thread, kill(false), a thread
// destroyed before its end), one line each, oldest first.
void noteThreadMisuse(const std::string& what);
std::vector<std::string> threadMisuse();
void clearThreadMisuse();

// Kept by eThread.
void registerThread(eThread* thread);
void unregisterThread(eThread* thread);

} // namespace boxsim
