#include "boxsim/dsp/sink_choice.h"

#include "boxsim/dsp/audio_sink.h"

#include <unistd.h>

namespace boxsim::dsp {

MachineSound probeMachineSound() {
    MachineSound machine;
    machine.has_dsp = access("/dev/dsp", F_OK) == 0;
    machine.alsa_opens = !machine.has_dsp && alsaPlaybackAvailable("");
    machine.alsa_built = alsaBuiltIn();
    return machine;
}

SinkChoice chooseSink(const Settings& asked, bool chosen, const MachineSound& machine) {
    SinkChoice choice{asked, "", false};
    Settings& s = choice.settings;
    if (!chosen) {
        s.target.clear();
        s.sink = machine.has_dsp      ? SinkKind::machine
                 : machine.alsa_opens ? SinkKind::alsa
                                      : SinkKind::null;
    }
    if (s.sink == SinkKind::alsa && !machine.alsa_built) {
        s.sink = SinkKind::null;
        s.target.clear();
        choice.said = "this boxsim was built without ALSA; playing into nothing in real time";
        choice.warn = choice.lost = true;
        return choice;
    }
    const std::string pace = s.fast ? ", at once" : "";
    switch (s.sink) {
    case SinkKind::wav: choice.said = "sound goes to " + s.target + " (WAV" + pace + ")"; break;
    case SinkKind::raw:
        choice.said = "sound goes to " + s.target + " (the bytes as written" + pace + ")";
        break;
    case SinkKind::alsa:
        choice.said =
            "sound plays through ALSA (" + (s.target.empty() ? "default" : s.target) + ")";
        break;
    case SinkKind::machine:
        choice.said = "sound plays through this machine's /dev/dsp";
        // The card stands aside: nothing of its own applies.
        if (s.fast || !s.log_path.empty()) {
            choice.said += "; --fast and --dsp-log need one of boxsim's sinks (--dsp)";
            choice.warn = true;
        }
        break;
    case SinkKind::null:
        if (chosen) {
            choice.said =
                "sound goes nowhere" + std::string(s.fast ? ", at once" : ", in real time");
        } else {
            choice.said = "this machine has no /dev/dsp and no ALSA device that opens; playing "
                          "into nothing in real time (choose a sink with --dsp)";
            choice.warn = true;
        }
        break;
    }
    return choice;
}

} // namespace boxsim::dsp
