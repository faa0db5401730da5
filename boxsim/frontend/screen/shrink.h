// Making the box's picture smaller for a small window. Each pixel of the
// result is the mean of the pixels it covers, each weighed by how much of
// it is covered, so that a one-pixel line fades with the scale instead of
// vanishing, as plain sampling (nearest or bilinear) lets it below half size.
#pragma once

#include <cstdint>

namespace boxsim {

// Four 8-bit channels a pixel, rows of width pixels, one after another.
struct Pixels {
    const std::uint8_t* data;
    int width, height, pitch; // pitch in bytes
};

// Writes from, shrunk (or kept) to to_width x to_height, into to (pitch bytes
// a row). Sizes larger than from's are not for this.
void shrinkPixels(const Pixels& from, std::uint8_t* to, int to_width, int to_height, int pitch);

} // namespace boxsim
