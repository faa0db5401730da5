#include "boxsim/frontend/screen/printable_text.h"

namespace boxsim {

std::string printableText(const std::string& bytes) {
    std::string out;
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned long code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        }
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto cont = static_cast<unsigned char>(bytes[i + k]);
            valid = (cont & 0xC0) == 0x80;
            code = (code << 6) | (cont & 0x3F);
        }
        const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= smallest[length] && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF) && !(code >= 0x80 && code < 0xA0);
        if (valid) {
            out.append(bytes, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

} // namespace boxsim
