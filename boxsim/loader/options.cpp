#include "boxsim/loader/options.h"

#include "boxsim/dsp/sink_table.h"
#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/frontend/script/key_script.h"
#include "boxsim/notices/notice_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace boxsim {

std::string usage() {
    return "usage: boxsim [--plugin PATH] [--hdd DIR] [--dsp " + dsp::sinkForms() +
           "]\n"
           "              [--fast] [--dsp-log FILE] [--screen terminal|window]\n"
           "              [--kill cancel|cancel-nowait] [--kill-at N] [--headless --keys SCRIPT]\n";
}

std::string helpText() {
    std::string out =
        "The box's host: loads the plug-in and runs it, again and again, until you quit.\n"
        "\n"
        "  --plugin PATH   the plug-in to load (the built tivra.so)\n"
        "  --hdd DIR       show DIR at /hdd, in a private mount namespace\n"
        "  --dsp SINK      where /dev/dsp plays, one of:\n" +
        dsp::sinkHelp("                    ") +
        "                  without it this machine's own /dev/dsp, else ALSA's\n"
        "                  default device if it opens, else nothing\n"
        "  --fast          the device takes data at once instead of in real time\n"
        "  --dsp-log FILE  append one line per device call to FILE\n"
        "  --screen terminal|window\n"
        "                  where the box's screen is shown: in this terminal, or in a\n"
        "                  window on the desktop; without it a window when a display\n"
        "                  opens (DISPLAY or WAYLAND_DISPLAY), else the terminal\n"
        "  --kill cancel|cancel-nowait\n"
        "                  how the host's kill of a plug-in's thread behaves: both\n"
        "                  cancel it at its next blocking call, unwinding it, and run\n"
        "                  its end hook; cancel (the default) returns once it has\n"
        "                  ended, cancel-nowait returns at once\n"
        "  --kill-at N     reproduce a kill at one exact place: the first worker the\n"
        "                  plug-in starts waits at its N-th cancellation point (a\n"
        "                  call's start and its return count apart), the host presses\n"
        "                  Stop, and the plug-in's kill lands there; said on stderr\n"
        "  --headless --keys SCRIPT\n"
        "                  read keys from SCRIPT instead of the terminal\n"
        "\n"
        "A key script is words separated by blanks or new lines:\n";
    out += keyScriptHelp() +
           "When the script ends the host quits: it closes a window still open with\n"
           "result 0, stops what still plays, and unloads the plug-in.\n"
           "\n"
           "Keys: what each does in the plug-in's window, on the host's own screen\n"
           "between runs, and its word in key scripts. Keys pressed while the plug-in\n"
           "is away from its window (the pause after leaving it) are dropped.\n";
    out += keysHelp();
    out += "Ctrl-C quits at any time, in the window too.\n"
           "\n"
           "Exit status: the plug-in's last result; 128 + the signal's number after\n"
           "Ctrl-C or one of these signals:\n ";
    for (const ShutdownSignal& signal : shutdown_signals)
        out += " " + std::string(signal.name) + " " + std::to_string(128 + signal.number);
    out += "\n"
           "each once the host has shut down in order (window closed, playback stopped,\n"
           "capture and device log closed, plug-in unloaded); 2 for a wrong option or\n"
           "key script, 1 for a plug-in that does not load or for sound or device\n"
           "calls that did not reach the chosen sink or log (each said on stderr).\n";
    return out;
}

namespace {

// What an option's value names, for the error when it is empty.
const char* named_by(const std::string& option) {
    return option == "--hdd"                                                     ? "a folder"
           : option == "--plugin" || option == "--dsp-log" || option == "--keys" ? "a file"
                                                                                 : nullptr;
}

} // namespace

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            // dlopen("") would be boxsim itself; open("") fails with a word
            // that names nothing.
            if (out.empty() && named_by(arg)) {
                error = arg + " needs " + named_by(arg) + ", not an empty name";
                return false;
            }
            return true;
        };
        std::string v;
        if (arg == "--plugin") {
            if (!value(options.plugin))
                return false;
        } else if (arg == "--hdd") {
            if (!value(v))
                return false;
            options.hdd = v;
        } else if (arg == "--dsp") {
            if (!value(v) || !dsp::parseSink(v, options.dsp.sink, options.dsp.target, error))
                return false;
            options.dsp_chosen = true;
        } else if (arg == "--fast") {
            options.dsp.fast = true;
        } else if (arg == "--dsp-log") {
            if (!value(options.dsp.log_path))
                return false;
        } else if (arg == "--screen") {
            if (!value(v))
                return false;
            if (v == "terminal") {
                options.screen = Options::Screen::terminal;
            } else if (v == "window") {
                options.screen = Options::Screen::window;
            } else {
                error = "--screen takes terminal or window, not " + quotedName(v);
                return false;
            }
        } else if (arg == "--kill") {
            if (!value(v))
                return false;
            const auto model = killModelNamed(v);
            if (!model) {
                error = "--kill takes cancel or cancel-nowait, not " + quotedName(v);
                return false;
            }
            options.kill = *model;
        } else if (arg == "--kill-at") {
            if (!value(v))
                return false;
            char* end = nullptr;
            errno = 0;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || errno || n < 1 || n > 1000000000) {
                error = "--kill-at takes a point's number, 1 or more, not " + quotedName(v);
                return false;
            }
            options.kill_at = static_cast<int>(n);
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--keys") {
            if (!value(options.keys))
                return false;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            error = "unknown option " + quotedName(arg);
            return false;
        }
    }
    if (options.headless && options.keys.empty()) {
        error = "--headless needs --keys SCRIPT";
        return false;
    }
    if (!options.headless && !options.keys.empty()) {
        error = "--keys is for --headless";
        return false;
    }
    return true;
}

} // namespace boxsim
