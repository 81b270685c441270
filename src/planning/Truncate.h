#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Converting a double that is NaN, infinite or out of range to an integer is undefined
// behaviour. The planning arithmetic can produce such values on degenerate projects (no
// frames, no loaded bitrate, a target of 0), so every truncation goes through these: NaN
// becomes 0 and everything else is clamped to the type's range before the cast.

namespace planning::detail {

template <typename Int>
Int truncateTo(double value)
{
    if (std::isnan(value))
        return 0;
    // The limits of a 64-bit type are not exactly representable as double; compare against
    // the power of two just past the top, which is.
    constexpr double top = double(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
    constexpr double bottom = double(std::numeric_limits<Int>::min());
    if (value >= top)
        return std::numeric_limits<Int>::max();
    if (value <= bottom)
        return std::numeric_limits<Int>::min();
    return Int(value);
}

inline int truncateToInt(double value)
{
    return truncateTo<int>(value);
}

inline std::int64_t truncateToLong(double value)
{
    return truncateTo<std::int64_t>(value);
}

} // namespace planning::detail
