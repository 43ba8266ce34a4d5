#pragma once
// Internal to processing: the smoothing and derivative algorithms written once against a sample
// view (SampleView.h), shared by the exported routines and by peak detection, which runs them on
// contiguous scratch copies of the work channels.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/MathProcs.h"
#include "common/UiHooks.h"
#include "processing/SampleView.h"

namespace kalvero::processing {

// Window of the moving average and the median: points x0 from aStartX advance by half of
// aSmoothStep; the window holds up to aWindowDotCount samples aWindowDotsStep apart around x0.
struct TWindowParams {
    int64_t start = 0, end = 0;  // x0 runs over start … end − 1
    int64_t dotCount = 0, dotsStep = 0, smoothStep = 0;
};

// Calls aApply(x0, oldX0, wndX1, actualBufLen) for every window that holds samples. A zero count
// or dot step gives no window at all.
template <typename Apply>
void ForEachWindow(const TWindowParams& p, int64_t aCount, Apply aApply) {
    if (p.dotCount <= 0 || p.dotsStep <= 0 || aCount <= 0) return;
    const int64_t high = aCount - 1;
    const int64_t start = std::max<int64_t>(0, p.start);
    const int64_t end = std::min(p.end, aCount);
    const int64_t half = p.dotsStep * p.dotCount / 2;
    const int64_t advance = std::max<int64_t>(1, p.smoothStep / 2);
    const double dotsStep = static_cast<double>(p.dotsStep);
    const auto samples = [&](int64_t aSpan) {
        return std::min<int64_t>(RoundInRange(static_cast<double>(aSpan) / dotsStep), p.dotCount);
    };
    const int64_t fullLen = samples(2 * half);  // a window the record does not clip
    int64_t x0 = start, oldX0 = start;
    while (x0 < end) {
        const int64_t wndX1 = std::max<int64_t>(0, x0 - half);
        const int64_t wndX2 = std::min(high, x0 + half);
        const int64_t len = wndX2 - wndX1 == 2 * half ? fullLen : samples(wndX2 - wndX1);
        // An empty window (a one-item record) has no average: the samples stay as they are.
        if (len > 0) aApply(x0, oldX0, wndX1, len);
        // The line never starts left of the range: samples before it are not the caller's.
        oldX0 = std::max(start, x0 - p.smoothStep / 2);
        x0 += advance;
    }
}

template <typename View>
void AverageSmoothCore(const View& v, const TWindowParams& p) {
    if (p.dotsStep != 1) {
        ForEachWindow(p, v.Count(), [&](int64_t x0, int64_t oldX0, int64_t wndX1, int64_t len) {
            int64_t sum = 0;  // 64 bits: a window of 32-bit readings must not overflow
            for (int64_t k = 0, i = wndX1; k < len; ++k, i += p.dotsStep)
                sum += v[i];
            InterpolateRun(v, oldX0, x0, static_cast<int32_t>(sum / len));
        });
        return;
    }
    // Adjacent windows: the sum of the previous window is slid along and kept up to date with
    // every item the lines rewrite inside it, instead of being summed afresh.
    int64_t sum = 0, sumX1 = 0, sumLen = 0;
    ForEachWindow(p, v.Count(), [&](int64_t x0, int64_t oldX0, int64_t wndX1, int64_t len) {
        if (sumLen == len && wndX1 >= sumX1 && wndX1 - sumX1 < len) {
            for (int64_t i = sumX1; i < wndX1; ++i)
                sum -= v[i];
            for (int64_t i = sumX1 + len; i < wndX1 + len; ++i)
                sum += v[i];
        } else {
            sum = 0;
            for (int64_t i = wndX1; i < wndX1 + len; ++i)
                sum += v[i];
        }
        sumX1 = wndX1, sumLen = len;
        const auto average = static_cast<int32_t>(sum / len);
        const auto written = [&](int64_t j, int32_t aOld, int32_t aNew) {
            if (j >= sumX1 && j < sumX1 + sumLen) sum += static_cast<int64_t>(aNew) - aOld;
        };
        if (x0 == oldX0 + 1) {
            // A line over two items ends on the average itself: the common case, kept short.
            written(x0, v[x0], average);
            v[x0] = average;
        } else {
            InterpolateRun(v, oldX0, x0, average, written);
        }
    });
}

template <typename View, typename BufferView>
void MedianSmoothCore(const View& v, const BufferView& buffer, const TWindowParams& p) {
    std::vector<int32_t> window(static_cast<size_t>(std::max<int64_t>(0, p.dotCount)));
    const int64_t count = std::min(v.Count(), buffer.Count());
    ForEachWindow(p, count, [&](int64_t x0, int64_t oldX0, int64_t wndX1, int64_t len) {
        for (int64_t k = 0, i = wndX1; k < len; ++k, i += p.dotsStep)
            window[k] = buffer[i];
        // The middle entry of the sorted window; only its place needs sorting.
        auto middle = window.begin() + len / 2;
        std::nth_element(window.begin(), middle, window.begin() + len);
        InterpolateRun(v, oldX0, x0, *middle);
    });
}

// Bernstein weights of one parameter, nonzero only from index `first` on.
struct TBernsteinRow {
    int first = 0;
    std::vector<long double> weights;
};

// Weights of the degree-aDegree Bernstein basis at t (aDegree + 1 entries), without overflow.
void BernsteinWeights(int aDegree, long double t, std::vector<long double>& aWeights);
// The rows BezieSmooth evaluates: parameters 0, 1/n, 2/n … (n − 10)/n accumulated in a 32-bit
// float as the curve is walked, for n = aPower control points. Empty below 10 points. Valid until
// the same thread asks for other powers.
const std::vector<TBernsteinRow>& BezierSmoothRows(int aPower);

template <typename View>
void BezieSmoothCore(const View& v, int64_t aX1, int64_t aX2, int aPower, int aStep,
                     const std::vector<TBernsteinRow>& aRows, TUiHooks* aBar) {
    const int64_t count = v.Count();
    // Ten control points give one row, at parameter 0, where the curve is its first control point:
    // every window rewrites its first item with its own value.
    if (aRows.size() <= 1 || aStep <= 0 || count <= 0) return;
    const int64_t x1 = std::max<int64_t>(0, aX1);
    const int64_t x2 = std::min(aX2, count - 1);
    if (x2 - x1 <= 1) return;
    const int64_t high = count - 1;
    if (aBar) aBar->ProgressStart("", static_cast<int>(std::min<int64_t>(x2 - x1, INT32_MAX)));
    const int64_t width = static_cast<int64_t>(aPower) * aStep;
    const int64_t advance = width - width / 2;
    std::vector<long double> control(static_cast<size_t>(aPower));
    // Only the control points some weight reaches are read.
    int usedFirst = aPower, usedEnd = 0;
    for (const TBernsteinRow& row : aRows) {
        usedFirst = std::min(usedFirst, row.first);
        usedEnd = std::max(usedEnd, row.first + static_cast<int>(row.weights.size()));
    }
    int64_t segmentStart = x1, segmentEnd = x1 + width;
    do {
        for (int i = usedFirst; i < usedEnd; ++i)
            control[i] = v[std::min(i * static_cast<int64_t>(aStep) + segmentStart, high)];
        int64_t oldIdx = segmentStart;
        for (size_t i = 0; i < aRows.size(); ++i) {
            const int64_t idx = std::min(static_cast<int64_t>(i) * aStep + segmentStart, high);
            if (idx > x2) break;  // the curve's tail beyond the range is not the caller's
            const TBernsteinRow& row = aRows[i];
            long double sum = 0;
            for (size_t j = 0; j < row.weights.size(); ++j)
                sum += row.weights[j] * control[row.first + j];
            v[idx] = RoundToInt32(static_cast<double>(sum));
            InterpolateRun(v, oldIdx, idx, v[idx]);
            oldIdx = idx;
        }
        segmentStart += advance;
        segmentEnd += advance;
        if (aBar) aBar->ProgressStep(static_cast<int>(std::min<int64_t>(segmentStart - x1, INT32_MAX)));
        if (segmentEnd > x2) segmentEnd = x2;
    } while (segmentEnd < x2 - 1);
    if (aBar) aBar->ProgressFinish();
}

// Index aX clipped to the record, computed without integer overflow.
inline int64_t ClipIndex(long double aX, int64_t aCount) {
    if (aX <= 0) return 0;
    if (aX >= static_cast<long double>(aCount - 1)) return aCount - 1;
    return static_cast<int64_t>(aX);
}

// Round(x) for the positions of Derivat: ties to even, std::out_of_range beyond 64 bits.
inline long double RoundPosition(long double x) {
    return static_cast<long double>(Round(static_cast<double>(x)));
}

// The seven-point difference of Derivat at a real position.
template <typename View>
long double DerivatCore(const View& v, long double aX0, long double aRange) {
    const int64_t count = v.Count();
    if (count <= 0) return 0;
    const long double lo = aRange, hi = static_cast<long double>(count) - aRange - 1;
    const long double x0 = RoundPosition(aX0 < lo ? lo : std::min(std::max(lo, hi), aX0));
    const long double incr = RoundPosition(std::max(aRange, 3.0L) / 3);
    int64_t d[4] = {};
    for (int k = 1; k <= 3; ++k) {
        d[k] = static_cast<int64_t>(v[ClipIndex(x0 + k * incr, count)]) - v[ClipIndex(x0 - k * incr, count)];
    }
    // 64-bit products: the bracket of 32-bit differences cannot overflow them.
    return static_cast<long double>(45 * (d[1] - 9 * d[2] + d[3])) / 60;
}

// Round(45·m / 60) = Round(3m / 4), ties to even, in integers; std::out_of_range beyond 32 bits.
inline int32_t RoundThreeQuarters(int64_t m) {
    const int64_t q = 3 * m;
    int64_t r = q >> 2;  // floor
    const int64_t rest = q & 3;
    if (rest == 3 || (rest == 2 && (r & 1) != 0)) ++r;
    if (r < INT32_MIN || r > INT32_MAX)
        throw std::out_of_range("Cannot round " + std::to_string(r) + " to a 32-bit integer");
    return static_cast<int32_t>(r);
}

// dst[k] = Round(Derivat(src, k, aRange)) for k = aFrom … aTo, clipped to both views.
template <typename SrcView, typename DstView>
void DerivativePass(const SrcView& src, const DstView& dst, int64_t aFrom, int64_t aTo, long double aRange) {
    const int64_t count = std::min(src.Count(), dst.Count());
    const int64_t from = std::max<int64_t>(0, aFrom), to = std::min(aTo, count - 1);
    if (from > to) return;
    const auto incr = static_cast<int64_t>(
        std::min(RoundPosition(std::max(aRange, 3.0L) / 3), static_cast<long double>(count)));
    // Inside this stretch no position is clipped and no read leaves the record: the difference
    // is taken directly.
    const long double span = static_cast<long double>(count);
    const long double range = std::clamp(aRange, -span, span);
    const int64_t safeLo = std::max<int64_t>(3 * incr, static_cast<int64_t>(std::ceil(range)));
    const int64_t safeHi =
        std::min<int64_t>(count - 1 - 3 * incr, static_cast<int64_t>(std::floor(span - range - 1)));
    for (int64_t k = from; k <= to; ++k) {
        if (k >= safeLo && k <= safeHi) {
            const int64_t d1 = static_cast<int64_t>(src[k + incr]) - src[k - incr];
            const int64_t d2 = static_cast<int64_t>(src[k + 2 * incr]) - src[k - 2 * incr];
            const int64_t d3 = static_cast<int64_t>(src[k + 3 * incr]) - src[k - 3 * incr];
            dst[k] = RoundThreeQuarters(d1 - 9 * d2 + d3);
        } else {
            dst[k] = RoundToInt32(static_cast<double>(DerivatCore(src, static_cast<long double>(k), aRange)));
        }
    }
}

}  // namespace kalvero::processing
