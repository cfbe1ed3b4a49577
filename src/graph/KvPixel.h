#pragma once
// The one conversion of a computed coordinate (a value mapped through an
// axis scale, a step along a line) to a whole pixel.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kv {

// Far beyond any screen or picture: coordinates are held within this
// distance, so sums and differences of pixels never overflow int32_t.
inline constexpr int32_t MaxPixel = 100000000;

// Rounds to the nearest pixel, halves to even, saturating at +-MaxPixel
// instead of overflowing; NaN (a position that does not exist) lies far
// off on the negative side.
inline int32_t ToPixel(double V)
{
    constexpr double Limit = MaxPixel;
    if (std::isnan(V))
        return -MaxPixel;
    return static_cast<int32_t>(std::nearbyint(std::clamp(V, -Limit, Limit)));
}

} // namespace kv
