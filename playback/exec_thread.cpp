// The playback worker's body and end hook.
#include "playback/exec_thread.h"

#include "host/eguiqueue.h"
#include "playback/decoder.h"

#include <fcntl.h>
#include <linux/soundcard.h>
#include <sys/ioctl.h>
#include <unistd.h>

static_assert(SNDCTL_DSP_SETFMT == 0xC0045005, "OSS format request");
static_assert(SNDCTL_DSP_STEREO == 0xC0045003, "OSS stereo request");
static_assert(SNDCTL_DSP_SPEED == 0xC0045002, "OSS speed request");
static_assert(AFMT_S16_BE == 0x20, "signed 16-bit big-endian");

std::atomic<ExecThread*> execThread{nullptr};
std::mutex finished_emit_lock;
int dsp_sample;
int dsp_stereo;
int dsp_speed;

namespace {
std::atomic<int> next_serial{1};
} // namespace

ExecThread::ExecThread(eString path_) : path(std::move(path_)), status(next_serial++) {}

ExecThread::~ExecThread() = default;

void ExecThread::start() {
    run(0, 0);
}

void ExecThread::thread() {
    audio = open("/dev/dsp", O_WRONLY, 0);
    dsp_stereo = 1;
    dsp_speed = 44100;
    dsp_sample = AFMT_S16_BE;
    ioctl(audio, SNDCTL_DSP_SETFMT, &dsp_sample);
    ioctl(audio, SNDCTL_DSP_STEREO, &dsp_stereo);
    ioctl(audio, SNDCTL_DSP_SPEED, &dsp_speed);
    play_file(path.c_str());
}

void ExecThread::thread_finished() {
    // A body that ran to its end has torn down already. Anything still held
    // here (a decoder mid-play or mid-open, an open device) belongs to a body
    // that was cut short, and is released once.
    if (file_info.is_playing || file_info.decoder || audio.load() != 0)
        decoder_destructor();
    {
        std::lock_guard<std::mutex> hold(finished_emit_lock);
        finished.emit(status);
    }
    // Freed on the GUI thread once this thread has ended, never from here.
    // A worker that outlived its window was never forgotten by it: the
    // handle must not be left pointing at freed memory.
    eGuiQueue::post([this] {
        ExecThread* self = this;
        execThread.compare_exchange_strong(self, nullptr);
        kill(false);
        delete this;
    });
}
