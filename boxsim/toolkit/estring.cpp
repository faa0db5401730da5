// eString's extras. Byte-oriented on purpose: file names on the box's disk
// are bytes, and upper() must not depend on the C locale.
#include "host/estring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

eString eString::left(size_type n) const {
    return n >= length() ? *this : eString(substr(0, n));
}

eString eString::right(size_type n) const {
    return n >= length() ? *this : eString(substr(length() - n));
}

eString eString::mid(size_type pos, size_type n) const {
    return pos >= length() ? eString() : eString(substr(pos, n));
}

eString& eString::upper() {
    for (char& c : *this) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return *this;
}

eString& eString::strReplace(const char* find, const eString& with) {
    const size_type find_len = find ? std::strlen(find) : 0;
    if (find_len == 0)
        return *this;
    size_type pos = 0;
    while ((pos = this->find(find, pos, find_len)) != npos) {
        replace(pos, find_len, with);
        pos += with.length();
    }
    return *this;
}

eString& eString::sprintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[64];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        clear();
    } else if (static_cast<size_t>(needed) < sizeof small) {
        assign(small, static_cast<size_t>(needed));
    } else {
        std::string big(static_cast<size_t>(needed) + 1, '\0');
        std::vsnprintf(&big[0], big.size(), format, again);
        big.resize(static_cast<size_t>(needed));
        assign(big);
    }
    va_end(again);
    return *this;
}
