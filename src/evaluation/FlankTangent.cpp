#include "evaluation/FlankTangent.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero {

TFlankTangent FlankTangentOf(const TDataClass& d, const TPeak& p, bool aTrailing) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    TFlankTangent t{kNaN, p.top, 0, 0};
    const int last = d.GetItemCount() - 1;
    const int from = std::clamp(aTrailing ? p.top : p.begX, 0, std::max(0, last));
    const int to = std::clamp(aTrailing ? p.endX : p.top, 0, std::max(0, last));
    if (to - from < 4) return t;
    const int w = std::max(2, (to - from) / 20);
    const auto y = [&d](int i) { return static_cast<double>(d.items[i][0].dt); };
    double steepest = 0;
    for (int i = from + w; i <= to - w; ++i) {
        const double slope = std::fabs(y(i + w) - y(i - w));
        if (slope > steepest) steepest = slope, t.steepest = i;
    }
    if (steepest == 0) return t;
    // Least squares over the reach around the steepest point.
    const int a = std::max(from, t.steepest - w), b = std::min(to, t.steepest + w);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = b - a + 1;
    for (int i = a; i <= b; ++i) {
        const double x = i - t.steepest;
        sx += x, sy += y(i), sxx += x * x, sxy += x * y(i);
    }
    const double den = n * sxx - sx * sx;
    if (den == 0) return t;
    t.slope = (n * sxy - sx * sy) / den;
    t.intercept = (sy - t.slope * sx) / n - t.slope * t.steepest;
    // The base line through its two ends.
    const TCoordPoint& b0 = p.cutLines.at(PEAK_LINE_BASE).points.at(0);
    const TCoordPoint& b1 = p.cutLines.at(PEAK_LINE_BASE).points.at(1);
    const double baseSlope = b1.x == b0.x ? 0 : (static_cast<double>(b1.y) - b0.y) / (b1.x - b0.x);
    const double baseIntercept = b0.y - baseSlope * b0.x;
    if (std::fabs(t.slope - baseSlope) < 1e-12) return t;
    const double x = (baseIntercept - t.intercept) / (t.slope - baseSlope);
    // Beyond the peak's margins the crossing is no construction of this peak.
    if (x >= p.begX - (p.endX - p.begX) && x <= p.endX + (p.endX - p.begX)) t.crossing = x;
    return t;
}

}  // namespace kalvero
