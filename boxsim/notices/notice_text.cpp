#include "boxsim/notices/notice_text.h"

#include <cstdio>

namespace boxsim {
namespace {

constexpr std::string_view prefix = "boxsim: ";

bool printable(unsigned char c) {
    return c >= 0x20 && c < 0x7f;
}

void escape(std::string& out, unsigned char c) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 0xf];
}

} // namespace

std::string printableLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (printable(static_cast<unsigned char>(c)))
            out += c;
        else
            escape(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (printable(static_cast<unsigned char>(c)))
            out += c;
        else
            escape(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::string quotedName(std::string_view name) {
    std::string out = '"' + escaped(name.substr(0, quoted_bytes)) + '"';
    if (name.size() > quoted_bytes)
        out += "... (" + std::to_string(name.size()) + " bytes)";
    return out;
}

std::string stderrLine(std::string_view text) {
    return std::string(prefix) + printableLine(text) + "\n";
}

void sayOnStderr(std::string_view text) {
    const std::string line = stderrLine(text);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace boxsim
