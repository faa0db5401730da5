// How the host's eThread::kill(true) behaves. The box does not say when a
// kill returns, so boxsim offers both answers and the plug-in must hold
// under each. Either way the killed thread is cancelled as POSIX deferred
// cancellation does: cut short at its next cancellation point (open, read,
// write, close, poll, nanosleep, pthread_testcancel and the rest), its
// frames unwound, thread_finished() run as its cleanup.
#pragma once

#include <optional>
#include <string>

namespace boxsim {

enum class KillModel {
    cancel,        // kill(true) returns once the thread has ended, thread_finished() included
    cancel_nowait, // kill(true) returns at once; the thread ends in its own time
};

// For the kills that follow. The default is cancel.
void setKillModel(KillModel model);
KillModel killModel();

// False in the one build where a kill cannot unwind its thread (under
// ThreadSanitizer): the killed thread's blocking calls fail with ECANCELED
// instead, and it ends through its own paths.
bool killCutsShort();

// "cancel" or "cancel-nowait", as the command line and the environment of
// tests name them; nothing for any other name.
std::optional<KillModel> killModelNamed(const std::string& name);

} // namespace boxsim
