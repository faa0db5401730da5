// The playback worker's body and end hook, and the module's record of it.
#include "playback/exec_thread.h"

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

// The worker the module has started and not yet freed. Only the GUI thread
// changes the pointer; the worker sets ended as the last thing it does.
struct WorkerRecord {
    ExecThread* worker = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};

    // Unloading: the host has stopped the plug-in's threads by now, but the
    // last worker's object is still ours to free.
    ~WorkerRecord() {
        if (!worker)
            return;
        if (!ended) {
            stop = true;
            worker->kill(true);
        }
        worker->kill(false);
        execThread = nullptr;
        delete worker;
    }
};
WorkerRecord record;

// Write-only and blocking, as the box's driver wants it; close-on-exec, so
// that a program the host starts meanwhile does not keep the device busy.
int open_device() {
    int fd = open("/dev/dsp", O_WRONLY | O_CLOEXEC, 0);
    if (fd >= 0 && fd <= 2) {
        // A host started with a standard descriptor closed: 0 must still
        // mean "closed", and sound must never go to a standard stream.
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        close(fd);
        fd = moved;
    }
    return fd;
}

} // namespace

ExecThread::ExecThread(eString path_) : path(std::move(path_)), status(next_serial++) {}

ExecThread::~ExecThread() = default;

void ExecThread::start() {
    // One worker at a time: callers stop and free the last one first.
    if (record.worker && record.worker != this) {
        stop_worker();
        free_ended_worker();
    }
    record.worker = this;
    record.stop = false;
    record.ended = false;
    if (run(0, 0) != 0)
        record.ended = true; // it never ran, so nothing else will end it
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
    record.ended = true;
}

bool worker_alive() {
    return record.worker && !record.ended;
}

void stop_worker() {
    if (!record.worker)
        return;
    record.stop = true;
    record.worker->kill(true);
}

void free_ended_worker() {
    ExecThread* worker = record.worker;
    if (!worker || !record.ended)
        return;
    record.worker = nullptr;
    record.stop = false;
    worker->kill(false);
    ExecThread* current = worker;
    execThread.compare_exchange_strong(current, nullptr);
    delete worker;
}

bool stop_requested() {
    return record.stop.load();
}
