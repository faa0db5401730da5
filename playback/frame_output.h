// Frame output: each decoded frame becomes one write of signed 16-bit
// samples, interleaved by sample index then channel, most significant byte
// first, whatever the host's byte order.
#pragma once

#include <FLAC/stream_decoder.h>

#include <cstddef>
#include <cstdint>

// Values held by the buffer on the worker's stack; larger frames use a buffer
// taken once per play, sized for the largest frame the format allows.
constexpr std::size_t frame_stack_values = 16384;
constexpr std::size_t frame_max_values = 65535 * 8;

// Writes the frame to audio. A depth other than 16 bits is scaled to 16 by
// the frame's own depth. Continues decoding whatever the device does, unless
// the worker has been asked to stop.
FLAC__StreamDecoderWriteStatus flac_write_hdl(const FLAC__StreamDecoder* decoder,
                                              const FLAC__Frame* frame,
                                              const FLAC__int32* const buffer[], void* client_data);

// Interleaves and converts one frame into out, one big-endian 16-bit word a
// value. Returns the number of bytes produced.
std::size_t frame_to_s16be(const FLAC__Frame* frame, const FLAC__int32* const buffer[],
                           std::uint16_t* out);

// Frees the large-frame buffer of the current play, if one was taken.
void release_frame_buffer();
