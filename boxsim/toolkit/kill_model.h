// How the host's eThread::kill(true) behaves. The box does not say when a
// kill returns, so boxsim offers both answers and the plug-in must hold
// under each. Either way the killed thread is cancelled as POSIX deferred
// cancellation does (kill_delivery.h): cut short at its next cancellation
// point, its frames unwound, thread_finished() run as its cleanup.
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

// "cancel" or "cancel-nowait", as the command line and the environment of
// tests name them; nothing for any other name.
std::optional<KillModel> killModelNamed(const std::string& name);
// The name of a model, as killModelNamed takes it.
const char* killModelName(KillModel model);

} // namespace boxsim
