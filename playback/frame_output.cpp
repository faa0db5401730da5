// The write callback: one decoded frame in, one device write out.
//
// The depth, channel count and block size come from each frame's own header,
// never from STREAMINFO: a file may lie there, and depth or channels may
// change between frames. Each value is stored as a 16-bit word in big-endian
// order: on the box that is the native order and the store is a plain one,
// elsewhere the compiler swaps the two bytes. One function per kind of frame,
// each a loop without branches that the compiler can vectorise.
#include "playback/frame_output.h"

#include "playback/audio_device.h"
#include "playback/worker_state.h"

#include <cerrno>
#include <memory>
#include <new>
#include <poll.h>
#include <unistd.h>

namespace {

// Taken at the first frame too large for the stack, kept until the teardown.
std::unique_ptr<std::uint16_t[]> large_frame_buffer;

std::uint16_t* large_buffer() {
    if (!large_frame_buffer)
        large_frame_buffer.reset(new (std::nothrow) std::uint16_t[frame_max_values]);
    return large_frame_buffer.get();
}

// The low 16 bits of a sample, as the device's big-endian word.
inline std::uint16_t s16be(FLAC__int32 sample) {
    const auto word = static_cast<std::uint16_t>(sample);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return word;
#else
    return __builtin_bswap16(word);
#endif
}

void stereo16(const FLAC__int32* __restrict left, const FLAC__int32* __restrict right,
              std::size_t n, std::uint16_t* __restrict out) {
    for (std::size_t i = 0; i < n; ++i) {
        out[2 * i] = s16be(left[i]);
        out[2 * i + 1] = s16be(right[i]);
    }
}

void mono16(const FLAC__int32* __restrict in, std::size_t n, std::uint16_t* __restrict out) {
    for (std::size_t i = 0; i < n; ++i)
        out[i] = s16be(in[i]);
}

// Any other channel count: one channel at a time into its interleaved places.
void any16(const FLAC__int32* const buffer[], unsigned channels, std::size_t n,
           std::uint16_t* __restrict out) {
    for (unsigned j = 0; j < channels; ++j) {
        const FLAC__int32* __restrict in = buffer[j];
        for (std::size_t i = 0; i < n; ++i)
            out[i * channels + j] = s16be(in[i]);
    }
}

// Deeper streams keep their 16 most significant bits.
void deeper(const FLAC__int32* const buffer[], unsigned channels, std::size_t n, unsigned shift,
            std::uint16_t* __restrict out) {
    for (unsigned j = 0; j < channels; ++j) {
        const FLAC__int32* __restrict in = buffer[j];
        for (std::size_t i = 0; i < n; ++i)
            out[i * channels + j] = s16be(in[i] >> shift);
    }
}

// Shallower streams are scaled up; shifted as unsigned, since shifting a
// negative value left is undefined.
void shallower(const FLAC__int32* const buffer[], unsigned channels, std::size_t n, unsigned shift,
               std::uint16_t* __restrict out) {
    for (unsigned j = 0; j < channels; ++j) {
        const FLAC__int32* __restrict in = buffer[j];
        for (std::size_t i = 0; i < n; ++i)
            out[i * channels + j] =
                s16be(static_cast<FLAC__int32>(static_cast<FLAC__uint32>(in[i]) << shift));
    }
}

// The whole frame, unless the worker is stopped: a signal may interrupt the
// write before the device took anything, or after it took a part (so may a
// suspended and resumed process), and the rest is still sound; a device
// that answers "not now" is waited for. A write that fails otherwise is not
// tried again; the next frame is handled as usual.
void write_frame(const unsigned char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t n = write(audio.load(), bytes, count);
        if (stop_asked())
            return;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // A driver that kept the open's non-blocking mode: wait until
            // it takes more, looking for a stop now and then.
            pollfd device{audio.load(), POLLOUT, 0};
            poll(&device, 1, 100);
            continue;
        }
        if (n <= 0)
            return;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
}

} // namespace

std::size_t frame_to_s16be(const FLAC__Frame* frame, const FLAC__int32* const buffer[],
                           std::uint16_t* out) {
    const std::size_t n = frame->header.blocksize;
    const unsigned channels = frame->header.channels;
    const unsigned depth = frame->header.bits_per_sample;
    if (depth == 16 && channels == 2)
        stereo16(buffer[0], buffer[1], n, out);
    else if (depth == 16 && channels == 1)
        mono16(buffer[0], n, out);
    else if (depth == 16)
        any16(buffer, channels, n, out);
    else if (depth > 16)
        deeper(buffer, channels, n, depth - 16, out);
    else
        shallower(buffer, channels, n, 16 - depth, out);
    return n * channels * 2;
}

FLAC__StreamDecoderWriteStatus flac_write_hdl(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                              const FLAC__int32* const buffer[], void*) {
    const std::size_t values =
        static_cast<std::size_t>(frame->header.blocksize) * frame->header.channels;
    std::uint16_t stack_buffer[frame_stack_values];
    std::uint16_t* out = values <= frame_stack_values ? stack_buffer : large_buffer();
    if (out && values <= frame_max_values)
        write_frame(reinterpret_cast<const unsigned char*>(out),
                    frame_to_s16be(frame, buffer, out));
    // A stopped worker's writes fail at once; without this the decoder would
    // race through the rest of the file before the thread could end.
    if (stop_asked())
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void release_frame_buffer() {
    large_frame_buffer.reset();
}
