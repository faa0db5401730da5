// Key scripts for the headless front end: words separated by blanks or new
// lines. The remote control's keys are pressed by their words in the key
// table (up, pgdown, ok, red, ...); "wait MS" waits MS milliseconds (up to
// 2147483647), "idle" waits until no worker thread is alive,
// "dump" prints the screen, "shot FILE" writes it as a PNG, "hostclose" has
// the host close the plug-in's window with result 0 (as on standby), and
// "launch" starts the plug-in again once it has returned.
#pragma once

#include "boxsim/toolkit/remote_key.h"

#include <string>
#include <variant>
#include <vector>

namespace boxsim {

struct WaitStep {
    int milliseconds;
};
struct IdleStep {};
struct DumpStep {};
struct HostCloseStep {};
struct LaunchStep {};
struct ShotStep {
    std::string path;
};
using ScriptStep =
    std::variant<RemoteKey, WaitStep, IdleStep, DumpStep, HostCloseStep, LaunchStep, ShotStep>;

// Parses text; on a word it does not know or a value it cannot take,
// returns false with the reason in error: "line N: ..." naming the word.
bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error);

} // namespace boxsim
