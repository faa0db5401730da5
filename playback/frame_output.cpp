// The write callback: one decoded frame in, one device write out.
//
// The depth, channel count and block size come from each frame's own header,
// never from STREAMINFO: a file may lie there, and depth or channels may
// change between frames. Bytes are stored most significant first by hand so
// the output is the same on either byte order.
#include "playback/frame_output.h"

#include "playback/decoder.h"
#include "playback/exec_thread.h"

#include <memory>
#include <new>
#include <unistd.h>

namespace {

// Taken at the first frame too large for the stack, kept until the teardown.
std::unique_ptr<unsigned char[]> large_frame_buffer;

unsigned char* large_buffer() {
    if (!large_frame_buffer)
        large_frame_buffer.reset(new (std::nothrow) unsigned char[frame_max_values * 2]);
    return large_frame_buffer.get();
}

} // namespace

std::size_t frame_to_s16be(const FLAC__Frame* frame, const FLAC__int32* const buffer[],
                           unsigned char* out) {
    const unsigned blocksize = frame->header.blocksize;
    const unsigned channels = frame->header.channels;
    const unsigned depth = frame->header.bits_per_sample;
    std::size_t k = 0;
    if (depth == 16) {
        // The common case, kept free of the per-sample depth test.
        for (unsigned i = 0; i < blocksize; ++i) {
            for (unsigned j = 0; j < channels; ++j) {
                const FLAC__int32 value = buffer[j][i];
                out[k++] = static_cast<unsigned char>((value >> 8) & 0xff);
                out[k++] = static_cast<unsigned char>(value & 0xff);
            }
        }
        return k;
    }
    for (unsigned i = 0; i < blocksize; ++i) {
        for (unsigned j = 0; j < channels; ++j) {
            const FLAC__int32 sample = buffer[j][i];
            FLAC__int32 value;
            if (depth > 16)
                value = sample >> (depth - 16);
            else // shift as unsigned: left-shifting a negative value is undefined
                value = static_cast<FLAC__int32>(static_cast<FLAC__uint32>(sample) << (16 - depth));
            out[k++] = static_cast<unsigned char>((value >> 8) & 0xff);
            out[k++] = static_cast<unsigned char>(value & 0xff);
        }
    }
    return k;
}

FLAC__StreamDecoderWriteStatus flac_write_hdl(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                              const FLAC__int32* const buffer[], void*) {
    const std::size_t values =
        static_cast<std::size_t>(frame->header.blocksize) * frame->header.channels;
    unsigned char stack_buffer[frame_stack_values * 2];
    unsigned char* out = values <= frame_stack_values ? stack_buffer : large_buffer();
    if (out && values <= frame_max_values) {
        const std::size_t count = frame_to_s16be(frame, buffer, out);
        // A short or failed write loses the rest of this frame; the next
        // frame is handled as usual.
        ssize_t ignored = write(audio.load(), out, count);
        (void)ignored;
    }
    // A stopped worker's writes fail at once; without this the decoder would
    // race through the rest of the file before the thread could end.
    if (stop_requested())
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void release_frame_buffer() {
    large_frame_buffer.reset();
}
