#pragma once
// The fill methods that the differential-temperature and heat tables share: the polynomial
// through the points, the least-squares straight line and the Bézier curve of control values.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "processing/Polynomial.h"

namespace kalvero {

// "Калибровочные точки с одинаковой температурой (T) недопустимы для интерполяции полиномом".
std::string DuplicateTemperatureMessage(int32_t aTemperature);
// The range error of a table whose whole-degree range is negative or too long.
std::string BadTemperatureRangeMessage(int64_t aBegTemp, int64_t aEndTemp);
// Longest table, in whole degrees (64 MB of entries).
inline constexpr int64_t MAX_TABLE_ENTRIES = int64_t{1} << 24;
// Most points the polynomial and the Bézier curve take: a polynomial through more would need
// powers beyond 127, and the curve is evaluated at every degree of the table.
inline constexpr int MAX_CURVE_POINTS = 128;
// ECalibrationException when aCount exceeds MAX_CURVE_POINTS.
void CheckCurvePointCount(int aCount);

// A polynomial evaluated by Horner's rule on its collected powers: the table fills run it at
// every degree of the table, so its cost must not grow with the square of the degree.
class TPolynomValues {
public:
    explicit TPolynomValues(const TPolynom& aPolynom);
    long double operator()(long double x) const;

private:
    std::vector<long double> fCoeffs;  // fCoeffs[p] for x^p; powers of 0 and below are in [0]
};

// Slope a and intercept b of the least-squares line y = a·x + b. Fewer than two points is
// ERefPoinsCount; points that all share x are ECalibrationException (the line would be vertical).
void FitLine(const TXYPoints& aPoints, long double& a, long double& b);

// The Bézier curve of the control values at t in [0, 1], in Bernstein form evaluated by Horner's
// rule from the nearer end (linear in the number of values). No values: 0.
long double BezierValue(const std::vector<int32_t>& aControl, long double t);

}  // namespace kalvero
