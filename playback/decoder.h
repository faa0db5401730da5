// The decode run: one FLAC file from its metadata to its last frame, through
// libFLAC's stream decoder reading the file through flac_read_hdl, into the
// audio device. A stop asked of the worker ends the run at its next read or
// frame.
//
// file_info is the one record of the decoder. One file plays at a time, so
// there is one record. is_playing is 1 from a successful decoder_constructor
// until decoder_destructor; the GUI thread reads it while the worker writes
// it, hence the atomic.
#pragma once

#include "playback/audio_device.h" // audio, the device the run plays into

#include <FLAC/stream_decoder.h>

#include <atomic>
#include <cstddef>

struct flac_file_info {
    FLAC__StreamDecoder* decoder;
    int bits_per_sample;
    int sample_rate;
    unsigned channels;
    char filename[4096];
    FLAC__uint32 total_samples;
    float total_time;
    std::atomic<int> is_playing;
    int total_seconds;
};

extern flac_file_info file_info;

// Plays path to its end into audio, then tears down: the decoder is released,
// the record reset, "00:00" shown and the device closed. After a failed open
// only the teardown runs.
void play_file(const char* path);
// Opens a decoder on path and reads its metadata. 1 on success (is_playing is
// then 1); 0 on failure, with no decoder left behind.
int decoder_constructor(const char* path);
// Releases the decoder if there is one, resets the record, shows "00:00" and
// closes the device if it is open. Safe to call again: a second call releases
// and closes nothing.
void decoder_destructor();

// Reads the file for the library; ends the decode once the worker has been
// asked to stop, or when the file cannot be read.
FLAC__StreamDecoderReadStatus flac_read_hdl(const FLAC__StreamDecoder* decoder, FLAC__byte buffer[],
                                            std::size_t* bytes, void* client_data);
void flac_metadata_hdl(const FLAC__StreamDecoder* decoder, const FLAC__StreamMetadata* metadata,
                       void* client_data);
// Decoding errors are not reported; the library goes on as far as it can.
void flac_error_hdl(const FLAC__StreamDecoder* decoder, FLAC__StreamDecoderErrorStatus status,
                    void* client_data);
