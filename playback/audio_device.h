// The OSS device "/dev/dsp" as the playback worker holds it.
#pragma once

#include <atomic>

// The device's descriptor while a worker has it open; 0 when closed, -1
// when the open failed. Written by the worker, read by the GUI thread.
extern std::atomic<int> audio;

// Worker thread: opens the device into audio, write-only, blocking once
// open, close-on-exec (a program the host starts meanwhile must not keep it
// busy), never on descriptors 0 to 2. The descriptor reaches audio before
// anything can cut the worker short, so a kill never loses it. A device
// still busy (the last play still sounding, another player) is tried
// again for a couple of seconds, in waits that a kill or the worker's stop
// ends, and an open a signal cut short is tried again at once; then, or on
// any other refusal, audio is -1 and the file is decoded into nothing.
void open_device();
