#pragma once
// Numeric rules shared by the calibration tables: checked rounding, the straight-line rule in the
// form the conversion loops inline, index clamping and the clipped fill of whole degrees.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace kalvero::calibration_math {

inline constexpr const char* RANGE_ERROR = "Range check error";
inline constexpr const char* ZERO_DIVIDE_ERROR = "Floating point division by zero";

[[noreturn]] inline void ThrowRangeError() {
    throw std::range_error(RANGE_ERROR);
}
[[noreturn]] inline void ThrowZeroDivide() {
    throw std::domain_error(ZERO_DIVIDE_ERROR);
}

// Nearest integer, ties to even; a value that does not fit Int32 (NaN included) is a range error.
inline int32_t RoundToInt32(double aValue) {
    if (!(aValue > -2147483648.5 && aValue < 2147483647.5)) ThrowRangeError();
    const double r = std::nearbyint(aValue);  // the default rounding mode: ties to even
    if (r < -2147483648.0 || r > 2147483647.0) ThrowRangeError();
    return static_cast<int32_t>(r);
}

// Int32 saturation of a 64-bit intermediate (sums of keys and offsets).
inline int32_t ClampToInt32(int64_t aValue) {
    return static_cast<int32_t>(std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Rounded to Int32 with saturation; NaN gives 0. For header fields that are informational only.
inline int32_t SaturatingRound(double aValue) {
    if (std::isnan(aValue)) return 0;
    if (aValue <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    if (aValue >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::nearbyint(aValue));
}

// The line through (x1, y1) and (x2, y2) at x; y1 when the points share x or y. A falling line
// is evaluated from its upper end, as the shared rule says.
inline double LineAt(double x1, double y1, double x2, double y2, double x) {
    if (x1 == x2 || y1 == y2) return y1;
    if (y1 <= y2) return y1 + (x - x1) * (y2 - y1) / (x2 - x1);
    return y2 + (x2 - x) * (y1 - y2) / (x2 - x1);
}

// The entry index of a real position x in a table of aCount entries: x clamped to 0 … aCount − 1
// (NaN counts as beyond the end) and rounded, ties to even. aCount must be positive.
inline size_t NearestIndex(double x, size_t aCount) {
    const double last = static_cast<double>(aCount - 1);
    if (!(x < last)) return aCount - 1;
    if (x < 0) return 0;
    return static_cast<size_t>(std::nearbyint(x));
}

// The entry index of a whole degree T in a table of aCount entries whose entry 0 belongs to aFirst.
inline size_t DegreeIndex(int64_t T, int64_t aFirst, size_t aCount) {
    return static_cast<size_t>(std::clamp<int64_t>(T - aFirst, 0, static_cast<int64_t>(aCount) - 1));
}

// Writes aValue(T) into aItems at DegreeIndex(T) for T = aFrom … aTo, in this order, skipping
// the writes that a later one replaces: every T at or below the first degree of the table lands
// on entry 0 and every T at or above the last degree on the last entry. A wild key (2e9 degrees)
// therefore costs no more than the table is long.
template <typename ValueAt>
void FillDegrees(std::vector<float>& aItems, int64_t aFirst, int64_t aFrom, int64_t aTo, ValueAt aValue) {
    if (aItems.empty() || aFrom > aTo) return;
    const int64_t last = aFirst + static_cast<int64_t>(aItems.size()) - 1;
    const int64_t from = std::max(aFrom, std::min(aTo, aFirst));
    const int64_t to = std::min(aTo, last - 1);
    for (int64_t T = from; T <= to; ++T)
        aItems[DegreeIndex(T, aFirst, aItems.size())] = static_cast<float>(aValue(T));
    if (aTo >= last) aItems.back() = static_cast<float>(aValue(aTo));
}

}  // namespace kalvero::calibration_math
