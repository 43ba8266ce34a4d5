#pragma once
// What the evaluations of the standards share: the record they read (time, sample temperature and
// signal as equal-length arrays), an item range, a straight line, the points and segments that
// describe a construction for drawing, and the error raised when nothing can be computed.

#include <cmath>
#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero::evaluation {

// Nothing can be computed; the message is Russian and meant for the operator.
class EEvaluationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Time (s, increasing), sample temperature (°C) and signal (any unit; heat flow in mW where a
// result is a heat), one value of each per item.
struct TCurve {
    std::span<const double> time;
    std::span<const double> temperature;
    std::span<const double> signal;

    size_t Size() const { return signal.size(); }
};

// Items from … to, both included.
struct TItemRange {
    size_t from = 0;
    size_t to = 0;

    size_t Count() const { return to - from + 1; }
    bool Contains(size_t aIndex) const { return aIndex >= from && aIndex <= to; }
};

// y = intercept + slope·x. Each result says what x is (temperature in °C or time in s).
struct RLine {
    double slope = NAN;
    double intercept = NAN;

    double At(double aX) const { return intercept + slope * aX; }
    bool Valid() const { return std::isfinite(slope) && std::isfinite(intercept); }
};

// A point of a construction on the signal plot. The item index is fractional (between items, or
// outside the range for an extrapolated point); time and temperature are those of that index, so
// the point can be drawn against either axis.
struct RPoint {
    double index = NAN;
    double time = NAN;         // s
    double temperature = NAN;  // °C
    double value = NAN;        // signal

    bool Valid() const { return std::isfinite(index) && std::isfinite(value); }
};

enum class ESegmentRole {
    BaseLine,    // a base line, or a line fitted to a flat stretch
    Tangent,     // a tangent at an inflection
    MiddleLine,  // halfway between two base lines (glass transition)
    Height,      // a vertical measure: step height, peak height, width at half height
};

struct RSegment {
    RPoint a, b;
    ESegmentRole role = ESegmentRole::BaseLine;
};

// A marked point with its symbol as the standards write it ("Tei", "Tp", "Tmg").
struct RMark {
    RPoint at;
    std::string label;
};

// Everything needed to draw a construction without recomputing it.
struct RDrawing {
    std::vector<RSegment> segments;
    std::vector<RMark> marks;
};

// The checks every evaluation makes before it reads a record: equal lengths, a range inside the
// record with at least aMinItems items, finite values in it and time increasing.
void CheckCurve(const TCurve& aCurve, TItemRange aRange, size_t aMinItems);

// Only the lengths and the range, for the evaluations of long records that check the values on
// the one pass they make over them.
void CheckShape(const TCurve& aCurve, TItemRange aRange, size_t aMinItems);

// EEvaluationError "В диапазоне есть недопустимые значения" for the checks made on the way.
[[noreturn]] void ThrowInvalidValues();

// A base line given per item of the range: one value for every item.
void CheckBaseLine(TItemRange aRange, std::span<const double> aBaseLine);

// The value at a fractional index, linear between items and extrapolated from the end pairs
// outside the array.
double ValueAt(std::span<const double> aValues, double aIndex);

// The point of the curve's time and temperature at aIndex with the construction's value aValue.
RPoint PointAt(const TCurve& aCurve, double aIndex, double aValue);

// The fractional index, within or beyond aRange, at which the temperature reaches aTemperature:
// the crossing nearest to aHint, or, where the range never reaches it, the straight extrapolation
// of the range's mean heating rate from its nearer end.
double IndexOfTemperature(const TCurve& aCurve, TItemRange aRange, double aTemperature, double aHint);

// The same for a time (time increases, so there is one crossing).
double IndexOfTime(const TCurve& aCurve, TItemRange aRange, double aTime);

// Heating (+1) or cooling (−1) over the range; 0 when the temperature does not change.
int TemperatureDirection(const TCurve& aCurve, TItemRange aRange);

// The mean rate of the temperature over the range, K/min (negative on cooling).
double MeanRate(const TCurve& aCurve, TItemRange aRange);

}  // namespace kalvero::evaluation
