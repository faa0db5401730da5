// eString: the host's string, a std::string of bytes with the few extras the
// box's code has always used. Positions and lengths count bytes, not
// characters; nothing here interprets an encoding.
#pragma once

#include <string>

#pragma GCC visibility push(default)

class eString : public std::string {
public:
    eString() = default;
    eString(const std::string& s) : std::string(s) {}
    eString(std::string&& s) : std::string(std::move(s)) {}
    // A null pointer makes an empty string, not a crash.
    eString(const char* s) : std::string(s ? s : "") {}

    // The first n bytes, or the whole string when n >= length().
    eString left(size_type n) const;
    // The last n bytes, or the whole string when n >= length().
    eString right(size_type n) const;
    // Up to n bytes from pos; "" when pos >= length().
    eString mid(size_type pos, size_type n = npos) const;
    // Upper-cases ASCII letters in place; other bytes are left alone.
    eString& upper();
    // Replaces every occurrence of find, scanning left to right; an empty
    // find changes nothing.
    eString& strReplace(const char* find, const eString& with);
    // printf-style formatting into this string, replacing its contents.
    eString& sprintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

#pragma GCC visibility pop
