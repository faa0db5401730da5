// The stand-in for the box's OSS device "/dev/dsp". A host process that
// links the C library interposition (boxsim/interpose/libc_interpose.h)
// serves that path itself: the plug-in's calls on it reach this card, every
// other path and descriptor goes to the C library as usual.
//
// Each open gets the write end of a real pipe, so writes block in the kernel
// while the card's buffer (the pipe, about a third of a second of sound) is
// full, and a signal interrupts them like any blocking device write. A thread
// per open drains the pipe into the session's sink, at the configured rate or
// at once in fast mode. Like the box's driver the card takes one open at a
// time, for writing.
#pragma once

#include "boxsim/dsp/sink_table.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace boxsim::dsp {

struct Settings {
    SinkKind sink = SinkKind::null;
    std::string target;       // the file for wav and raw, the ALSA device name for alsa
    bool fast = false;        // drain at once instead of in real time
    bool refuse = false;      // every open fails with EBUSY, as a card in use would
    bool stall = false;       // takes no data while open: writes block once the buffer is full
    int open_delay_ms = 0;    // each open takes this long; a signal or a kill cuts it short
    int close_delay_ms = 0;   // each close takes this long, and nothing cuts it short
    bool half_writes = false; // each write takes half of what it is given, as one cut short does
    std::string log_path;     // appends one line per device call
    // Keeps every call in memory for deviceCalls(). For tests: the record
    // grows with every write.
    bool record = true;
};

// Applies to the opens that follow, and makes the session's sink now, so
// that a sink that cannot be opened is reported before anything plays.
// Devices still open keep the old sink.
void configure(const Settings& settings);

// The device calls recorded so far, in order, one line each: "open /dev/dsp",
// "ioctl SNDCTL_DSP_SETFMT 32", "write 16384", "close".
std::vector<std::string> deviceCalls();
void clearDeviceCalls();

// What a sink that has stopped taking sound is given: an open that follows
// a close waits this long for the last sound to play out, and the end of
// the session as long for all of it. Counted in the card's own waits, not
// by the clock, so that a suspended process (Ctrl-Z) does not use it up.
inline constexpr std::chrono::milliseconds sink_grace{2000};

// Devices opened and not yet closed.
std::size_t openDevices();
// Waits until every device has been closed and has played what it was given.
bool waitUntilIdle(std::chrono::milliseconds timeout);
// The end of the session: waits up to timeout for every device to play out,
// then lets the sink go (a WAV file gets its final header). A sink that has
// not taken everything by then is left behind and reported as lost sound;
// the device log is given as long for what it holds.
void finish(std::chrono::milliseconds timeout = sink_grace);

} // namespace boxsim::dsp
