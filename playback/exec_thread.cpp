// The playback worker's body and end hook.
#include "playback/exec_thread.h"

#include "playback/audio_device.h"
#include "playback/decoder.h"
#include "playback/worker_record.h"

#include <linux/soundcard.h>
#include <mutex>
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
// finished is emitted under it, and a window's slots are cut off under it.
std::mutex finished_emit_lock;
// The body of the module's worker ran to its end, teardown included. One
// worker runs at a time, so one flag serves.
std::atomic<bool> body_done{false};

} // namespace

ExecThread::ExecThread(eString path_) : path(std::move(path_)), status(next_serial++) {}

ExecThread::~ExecThread() = default;

void ExecThread::start() {
    if (!adopt_worker(this)) {
        // The worker before has not ended: a second one must not play. Its
        // late finished may be reading the handle; it does so under the lock.
        {
            std::lock_guard<std::mutex> hold(finished_emit_lock);
            ExecThread* self = this;
            execThread.compare_exchange_strong(self, nullptr);
        }
        delete this;
        return;
    }
    body_done = false;
    if (run(0, 0) != 0)
        worker_ended(status); // it never ran, so nothing else will end it
}

void ExecThread::thread() {
    audio = open_device();
    dsp_stereo = 1;
    dsp_speed = 44100;
    dsp_sample = AFMT_S16_BE;
    ioctl(audio, SNDCTL_DSP_SETFMT, &dsp_sample);
    ioctl(audio, SNDCTL_DSP_STEREO, &dsp_stereo);
    ioctl(audio, SNDCTL_DSP_SPEED, &dsp_speed);
    play_file(path.c_str());
    body_done = true;
}

void ExecThread::thread_finished() {
    // A body that ran to its end has torn down already. One cut short
    // anywhere (opening the device, mid-open, mid-play) left what it held,
    // and that is released once; the teardown is never cut short itself.
    if (!body_done || file_info.is_playing || file_info.decoder || audio.load() != 0)
        decoder_destructor();
    {
        std::lock_guard<std::mutex> hold(finished_emit_lock);
        finished.emit(status);
    }
    worker_ended(status);
}

void disconnect_from_workers(SigC::Object& receiver) {
    std::lock_guard<std::mutex> hold(finished_emit_lock);
    receiver.notify_callbacks();
}
