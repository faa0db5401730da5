#include "boxsim/dsp/sink_table.h"

#include "boxsim/dsp/device_path.h"
#include "boxsim/notices/notice_text.h"

#include <algorithm>

namespace boxsim::dsp {
namespace {

std::string at_once(bool fast) {
    return fast ? ", at once" : "";
}
std::string said_alsa(const std::string& name, bool) {
    return "sound plays through ALSA (" + (name.empty() ? "default" : quotedName(name)) + ")";
}
std::string said_wav(const std::string& file, bool fast) {
    return "sound goes to " + quotedName(file) + " (WAV" + at_once(fast) + ")";
}
std::string said_raw(const std::string& file, bool fast) {
    return "sound goes to " + quotedName(file) + " (the bytes as written" + at_once(fast) + ")";
}
std::string said_null(const std::string&, bool fast) {
    return std::string("sound goes nowhere") + (fast ? ", at once" : ", in real time");
}
std::string said_machine(const std::string&, bool) {
    return std::string("sound plays through this machine's ") + device_path;
}
std::unique_ptr<AudioSink> make_null(const std::string&) {
    return makeNullSink();
}

const SinkEntry sinks[] = {
    {SinkKind::alsa, "alsa", SinkTarget::name, "live sound through ALSA (NAME: its device)", "ALSA",
#ifdef BOXSIM_WITH_ALSA
     makeAlsaSink, alsaPlaybackAvailable,
#else
     nullptr, nullptr,
#endif
     said_alsa},
    {SinkKind::wav, "wav", SinkTarget::file, "a WAV file", nullptr, makeWavSink, nullptr, said_wav},
    {SinkKind::raw, "raw", SinkTarget::file, "the bytes as written, in a file", nullptr,
     makeRawSink, nullptr, said_raw},
    {SinkKind::null, "null", SinkTarget::none, "nothing, in real time unless --fast", nullptr,
     make_null, nullptr, said_null},
    {SinkKind::machine, nullptr, SinkTarget::none, nullptr, nullptr, make_null, nullptr,
     said_machine},
};

std::string form(const SinkEntry& entry) {
    switch (entry.target) {
    case SinkTarget::none: break;
    case SinkTarget::name: return entry.word + std::string("[:NAME]");
    case SinkTarget::file: return entry.word + std::string(":FILE");
    }
    return entry.word;
}

// The rows --dsp takes, in the table's order.
template <class Each> void for_each_word(Each each) {
    for (const SinkEntry& entry : sinks) {
        if (entry.word)
            each(entry);
    }
}

} // namespace

const SinkEntry& sinkEntry(SinkKind kind) {
    for (const SinkEntry& entry : sinks) {
        if (entry.kind == kind)
            return entry;
    }
    return sinkEntry(SinkKind::null);
}

bool available(const SinkEntry& entry) {
    return entry.make != nullptr;
}

bool parseSink(const std::string& value, SinkKind& kind, std::string& target, std::string& error) {
    const auto colon = value.find(':');
    const std::string word = value.substr(0, colon);
    const bool has_target = colon != std::string::npos;
    const std::string rest = has_target ? value.substr(colon + 1) : "";
    for (const SinkEntry& entry : sinks) {
        if (!entry.word || word != entry.word)
            continue;
        const bool fits = entry.target == SinkTarget::none   ? !has_target
                          : entry.target == SinkTarget::file ? !rest.empty()
                                                             : true;
        if (!fits)
            break;
        kind = entry.kind;
        target = rest;
        return true;
    }
    std::string forms;
    std::size_t left = 0;
    for_each_word([&](const SinkEntry&) { ++left; });
    for_each_word([&](const SinkEntry& entry) {
        forms += form(entry) + (--left > 1 ? ", " : left == 1 ? " or " : "");
    });
    error = "--dsp takes " + forms + ", not " + quotedName(value);
    return false;
}

std::string sinkForms() {
    std::string out;
    for_each_word([&](const SinkEntry& entry) { out += (out.empty() ? "" : "|") + form(entry); });
    return out;
}

std::string sinkHelp(const std::string& indent) {
    std::string out;
    for_each_word([&](const SinkEntry& entry) {
        const std::string column(indent.size() + 13, ' ');
        std::string line = indent + form(entry);
        line.resize(std::max(line.size() + 1, column.size()), ' ');
        out += line + entry.help + "\n";
        if (!available(entry))
            out += column + "(this boxsim was built without " + entry.needs + ")\n";
    });
    return out;
}

std::unique_ptr<AudioSink> makeSink(SinkKind kind, const std::string& target) {
    const SinkEntry& entry = sinkEntry(kind);
    return available(entry) ? entry.make(target) : makeNullSink();
}

} // namespace boxsim::dsp
