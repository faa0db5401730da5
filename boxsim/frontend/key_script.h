// Key scripts for the headless front end: words separated by blanks or new
// lines. up down left right pgup pgdown ok exit red green yellow blue press
// keys; "wait MS" waits, "idle" waits until no worker thread is alive, and
// "dump" prints the screen.
#pragma once

#include "host/ewidget.h"

#include <string>
#include <variant>
#include <vector>

namespace boxsim {

struct WaitStep {
    int milliseconds;
};
struct IdleStep {};
struct DumpStep {};
using ScriptStep = std::variant<eRemoteKey, WaitStep, IdleStep, DumpStep>;

// Parses text; on a word it does not know, returns false with the reason in error.
bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error);

} // namespace boxsim
