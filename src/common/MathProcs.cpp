#include "common/MathProcs.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace kalvero {

int64_t Round(double aValue) {
    // Explicit rather than std::nearbyint: the result must not depend on the FPU rounding mode.
    double r = std::floor(aValue);
    const double diff = aValue - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        throw std::out_of_range("Cannot round " + std::to_string(aValue) + " to a 64-bit integer");
    return static_cast<int64_t>(r);
}

double RoundEx(double x, int Prec) {
    if (!std::isfinite(x)) return x;
    // A negative precision would make the scale 0 and divide by it.
    const double precision = Prec <= 0 ? 1.0 : std::round(std::pow(10.0, Prec));
    double temp = (x - std::trunc(x)) * precision;
    const double scaledFractPart = temp - std::trunc(temp);
    temp = std::trunc(temp);
    if (scaledFractPart >= 0.5) temp += 1;
    if (scaledFractPart <= -0.5) temp -= 1;
    return std::trunc(x) + temp / precision;
}

int Round10(double aValue) {
    const int64_t tens = Round(RoundEx(aValue / 10, 1));
    if (tens < std::numeric_limits<int>::min() / 10 || tens > std::numeric_limits<int>::max() / 10)
        throw std::out_of_range("Cannot round " + std::to_string(aValue) + " to an integer");
    return static_cast<int>(tens * 10);
}

double IncByPercent(double aValue, double aPercent) {
    return aValue * aPercent / 100 + aValue;
}

double LineInterp(double x1, double y1, double x2, double y2, double Xvalue) {
    if (x1 == x2 || y1 == y2) return y1;
    return y1 + (Xvalue - x1) * (y2 - y1) / (x2 - x1);
}

double SelectStep(double range, int maxCount) {
    if (!std::isfinite(range) || range <= 0) return 10;
    // Scale the span into 100 … 1000 by powers of ten. The multiplier is rounded at every step,
    // so a span sitting on a bound could bounce between ×10 and ÷10: stop at the first turn.
    double multiplier = 1;
    double scaled = range;
    int direction = 0;
    do {
        const int next = scaled <= 100 ? 1 : (scaled > 1000 ? -1 : 0);
        if (next == 0 || (direction != 0 && next != direction)) break;
        direction = next;
        multiplier = next > 0 ? multiplier * 10 : multiplier / 10;
        scaled = range * multiplier;
    } while (!(scaled >= 100 && scaled <= 1000));

    // Spans near the ends of the double range overflow the multiplier.
    if (!std::isfinite(scaled) || multiplier == 0) return range;

    constexpr double kSteps[] = {10, 20, 50, 100, 200, 500};
    // No step fits: one step over the whole span.
    double step = scaled;
    for (double s : kSteps) {
        if (Round(scaled / s) <= maxCount) {
            step = s;
            break;
        }
    }
    const double result = step / multiplier;
    return std::isfinite(result) && result > 0 ? result : range;
}

}  // namespace kalvero
