// boxsim's command line:
//   boxsim [--plugin PATH] [--hdd DIR] [--dsp alsa[:NAME]|wav:FILE|raw:FILE|null]
//          [--fast] [--dsp-log FILE] [--screen terminal|window]
//          [--kill cancel|cancel-nowait] [--kill-at N] [--headless --keys SCRIPT]
#pragma once

#include "boxsim/dsp/sound_card.h"
#include "boxsim/toolkit/kill_model.h"

#include <optional>
#include <string>

namespace boxsim {

struct Options {
    std::string plugin;
    std::optional<std::string> hdd;
    dsp::Settings dsp;
    bool dsp_chosen = false;
    bool headless = false;
    // The front end a person uses: chosen, or found (a window where a
    // display opens, else the terminal).
    enum class Screen { automatic, terminal, window } screen = Screen::automatic;
    std::string keys;
    KillModel kill = KillModel::cancel;
    int kill_at = 0; // 0: no kill placed
    bool help = false;
};

// False with a one-line reason in error for anything it does not accept.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);

std::string usage();
// What --help prints after the usage line: the options, key scripts, the
// keys (from the key table) and the exit statuses.
std::string helpText();

} // namespace boxsim
