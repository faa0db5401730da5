// Key scripts for the headless front end: words separated by blanks or new
// lines. The remote control's keys are pressed by their words in the key
// table (up, pgdown, ok, red, ...); the script's own words (wait, idle,
// dump, shot, hostclose, launch) are the rows of scriptWords(), which the
// parser and --help both follow.
#pragma once

#include "boxsim/toolkit/remote_key.h"

#include <chrono>
#include <cstddef>
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
using ScriptAction =
    std::variant<RemoteKey, WaitStep, IdleStep, DumpStep, HostCloseStep, LaunchStep, ShotStep>;

struct ScriptStep {
    ScriptAction action;
    int line; // of its word, for what is said of it
};

struct ScriptWord {
    const char* word;
    const char* argument; // the word that must follow it ("MS"), or null
    std::string help;
    // The step, from the word that followed (null when none did); false
    // with the reason in error.
    bool (*make)(const std::string* argument, ScriptAction& action, std::string& error);
};
const std::vector<ScriptWord>& scriptWords();

// Bounds on what is read, so that no file (/dev/zero, a word of megabytes)
// can make boxsim wait or grow without end.
inline constexpr std::size_t max_script_bytes = std::size_t{1} << 20;
inline constexpr std::size_t max_line_bytes = 4096;
// "idle" waits for the playback threads to end for this long at most: a
// sink that has stopped taking sound would keep one alive for ever.
inline constexpr std::chrono::minutes idle_limit{10};

// Parses text; on a word it does not know or a value it cannot take,
// returns false with the reason in error: "line N: ..." naming the word.
bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error);
// Reads the script at path and parses it; false with one line in error
// that names the script (a file it cannot read, a folder, a script over
// the bounds, or what parseKeyScript says).
bool readKeyScript(const std::string& path, std::vector<ScriptStep>& steps, std::string& error);
// What is said of a script at path: key script "PATH": what.
std::string aboutScript(const std::string& path, const std::string& what);

// The key scripts' part of --help: every word, with its argument and help.
std::string keyScriptHelp();

} // namespace boxsim
