// Writes the fuzzers' starting corpora: FLAC files of many shapes made by our
// own encoder, and directory layouts for the listing.
#include "tests/support/flac_maker.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds DECODE_DIR LISTING_DIR\n");
        return 2;
    }
    const std::string decode = argv[1], listing = argv[2];
    mkdir(decode.c_str(), 0755);
    mkdir(listing.c_str(), 0755);
    const testaudio::Format formats[] = {
        {2, 16, 44100, 4096}, {1, 16, 48000, 1152}, {6, 24, 96000, 4608}, {2, 8, 8000, 192},
        {1, 4, 8000, 16},     {8, 32, 44100, 256},  {2, 12, 22050, 576},  {2, 20, 44100, 65535}};
    for (unsigned n = 0; n < 8; ++n)
        testaudio::writeFlac(decode + "/seed" + std::to_string(n) + ".flac", formats[n],
                             testaudio::makeSignal(formats[n], 3000, n + 1));
    // Kind bytes: '@' directory, 'A' file, 'B' link, 'C' named pipe.
    using namespace std::string_literals;
    const std::string layouts[] = {
        "\0@jazz\0Aa.flac\0Ab.FLAC\0Cpipe.flac\0A.flac"s,
        "\0@...\0@...x\0@.covers\0Ax.flac.bak\0Aflac\0@x.flac"s,
        "\0@one\0@two\0Blink\0Bself\0As\xff\xfe.flac\0Anew\nline.flac"s,
    };
    for (std::size_t i = 0; i < 3; ++i) {
        if (FILE* f = std::fopen((listing + "/layout" + std::to_string(i)).c_str(), "wb")) {
            std::fwrite(layouts[i].data(), 1, layouts[i].size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
