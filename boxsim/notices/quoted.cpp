#include "boxsim/notices/quoted.h"

#include <cstdio>

namespace boxsim {

std::string escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string quotedName(std::string_view text) {
    if (text.size() <= quoted_bytes)
        return '"' + escaped(text) + '"';
    return '"' + escaped(text.substr(0, quoted_bytes)) + "\"...";
}

} // namespace boxsim
