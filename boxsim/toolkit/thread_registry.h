// The host's view of the threads that plug-ins started through eThread: how
// many still run, waiting for them, stopping them all, and what a plug-in
// did with them that the box does not promise to survive. The loader uses
// it so that it never unloads a plug-in whose thread is still running.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class eThreadPrivate;

namespace boxsim {

// Threads started and not yet past thread_finished().
std::size_t liveThreads();
// Waits until no thread runs; false if timeout passed first.
bool waitForNoThreads(std::chrono::milliseconds timeout);
// The host's own kill of every running thread, as on shutdown; a thread
// already killed is not killed again. Does not wait.
void stopAllThreads();

// What a plug-in did with its threads that the box's toolkit does not
// promise to survive (a second kill of one thread, kill(false), a thread
// destroyed before its end), one line each, oldest first.
void noteThreadMisuse(const std::string& what);
std::vector<std::string> threadMisuse();
void clearThreadMisuse();

// Kept by eThread, by its private part, which outlives the object (a
// thread may free its own object on its way out).
void registerThread(const std::shared_ptr<eThreadPrivate>& thread);
void unregisterThread(const eThreadPrivate* thread);
// The host's own kill of one thread (not the plug-in's kill(true)).
void hostKill(eThreadPrivate& thread);

} // namespace boxsim
