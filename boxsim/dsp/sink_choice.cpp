#include "boxsim/dsp/sink_choice.h"

#include "boxsim/dsp/device_path.h"

namespace boxsim::dsp {

MachineSound probeMachineSound() {
    const SinkEntry& alsa = sinkEntry(SinkKind::alsa);
    MachineSound machine;
    machine.has_dsp = machineHasDevice();
    machine.alsa_opens = !machine.has_dsp && alsa.opens && alsa.opens("");
    machine.alsa_built = available(alsa);
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
        choice.said = "no " + std::string(sinkEntry(SinkKind::alsa).needs) +
                      " in this build: playing into nothing (--dsp to choose)";
        choice.warn = choice.lost = true;
        return choice;
    }
    choice.said = sinkEntry(s.sink).said(s.target, s.fast);
    if (s.sink == SinkKind::machine && (s.fast || !s.log_path.empty())) {
        // The card stands aside: nothing of its own applies.
        choice.said += " (--fast, --dsp-log need --dsp)";
        choice.warn = true;
    } else if (s.sink == SinkKind::null && !chosen) {
        choice.said = "no sound device: playing into nothing (--dsp to choose)";
        choice.warn = true;
    }
    return choice;
}

} // namespace boxsim::dsp
