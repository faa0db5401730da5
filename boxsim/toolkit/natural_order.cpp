#include "boxsim/toolkit/natural_order.h"

namespace {

bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int group(const std::string& text) {
    if (text == "..")
        return 0;
    if (!text.empty() && text[0] == '/')
        return 1;
    return 2;
}

} // namespace

int boxsim::naturalCompare(const std::string& a, const std::string& b) {
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

bool boxsim::listOrderLess(const std::string& a, const std::string& b) {
    const int ga = group(a), gb = group(b);
    if (ga != gb)
        return ga < gb;
    const int c = naturalCompare(a, b);
    if (c != 0)
        return c < 0;
    // Names equal but for letter case: a fixed order all the same.
    return a < b;
}
