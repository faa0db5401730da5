#include "boxsim/loader/options.h"

#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/script/key_script.h"

#include <algorithm>
#include <cstring>

namespace boxsim {

const char* const usage =
    "usage: boxsim [--plugin PATH] [--hdd DIR] [--dsp alsa[:NAME]|wav:FILE|raw:FILE|null]\n"
    "              [--fast] [--dsp-log FILE] [--screen terminal|window]\n"
    "              [--kill cancel|cancel-nowait] [--headless --keys SCRIPT]\n";

std::string helpText() {
    std::string out =
        "The box's host: loads the plug-in and runs it, again and again, until you quit.\n"
        "\n"
        "  --plugin PATH   the plug-in to load (the built tivra.so)\n"
        "  --hdd DIR       show DIR at /hdd, in a private mount namespace\n"
        "  --dsp SINK      where /dev/dsp plays: alsa[:NAME], wav:FILE, raw:FILE or null\n"
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
           "Exit status: the plug-in's last result; 130 after Ctrl-C or SIGINT, 143\n"
           "after SIGTERM, 129 after SIGHUP, each once the host has shut down in order\n"
           "(window closed, playback stopped, device closed, plug-in unloaded); 2 for\n"
           "a wrong option or key script, 1 for a plug-in that does not load or for\n"
           "sound that did not reach the chosen sink (each said on stderr).\n";
    return out;
}

namespace {

bool parse_sink(const std::string& value, dsp::Settings& settings, std::string& error) {
    const auto colon = value.find(':');
    const std::string kind = value.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : value.substr(colon + 1);
    if (kind == "alsa") {
        settings.sink = dsp::SinkKind::alsa;
        settings.target = rest;
        return true;
    }
    if (kind == "null" && colon == std::string::npos) {
        settings.sink = dsp::SinkKind::null;
        return true;
    }
    if ((kind == "wav" || kind == "raw") && !rest.empty()) {
        settings.sink = kind == "wav" ? dsp::SinkKind::wav : dsp::SinkKind::raw;
        settings.target = rest;
        return true;
    }
    error = "--dsp takes alsa[:NAME], wav:FILE, raw:FILE or null, not \"" + value + "\"";
    return false;
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
            if (!value(v) || !parse_sink(v, options.dsp, error))
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
                error = "--screen takes terminal or window, not \"" + v + "\"";
                return false;
            }
        } else if (arg == "--kill") {
            if (!value(v))
                return false;
            const auto model = killModelNamed(v);
            if (!model) {
                error = "--kill takes cancel or cancel-nowait, not \"" + v + "\"";
                return false;
            }
            options.kill = *model;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--keys") {
            if (!value(options.keys))
                return false;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            error = "unknown option \"" + arg + "\"";
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
