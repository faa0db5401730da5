#include "boxsim/loader/options.h"

#include <cstring>

namespace boxsim {

const char* const usage =
    "usage: boxsim [--plugin PATH] [--hdd DIR] [--dsp alsa[:NAME]|wav:FILE|raw:FILE|null]\n"
    "              [--fast] [--dsp-log FILE] [--headless --keys SCRIPT]\n";

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
