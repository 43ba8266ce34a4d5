#include "evaluation/Fitting.h"

#include <Eigen/Dense>
#include <vector>

namespace kalvero::evaluation {

RLine FitLine(std::span<const double> aX, std::span<const double> aY, size_t aFrom, size_t aTo,
              double* aRms) {
    // Sums about the first point keep the squares small for temperatures far from zero; two sets
    // of partial sums keep the additions independent.
    const double x0 = aX[aFrom], y0 = aY[aFrom];
    double sx[2] = {0, 0}, sy[2] = {0, 0}, sxx[2] = {0, 0}, sxy[2] = {0, 0}, syy[2] = {0, 0};
    size_t i = aFrom;
    for (; i + 1 <= aTo; i += 2)
        for (size_t l = 0; l < 2; ++l) {
            const double x = aX[i + l] - x0, y = aY[i + l] - y0;
            sx[l] += x;
            sy[l] += y;
            sxx[l] += x * x;
            sxy[l] += x * y;
            syy[l] += y * y;
        }
    if (i == aTo) {
        const double x = aX[i] - x0, y = aY[i] - y0;
        sx[0] += x;
        sy[0] += y;
        sxx[0] += x * x;
        sxy[0] += x * y;
        syy[0] += y * y;
    }
    const double n = static_cast<double>(aTo - aFrom + 1);
    const double mx = (sx[0] + sx[1]) / n, my = (sy[0] + sy[1]) / n;
    const double varX = sxx[0] + sxx[1] - n * mx * mx;
    const double covXY = sxy[0] + sxy[1] - n * mx * my;
    const double varY = syy[0] + syy[1] - n * my * my;
    if (!std::isfinite(varX) || !std::isfinite(covXY) || !std::isfinite(varY)) ThrowInvalidValues();
    RLine line;
    line.slope = varX > 0 ? covXY / varX : 0.0;
    line.intercept = y0 + my - line.slope * (x0 + mx);
    if (aRms) *aRms = std::sqrt(std::max(0.0, varY - line.slope * covXY) / n);
    return line;
}

RLine TangentAt(std::span<const double> aX, std::span<const double> aY, size_t aCentre, size_t aHalf,
                size_t aLow, size_t aHigh) {
    const RLine narrow = FitLine(aX, aY, aCentre - aHalf, aCentre + aHalf);
    if (aCentre < aLow + 2 * aHalf || aCentre + 2 * aHalf > aHigh) return narrow;
    const RLine wide = FitLine(aX, aY, aCentre - 2 * aHalf, aCentre + 2 * aHalf);
    RLine tangent;
    tangent.slope = (4 * narrow.slope - wide.slope) / 3;
    // Through the narrow line's point at the centre (a window's mean has no curvature error where
    // the curve's second derivative vanishes, as at an inflection).
    const double x = aX[aCentre];
    tangent.intercept = narrow.At(x) - tangent.slope * x;
    return tangent;
}

RParabola FitParabola(std::span<const double> aX, std::span<const double> aY, size_t aFrom, size_t aTo) {
    RParabola p;
    if (aTo < aFrom + 2) return p;
    const double n = static_cast<double>(aTo - aFrom + 1);
    double mean = 0;
    for (size_t i = aFrom; i <= aTo; ++i)
        mean += aX[i];
    p.x0 = mean / n;
    // The normal equations in u = x − x0, scaled by the spread of u so that they stay well
    // conditioned, solved by Eigen's pivoted LU.
    double spread = 0;
    for (size_t i = aFrom; i <= aTo; ++i)
        spread = std::max(spread, std::abs(aX[i] - p.x0));
    if (!(spread > 0)) return p;
    double su[5] = {0, 0, 0, 0, 0}, sy[3] = {0, 0, 0};
    for (size_t i = aFrom; i <= aTo; ++i) {
        const double u = (aX[i] - p.x0) / spread, u2 = u * u;
        su[0] += 1;
        su[1] += u;
        su[2] += u2;
        su[3] += u2 * u;
        su[4] += u2 * u2;
        sy[0] += aY[i];
        sy[1] += u * aY[i];
        sy[2] += u2 * aY[i];
    }
    Eigen::Matrix3d a;
    a << su[0], su[1], su[2], su[1], su[2], su[3], su[2], su[3], su[4];
    const Eigen::Vector3d c = a.fullPivLu().solve(Eigen::Vector3d(sy[0], sy[1], sy[2]));
    p.c0 = c(0);
    p.c1 = c(1) / spread;
    p.c2 = c(2) / (spread * spread);
    return p;
}

double NoiseOfDifferences(std::vector<double> aDifferences) {
    if (aDifferences.size() < 2) return 0;
    const auto median = [](std::vector<double>& v) {
        const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), mid, v.end());
        return *mid;
    };
    const double m = median(aDifferences);
    for (double& v : aDifferences)
        v = std::abs(v - m);
    // MAD → σ for a normal distribution (1.4826), and a difference of two samples has √2 σ.
    return 1.4826 * median(aDifferences) / std::sqrt(2.0);
}

namespace {

template <bool Minus>
void SumBlocks(const double* aValues, const double* aMinus, size_t aBlocks, size_t aBlock, double* aSum,
               double* aMoment) {
    const double v0 = Minus ? aValues[0] - aMinus[0] : aValues[0];
    for (size_t b = 0; b < aBlocks; ++b) {
        const double* v = aValues + b * aBlock;
        const double* w = Minus ? aMinus + b * aBlock : nullptr;
        double s[4] = {0, 0, 0, 0}, m[4] = {0, 0, 0, 0}, place[4] = {0, 1, 2, 3};
        size_t k = 0;
        for (; k + 4 <= aBlock; k += 4)
            for (size_t l = 0; l < 4; ++l) {
                const double d = (Minus ? v[k + l] - w[k + l] : v[k + l]) - v0;
                s[l] += d;
                m[l] += place[l] * d;
                place[l] += 4;
            }
        for (; k < aBlock; ++k) {
            const double d = (Minus ? v[k] - w[k] : v[k]) - v0;
            s[0] += d;
            m[0] += static_cast<double>(k) * d;
        }
        aSum[b] = (s[0] + s[1]) + (s[2] + s[3]);
        aMoment[b] = (m[0] + m[1]) + (m[2] + m[3]);
    }
}

}  // namespace

void BlockSums(const TValues& aValues, size_t aOrigin, size_t aBlocks, size_t aBlock,
               std::vector<double>& aSum, std::vector<double>& aMoment) {
    aSum.assign(aBlocks, 0);
    aMoment.assign(aBlocks, 0);
    const double* values = aValues.values.data() + aOrigin;
    if (aValues.minus.empty())
        SumBlocks<false>(values, nullptr, aBlocks, aBlock, aSum.data(), aMoment.data());
    else
        SumBlocks<true>(values, aValues.minus.data() + (aOrigin - aValues.minusFrom), aBlocks, aBlock,
                        aSum.data(), aMoment.data());
}

double PeakOfTrace(const std::vector<RTracePoint>& aTrace, double aShare, bool* aAtEdge) {
    if (aTrace.empty()) return NAN;
    size_t best = 0;
    for (size_t k = 1; k < aTrace.size(); ++k)
        if (aTrace[k].score > aTrace[best].score) best = k;
    if (aAtEdge) *aAtEdge = best == 0 || best + 1 == aTrace.size();
    const double top = aTrace[best].score;
    const double floor = top > 0 ? aShare * top : top;
    constexpr size_t kMaxSide = 64;
    size_t lo = best, hi = best;
    while (lo > 0 && best - lo < kMaxSide && (lo == best || aTrace[lo - 1].score >= floor))
        --lo;
    while (hi + 1 < aTrace.size() && hi - best < kMaxSide && (hi == best || aTrace[hi + 1].score >= floor))
        ++hi;
    // The first step of either loop takes the nearest neighbour whatever its score; a neighbour
    // below the floor only bounds the parabola.
    if (hi - lo < 2) return static_cast<double>(aTrace[best].centre);
    std::vector<double> x, y;
    for (size_t k = lo; k <= hi; ++k) {
        x.push_back(static_cast<double>(aTrace[k].centre));
        y.push_back(aTrace[k].score);
    }
    const RParabola p = FitParabola(x, y, 0, x.size() - 1);
    const double v = p.VertexX();
    if (!(p.c2 < 0) || !(v >= x.front() && v <= x.back())) return static_cast<double>(aTrace[best].centre);
    return v;
}

size_t AutoHalfWidth(size_t aRangeCount, size_t aGiven, size_t aLimit) {
    const size_t wanted = aGiven > 0 ? aGiven : std::max<size_t>(2, aRangeCount / 64);
    const size_t fits = aLimit > 2 ? (aLimit - 1) / 2 : 1;
    return std::max<size_t>(1, std::min(wanted, fits));
}

}  // namespace kalvero::evaluation
