// The playback worker's members: its body and its end hook.
#include "playback/exec_thread.h"

#include "playback/audio_device.h"
#include "playback/decoder.h"

#include <linux/soundcard.h>
#include <sys/ioctl.h>

static_assert(SNDCTL_DSP_SETFMT == 0xC0045005, "OSS format request");
static_assert(SNDCTL_DSP_STEREO == 0xC0045003, "OSS stereo request");
static_assert(SNDCTL_DSP_SPEED == 0xC0045002, "OSS speed request");
static_assert(AFMT_S16_BE == 0x20, "signed 16-bit big-endian");

std::atomic<ExecThread*> execThread{nullptr};
int dsp_sample;
int dsp_stereo;
int dsp_speed;

namespace {
std::atomic<int> next_serial{1};
} // namespace

ExecThread::ExecThread(eString path_)
    : path(std::move(path_)), status(next_serial++), state(status) {}

ExecThread::~ExecThread() = default;

void ExecThread::start() {
    if (run(0, 0) != 0)
        thread_finished(); // it never ran, so nothing else will end it
}

void ExecThread::thread() {
    bind_this_thread(&state);
    // The worker before may still hold the device and file_info.
    if (!wait_for_earlier_workers(state))
        return;
    state.owns_playback = true;
    open_device();
    dsp_stereo = 1;
    dsp_speed = 44100;
    dsp_sample = AFMT_S16_BE;
    ioctl(audio, SNDCTL_DSP_SETFMT, &dsp_sample);
    ioctl(audio, SNDCTL_DSP_STEREO, &dsp_stereo);
    ioctl(audio, SNDCTL_DSP_SPEED, &dsp_speed);
    play_file(path.c_str());
    state.body_done = true;
}

void ExecThread::thread_finished() {
    // A body that ran to its end has torn down already. One cut short after
    // it took the device (opening it, mid-open of the file, mid-play) left
    // what it held, and that is released once; the teardown is never cut
    // short itself. One cut short while it waited holds nothing.
    if (state.owns_playback && !state.body_done)
        decoder_destructor();
    {
        std::lock_guard<std::mutex> hold(finished_lock());
        finished.emit(status);
    }
    worker_ending(state);
}
