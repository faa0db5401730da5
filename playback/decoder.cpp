// The decode run and the metadata and error callbacks.
#include "playback/decoder.h"

#include "playback/frame_output.h"
#include "playback/no_cancel.h"
#include "playback/worker_state.h"
#include "plugin/player_dialog.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

flac_file_info file_info;

namespace {
// The file of the current run, which the library reads through flac_read_hdl.
int source = -1;
// The library asks for a few kilobytes at a time; the system is asked for
// more, ahead of it, and spared most of the calls.
unsigned char read_ahead[65536];
std::size_t ahead_begin = 0;
std::size_t ahead_end = 0;

// Only a regular file is played. The browser saw one, but the name may
// have become something else since (a named pipe, whose open would wait for
// a writer): the name is opened without waiting, and what opened is
// checked. A file does not block its open, so the open is not cut short
// either: a descriptor opened and lost would leak.
void open_source(const char* path) {
    const NoCancel whole;
    ahead_begin = ahead_end = 0;
    source = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (source >= 0 && (fstat(source, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(source);
        source = -1;
    }
}

void close_source() {
    const NoCancel whole;
    if (source >= 0)
        close(source);
    source = -1;
    ahead_begin = ahead_end = 0;
}
} // namespace

void play_file(const char* path) {
    if (decoder_constructor(path))
        FLAC__stream_decoder_process_until_end_of_stream(file_info.decoder);
    // After a failed open this releases nothing but still resets the record,
    // shows "00:00" and closes the device the worker opened.
    decoder_destructor();
}

int decoder_constructor(const char* path) {
    std::size_t n = std::strlen(path);
    if (n > sizeof file_info.filename - 1)
        n = sizeof file_info.filename - 1;
    std::memcpy(file_info.filename, path, n);
    file_info.filename[n] = '\0';

    file_info.decoder = FLAC__stream_decoder_new();
    if (!file_info.decoder)
        return 0;
    FLAC__stream_decoder_set_md5_checking(file_info.decoder, true);
    // Read by our own callback, not by the library from a file name, so that
    // a stop ends the decode at the next read wherever the library is: while
    // it searches data that holds no frames it calls nothing else of ours.
    open_source(path);
    const bool opened =
        source >= 0 &&
        FLAC__stream_decoder_init_stream(
            file_info.decoder, flac_read_hdl, nullptr, nullptr, nullptr, nullptr, flac_write_hdl,
            flac_metadata_hdl, flac_error_hdl, &file_info) == FLAC__STREAM_DECODER_INIT_STATUS_OK &&
        FLAC__stream_decoder_process_until_end_of_metadata(file_info.decoder);
    if (!opened) {
        const NoCancel whole;
        FLAC__stream_decoder_delete(file_info.decoder);
        file_info.decoder = nullptr;
        close_source();
        return 0;
    }
    file_info.is_playing = 1;
    return 1;
}

FLAC__StreamDecoderReadStatus flac_read_hdl(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                            std::size_t* bytes, void*) {
    const std::size_t wanted = *bytes;
    *bytes = 0;
    if (stop_asked())
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    while (ahead_begin == ahead_end) {
        const ssize_t n = read(source, read_ahead, sizeof read_ahead);
        if (n > 0) {
            ahead_begin = 0;
            ahead_end = static_cast<std::size_t>(n);
        } else if (n == 0) {
            return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
        } else if (errno != EINTR || stop_asked()) {
            // A file that cannot be read further ends the decode, as a
            // truncated one does; a signal only interrupts.
            return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        }
    }
    const std::size_t n = std::min(wanted, ahead_end - ahead_begin);
    std::memcpy(buffer, read_ahead + ahead_begin, n);
    ahead_begin += n;
    *bytes = n;
    return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

void flac_metadata_hdl(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                       void* client_data) {
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO)
        return;
    auto* info = static_cast<flac_file_info*>(client_data);
    const FLAC__StreamMetadata_StreamInfo& si = metadata->data.stream_info;
    info->bits_per_sample = static_cast<int>(si.bits_per_sample);
    info->sample_rate = static_cast<int>(si.sample_rate);
    info->channels = si.channels;
    info->total_samples = static_cast<FLAC__uint32>(si.total_samples);
    // Single precision on purpose: the count is rounded to a float before the
    // division, which is what the box has always shown.
    if (info->sample_rate > 0) {
        info->total_time =
            static_cast<float>(info->total_samples) / static_cast<float>(info->sample_rate);
    } else {
        info->total_time = 0.0f;
    }
    // A tiny rate can make the quotient larger than an int holds.
    info->total_seconds =
        info->total_time >= 2147483648.0f ? INT_MAX : static_cast<int>(info->total_time);
    eTivraDialog::DisplayTotalTime();
}

void flac_error_hdl(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

void decoder_destructor() {
    // Not cut short by a kill: half a teardown would leave the rest to a
    // second one that finds the record half reset.
    const NoCancel whole;
    // Taking the decoder out first makes a second teardown release nothing.
    FLAC__StreamDecoder* decoder = file_info.decoder;
    file_info.decoder = nullptr;
    if (decoder) {
        FLAC__stream_decoder_finish(decoder);
        FLAC__stream_decoder_delete(decoder);
    }
    close_source();
    release_frame_buffer();
    file_info.is_playing = 0;
    file_info.filename[0] = '\0';
    file_info.total_seconds = 0;
    eTivraDialog::DisplayTotalTime();
    // 0 means closed and -1 a failed open: neither is ours to close, and
    // closing 0 would close standard input.
    const int fd = audio.exchange(0);
    if (fd > 0)
        close(fd);
}
