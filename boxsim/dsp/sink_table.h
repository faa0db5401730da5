// Every sink the stand-in device can play into, in one table: its word for
// --dsp, what follows the word, what --help says of it, how it is made and
// what a person is told of it in use. A sink this build lacks keeps its row,
// unavailable, so that asking for it is answered rather than refused.
#pragma once

#include "boxsim/dsp/audio_sink.h"

#include <memory>
#include <string>

namespace boxsim::dsp {

enum class SinkKind {
    null,    // nothing, at real-time pace
    wav,     // a WAV file
    raw,     // the bytes as written
    alsa,    // live sound through ALSA
    machine, // this machine's own /dev/dsp: the card stands aside
};

// What follows a sink's word after a colon: nothing, a name it may be
// given, or the file it writes (required).
enum class SinkTarget { none, name, file };

struct SinkEntry {
    SinkKind kind;
    const char* word; // --dsp's; null for one taken only when --dsp is not given
    SinkTarget target;
    const char* help;
    const char* needs; // what a build may lack for it ("ALSA"), or null
    // Null where this build lacks what it needs.
    std::unique_ptr<AudioSink> (*make)(const std::string& target);
    // Whether it would sound on this machine now; null where it always would.
    bool (*opens)(const std::string& target);
    // What a person is told of it in use.
    std::string (*said)(const std::string& target, bool fast);
};

const SinkEntry& sinkEntry(SinkKind kind);
bool available(const SinkEntry& entry);

// --dsp's value: a word of the table and its target. False with a one-line
// reason in error for anything else.
bool parseSink(const std::string& value, SinkKind& kind, std::string& target, std::string& error);
// Every form --dsp takes: "alsa[:NAME]|wav:FILE|raw:FILE|null".
std::string sinkForms();
// --help's lines on them, each indented by indent.
std::string sinkHelp(const std::string& indent);
// The sink of this kind; nothing where this build lacks it.
std::unique_ptr<AudioSink> makeSink(SinkKind kind, const std::string& target);

} // namespace boxsim::dsp
