// libFuzzer target: any bytes, saved as a file, through the whole decode run
// into the device. Whatever the bytes, the run must end with the decoder
// released, the record closed and the device closed.
#include "playback/decoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratch_file() {
    static const std::string path = "/tmp/tivra-fuzz-" + std::to_string(getpid()) + ".flac";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(scratch_file().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    audio = open("/dev/null", O_WRONLY);
    play_file(scratch_file().c_str());
    if (file_info.decoder || file_info.is_playing || audio != 0)
        std::abort();
    return 0;
}
