#include "decode_to_nowhere.h"

#include <FLAC/stream_decoder.h>

namespace bench {
namespace {

FLAC__StreamDecoderWriteStatus drop(const FLAC__StreamDecoder*, const FLAC__Frame*,
                                    const FLAC__int32* const[], void*) {
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void ignore(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

} // namespace

bool decodeToNowhere(const std::string& path) {
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    if (!decoder)
        return false;
    FLAC__stream_decoder_set_md5_checking(decoder, true);
    bool ok = FLAC__stream_decoder_init_file(decoder, path.c_str(), drop, nullptr, ignore,
                                             nullptr) == FLAC__STREAM_DECODER_INIT_STATUS_OK &&
              FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_finish(decoder);
    FLAC__stream_decoder_delete(decoder);
    return ok;
}

} // namespace bench
