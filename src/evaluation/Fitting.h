#pragma once
// The numeric tools the evaluations are built of: least-squares lines and parabolas over item
// ranges, window slopes along a curve (the smoothed derivative) from block sums, the noise of a
// curve and the crossing of a line with a curve.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

// Least-squares line of y on x over items aFrom … aTo, in one pass. aRms, when given, gets the root
// mean square of the residuals. Fewer than two distinct x give slope 0 through the mean of y.
// EEvaluationError when the items hold a value that is not finite.
RLine FitLine(std::span<const double> aX, std::span<const double> aY, size_t aFrom, size_t aTo,
              double* aRms = nullptr);

// y = c0 + c1·u + c2·u² with u = x − x0 (x0 the mean x of the fit, for conditioning).
struct RParabola {
    double x0 = 0, c0 = NAN, c1 = NAN, c2 = NAN;

    double At(double aX) const { return c0 + (c1 + c2 * (aX - x0)) * (aX - x0); }
    // The x of the top (or bottom); NaN for a straight line.
    double VertexX() const { return c2 != 0 ? x0 - c1 / (2 * c2) : NAN; }
};

// The tangent to the curve y(x) at item aCentre: the least-squares line over aCentre ± aHalf,
// its slope freed of the window's curvature error by Richardson's extrapolation with the window
// twice as wide (4·s(h) − s(2h)) / 3 where that fits within aLow … aHigh (the error of a window
// slope grows with the square of its width, so the combination cancels it).
RLine TangentAt(std::span<const double> aX, std::span<const double> aY, size_t aCentre, size_t aHalf,
                size_t aLow, size_t aHigh);

// Least-squares parabola over items aFrom … aTo (at least three).
RParabola FitParabola(std::span<const double> aX, std::span<const double> aY, size_t aFrom, size_t aTo);

// The standard deviation of white noise on a curve from its first differences: their median
// absolute deviation, scaled to σ (a slow drift or a smooth peak hardly moves it).
double NoiseOfDifferences(std::vector<double> aDifferences);

// The window half-width (items) of the smoothed derivatives when none is given: a sixty-fourth
// of the range, at least 2, and small enough that a window fits within aLimit items.
size_t AutoHalfWidth(size_t aRangeCount, size_t aGiven, size_t aLimit);

// The values of a curve for the block sums: values[i], less minus[i − minusFrom] where minus is
// given (the deviation of a curve from a base line held per item of a range).
struct TValues {
    std::span<const double> values;
    std::span<const double> minus = {};
    size_t minusFrom = 0;
};

// Σ (v − v0) and Σ k·(v − v0) over each of aBlocks blocks of aBlock items from aOrigin (k the item's
// place in its block, v0 the first value): the summaries window slopes are put together from.
// Four partial sums per block keep the additions independent, so a pass runs at the speed of
// memory.
void BlockSums(const TValues& aValues, size_t aOrigin, size_t aBlocks, size_t aBlock,
               std::vector<double>& aSum, std::vector<double>& aMoment);

// A score of the window slopes of two curves at a window centre (fractional item index).
struct RTracePoint {
    double centre = 0;
    double score = -INFINITY;
};

// aScore(my, mx) along centres from about aFirst to aLast, a quarter of the half-width apart, with
// my and mx the first moments of aY and aX about the centre over about aFirst − aHalf … aLast +
// aHalf (window slopes times the same factor, so their ratio is dy/dx). The record is read once,
// in blocks; the caller keeps the windows inside the record. A trace whose sums are not finite
// (the curve holds an invalid value) raises EEvaluationError.
template <typename Score>
std::vector<RTracePoint> WindowSlopeTrace(const TValues& aY, const TValues& aX, size_t aHalf, size_t aFirst,
                                          size_t aLast, Score aScore) {
    std::vector<RTracePoint> trace;
    if (aLast < aFirst) return trace;
    const size_t block = std::max<size_t>(1, aHalf / 4);
    const size_t half = std::max<size_t>(1, aHalf / block);  // blocks either side of a centre
    const size_t origin = aFirst - half * block;
    const size_t blocks = 2 * half + (aLast - aFirst) / block;
    std::vector<double> sy, my, sx, mx;
    BlockSums(aY, origin, blocks, block, sy, my);
    BlockSums(aX, origin, blocks, block, sx, mx);
    for (size_t b = half; b + half <= blocks; ++b) {
        // The centre lies between the last item of block b − 1 and the first of block b.
        const double centre = static_cast<double>(origin + b * block) - 0.5;
        double momentY = 0, momentX = 0;
        for (size_t j = b - half; j < b + half; ++j) {
            const double offset = static_cast<double>(origin + j * block) - centre;
            momentY += my[j] + offset * sy[j];
            momentX += mx[j] + offset * sx[j];
        }
        if (!std::isfinite(momentY) || !std::isfinite(momentX)) ThrowInvalidValues();
        trace.push_back({centre, momentX != 0 ? aScore(momentY, momentX) : -INFINITY});
    }
    return trace;
}

// The centre of a trace's largest score, between samples: the top of the least-squares parabola
// through the samples around the largest that score at least aShare of it (noise moves a single
// largest sample far more than the top of the whole hump). aAtEdge tells a largest score at either
// end of the trace, where the hump may go on beyond it.
double PeakOfTrace(const std::vector<RTracePoint>& aTrace, double aShare, bool* aAtEdge = nullptr);

// The first sign change of curve − line (aDifference(i)) from item aStart towards aStop (either
// direction): the fractional index where the line meets the curve, or NaN when it does not.
template <typename Difference>
double FirstCrossing(Difference aDifference, size_t aStart, size_t aStop) {
    const int step = aStop >= aStart ? 1 : -1;
    double previous = aDifference(aStart);
    if (previous == 0) return static_cast<double>(aStart);
    for (size_t i = aStart; i != aStop;) {
        const size_t next = static_cast<size_t>(static_cast<std::ptrdiff_t>(i) + step);
        const double d = aDifference(next);
        if (d == 0) return static_cast<double>(next);
        if ((d > 0) != (previous > 0)) return static_cast<double>(i) + step * (previous / (previous - d));
        previous = d;
        i = next;
    }
    return NAN;
}

// The crossing of curve − line (aDifference(i)) nearest to aCentre within aLow … aHigh, looking
// on both sides alternately so that the search stops at the nearest one; NaN when none.
template <typename Difference>
double NearestCrossing(Difference aDifference, size_t aCentre, size_t aLow, size_t aHigh) {
    const auto between = [&](size_t k) -> double {
        const double a = aDifference(k), b = aDifference(k + 1);
        if (a == 0) return static_cast<double>(k);
        if ((a > 0) == (b > 0) && b != 0) return NAN;
        return static_cast<double>(k) + a / (a - b);
    };
    for (size_t step = 0;; ++step) {
        const bool right = aCentre + step + 1 <= aHigh;
        const bool left = aCentre >= aLow + step + 1;
        if (!right && !left) return NAN;
        if (right) {
            const double x = between(aCentre + step);
            if (std::isfinite(x)) return x;
        }
        if (left) {
            const double x = between(aCentre - step - 1);
            if (std::isfinite(x)) return x;
        }
    }
}

}  // namespace kalvero::evaluation
