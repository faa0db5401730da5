// Where the stand-in /dev/dsp plays, decided once for the session from what
// the user asked for and what this machine has: what --dsp names; without
// it the machine's own /dev/dsp (the card then stands aside), else ALSA's
// default device if it opens, else nothing, in real time.
#pragma once

#include "boxsim/dsp/sound_card.h"

#include <string>

namespace boxsim::dsp {

struct MachineSound {
    bool has_dsp = false;    // a /dev/dsp of its own
    bool alsa_opens = false; // ALSA's default device opens for playback
    bool alsa_built = true;  // this boxsim can play through ALSA at all
};

MachineSound probeMachineSound();

struct SinkChoice {
    Settings settings;
    // What a person is told of it; warn when it deserves more than the
    // status line (nothing will sound, and nobody asked for that).
    std::string said;
    bool warn = false;
    bool lost = false; // what was asked for cannot sound: reported as lost sound
};

// asked: the card's settings as the command line gave them; chosen:
// whether it named a sink.
SinkChoice chooseSink(const Settings& asked, bool chosen, const MachineSound& machine);

} // namespace boxsim::dsp
