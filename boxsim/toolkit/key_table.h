// The remote control as boxsim offers it: one row a key, and everything
// that says what a key is reads it. The terminal and window front ends find
// the row of a keyboard key here, key scripts the row of a word, --help and
// the strip below the screen print the rows (each screen its own keys), and
// the toolkit and painters take a coloured key's name and mark colour from
// it.
#pragma once

#include "boxsim/toolkit/remote_key.h"

#include <string>
#include <vector>

namespace boxsim {

// A key of the keyboard, one name for every front end: a letter is itself,
// the other keys are named here. Each front end turns its library's key
// codes into these, and nothing more.
enum class Keyboard : int {
    none = 0,
    up = 0x100,
    down,
    left,
    right,
    page_up,
    page_down,
    enter,
    escape,
    backspace,
    f1,
    f2,
    f3,
    f4,
    f10,
};
constexpr Keyboard letter(char c) {
    return static_cast<Keyboard>(c);
}
// As the strip and --help write it: "Up", "PgDn", "Esc", "F10", "r".
std::string keyboardName(Keyboard key);

enum class MarkColour { none, red, green, yellow, blue };

// What pressing the key asks of the host: a remote control's key for the
// plug-in's window, the box's standby (the host closes the window), or
// quitting the host (on its own screen).
enum class KeyAction { remote, standby, quit };

// Which screen takes keys: the plug-in's window, or the host's own screen
// between runs, where a key starts the plug-in again, leaves, or does
// nothing.
enum class KeyScreen { window, host };
enum class HostKey { none, start, leave };

struct KeyBinding {
    KeyAction action;
    RemoteKey remote; // when action is remote
    Keyboard keys[2]; // the second may be none
    // Its word in key scripts, and for a coloured key the name plug-ins give
    // shortcuts and key marks; null for the host's own keys.
    const char* word;
    // What it does in the plug-in's window, in a word or two, for the strip
    // and --help; null where it does nothing there.
    const char* help;
    MarkColour colour;
    // On the window's strip below the screen; the rest are listed by
    // --help only.
    bool on_strip;
    HostKey host;
};

const std::vector<KeyBinding>& keyTable();

// The row a keyboard key presses, or null.
const KeyBinding* bindingFor(Keyboard key);
// The row of a remote control's key.
const KeyBinding& bindingFor(RemoteKey key);
// The row of a key script word, or null.
const KeyBinding* bindingForWord(const std::string& word);
// A shortcut or key mark's colour by its name ("red"), none for any other.
MarkColour markColour(const std::string& name);

// "F1/r": the keyboard keys of a row.
std::string keyboardKeys(const KeyBinding& binding);
// What a key does on the host's screen, as the strip and --help say it:
// "start", "quit", or null for nothing.
const char* hostHelp(HostKey key);
// "Esc/Bksp/q": every keyboard key that does this on the host's screen.
std::string hostKeys(HostKey key);
// The strip's entries in order for the screen shown, e.g. "PgUp/PgDn
// page", "F1/r red" in the window, "Esc/Bksp/q quit" on the host's screen:
// keys that do the same in one entry.
std::vector<std::string> stripEntries(KeyScreen screen);

} // namespace boxsim
