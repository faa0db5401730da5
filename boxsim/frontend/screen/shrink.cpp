#include "boxsim/frontend/screen/shrink.h"

#include <algorithm>
#include <vector>

namespace boxsim {
namespace {

// One axis: source pixel i spans [i * to, (i + 1) * to) and target pixel j
// spans [j * from, (j + 1) * from), so every overlap is a whole number and
// a target's weights add up to from.
struct Span {
    int first;
    std::vector<int> weights;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(to));
    for (int j = 0; j < to; ++j) {
        const long long begin = static_cast<long long>(j) * from, end = begin + from;
        Span& s = out[static_cast<std::size_t>(j)];
        s.first = static_cast<int>(begin / to);
        for (int i = s.first; static_cast<long long>(i) * to < end && i < from; ++i) {
            const long long lo = std::max(begin, static_cast<long long>(i) * to);
            const long long hi = std::min(end, static_cast<long long>(i + 1) * to);
            s.weights.push_back(static_cast<int>(hi - lo));
        }
    }
    return out;
}

} // namespace

void shrinkPixels(const Pixels& from, std::uint8_t* to, int to_width, int to_height, int pitch) {
    const std::vector<Span> across = spans(from.width, to_width);
    const std::vector<Span> down = spans(from.height, to_height);
    // Across first, each row's sums kept whole (weights add up to from.width).
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(from.height) * to_width * 4);
    for (int y = 0; y < from.height; ++y) {
        const std::uint8_t* in = from.data + static_cast<std::ptrdiff_t>(y) * from.pitch;
        std::uint32_t* out = &rows[static_cast<std::size_t>(y) * to_width * 4];
        for (int x = 0; x < to_width; ++x) {
            const Span& s = across[static_cast<std::size_t>(x)];
            for (std::size_t k = 0; k < s.weights.size(); ++k) {
                const std::uint8_t* p = in + (static_cast<std::size_t>(s.first) + k) * 4;
                for (int c = 0; c < 4; ++c)
                    out[x * 4 + c] += static_cast<std::uint32_t>(p[c] * s.weights[k]);
            }
        }
    }
    // Then down, rounding once at the end.
    const std::uint64_t whole = static_cast<std::uint64_t>(from.width) * from.height;
    for (int y = 0; y < to_height; ++y) {
        const Span& s = down[static_cast<std::size_t>(y)];
        std::uint8_t* out = to + static_cast<std::ptrdiff_t>(y) * pitch;
        for (int x = 0; x < to_width * 4; ++x) {
            std::uint64_t sum = 0;
            for (std::size_t k = 0; k < s.weights.size(); ++k)
                sum += static_cast<std::uint64_t>(
                           rows[(static_cast<std::size_t>(s.first) + k) * to_width * 4 +
                                static_cast<std::size_t>(x)]) *
                       static_cast<std::uint64_t>(s.weights[k]);
            out[x] = static_cast<std::uint8_t>((sum + whole / 2) / whole);
        }
    }
}

} // namespace boxsim
