#include "boxsim/toolkit/natural_order.h"

namespace {

bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int group(std::string_view text) {
    if (text == "..")
        return 0;
    if (!text.empty() && text[0] == '/')
        return 1;
    return 2;
}

} // namespace

int boxsim::naturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (is_digit(ca) && is_digit(cb)) {
            // Compare digit runs by value without converting: skip leading
            // zeros, then the longer run is larger, then the first difference.
            std::size_t za = i, zb = j;
            while (za < a.size() && a[za] == '0')
                ++za;
            while (zb < b.size() && b[zb] == '0')
                ++zb;
            std::size_t ea = za, eb = zb;
            while (ea < a.size() && is_digit(static_cast<unsigned char>(a[ea])))
                ++ea;
            while (eb < b.size() && is_digit(static_cast<unsigned char>(b[eb])))
                ++eb;
            if (ea - za != eb - zb)
                return ea - za < eb - zb ? -1 : 1;
            for (std::size_t k = 0; k < ea - za; ++k) {
                if (a[za + k] != b[zb + k])
                    return a[za + k] < b[zb + k] ? -1 : 1;
            }
            // Equal values: fewer leading zeros first, so "2" < "02".
            if (ea - i != eb - j)
                return ea - i < eb - j ? -1 : 1;
            i = ea;
            j = eb;
            continue;
        }
        if (fold(ca) != fold(cb))
            return fold(ca) < fold(cb) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

bool boxsim::listOrderLess(std::string_view a, std::string_view b) {
    const int ga = group(a), gb = group(b);
    if (ga != gb)
        return ga < gb;
    const int c = naturalCompare(a, b);
    if (c != 0)
        return c < 0;
    // Names equal but for letter case: a fixed order all the same.
    return a < b;
}

boxsim::OrderPrefix boxsim::listOrderPrefix(std::string_view text) {
    // The first 16 bytes of a key whose plain byte order is the list's: the
    // group, then the text with letters folded and each run of digits as
    // its significant length, its significant digits and its count of
    // leading zeros. A run's first byte lies among the digits' own bytes,
    // so against a letter it sorts as the digit would.
    unsigned char key[16] = {};
    std::size_t k = 0;
    auto put = [&](unsigned char b) {
        if (k < sizeof key)
            key[k++] = b;
    };
    auto put32 = [&](std::size_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            put(static_cast<unsigned char>(v >> shift));
    };
    put(static_cast<unsigned char>(group(text)));
    for (std::size_t i = 0; i < text.size() && k < sizeof key;) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!is_digit(c)) {
            put(fold(c));
            ++i;
            continue;
        }
        std::size_t zeros = i, end = i;
        while (zeros < text.size() && text[zeros] == '0')
            ++zeros;
        end = zeros;
        while (end < text.size() && is_digit(static_cast<unsigned char>(text[end])))
            ++end;
        const std::size_t length = end - zeros;
        if (length < 9) {
            put(static_cast<unsigned char>('0' + length));
        } else {
            put('9');
            put32(length);
        }
        for (std::size_t d = zeros; d < end; ++d)
            put(static_cast<unsigned char>(text[d]));
        put32(zeros - i);
        i = end;
    }
    OrderPrefix prefix{0, 0};
    for (int b = 0; b < 8; ++b) {
        prefix.high = prefix.high << 8 | key[b];
        prefix.low = prefix.low << 8 | key[8 + b];
    }
    return prefix;
}
