#pragma once
// Internal to peak detection: the scans of a derivative curve and the base-line construction,
// written once against a sample view (SampleView.h) so that detection runs them on contiguous
// copies of the work channels and the exported routines on the work channels themselves.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "processing/SampleView.h"

namespace kalvero::processing {

// Levels are compared with the magnitude of 32-bit readings, exactly, in doubles.
template <typename View>
double Magnitude(const View& v, int64_t i) {
    return std::fabs(static_cast<double>(v[i]));
}

// A run of more than aDuration items with |v| < aValue; aResult the item that makes it long enough.
template <typename View>
bool FindQuietRun(const View& v, int64_t aStart, int64_t aEnd, int64_t aDuration, double aValue,
                  int& aResult) {
    if (aValue == 0) return false;
    const int64_t end = std::min(aEnd, v.Count());
    int64_t i = std::max<int64_t>(0, aStart);
    while (i < end) {
        if (Magnitude(v, i) < aValue) {
            const int64_t oldI = i;
            while (Magnitude(v, i) < aValue) {
                ++i;
                if (i >= end) return false;
                if (i - oldI > aDuration) {
                    aResult = static_cast<int>(i);
                    return true;
                }
            }
        }
        ++i;  // past the item that ended the run
    }
    return false;
}

// aSign: 1 only v >= 1, -1 only v < 0, 0 either.
template <typename View>
bool FindExcursion(const View& v, int64_t aStart, int64_t aEnd, double aLow, double aHigh, int aSign,
                   int& aResHigh, int& aResLow, bool& aResPositive) {
    if (aStart >= aEnd) return false;
    const int64_t end = std::min(aEnd, v.Count());
    const double high = std::fabs(aHigh), low = std::fabs(aLow);
    const auto signFits = [aSign](int32_t x) { return aSign == 0 || (aSign > 0 ? x >= 1 : x < 0); };
    int64_t i = std::max<int64_t>(0, aStart);
    while (i < end && !(Magnitude(v, i) > high && signFits(v[i])))
        ++i;
    if (i >= end) return false;
    const int64_t resHigh = i;
    while (Magnitude(v, i) > low) {
        if (--i < aStart || i < 0) return false;
    }
    aResHigh = static_cast<int>(resHigh);
    aResLow = static_cast<int>(i);
    aResPositive = aSign == 0 ? v[resHigh] > 0 : aSign > 0;
    return true;
}

template <typename View>
bool FindBelow(const View& v, int64_t aStart, int64_t aEnd, double aValue, int& aResult) {
    const int64_t end = std::min(aEnd, v.Count());
    for (int64_t i = std::max<int64_t>(0, aStart); i < end; ++i) {
        if (Magnitude(v, i) < aValue) {
            aResult = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

// The item of largest |v| among v < 0 (aNegative) or v >= 0; the first of equals wins.
template <typename View>
bool FindLargest(const View& v, int64_t aStart, int64_t aEnd, bool aNegative, int& aResult) {
    const int64_t end = std::min(aEnd, v.Count());
    bool found = false;
    int64_t largest = -1;
    for (int64_t i = std::max<int64_t>(0, aStart); i < end; ++i) {
        const int32_t x = v[i];
        if (aNegative ? x >= 0 : x < 0) continue;
        const int64_t magnitude = std::llabs(static_cast<int64_t>(x));
        if (magnitude > largest) {
            largest = magnitude;
            aResult = static_cast<int>(i);
            found = true;
        }
    }
    return found;
}

// The base line: aBase (a copy of the smoothed curve aCurve) gets a straight chord over every
// thermal effect, recognised on the first derivative aFirst as a swing beyond aLimit to one side
// followed by a swing to the other, from the last quiet item (|aFirst| within aLevel) before the
// first swing to the first quiet item after the second. A swing after which the curve stays
// quiet for more than twice as long as the swing took is a step of the base line (the heater
// switched on, a glass transition), not the rise of an effect: it gets no chord, which would pair
// it with the flank of whatever effect comes next. aQuiet: the items a quiet stretch must
// exceed. Whether any chord was laid.
template <typename CurveView, typename FirstView, typename BaseView>
bool LayBaseLine(const CurveView& aCurve, const FirstView& aFirst, const BaseView& aBase, int aStart,
                 int aEnd, double aLimit, double aLevel, int64_t aQuiet) {
    int p = aStart;
    if (p > aEnd) return false;
    bool result = false;
    do {
        if (!FindQuietRun(aFirst, p, aEnd, aQuiet, aLevel, p)) return result;
        int high = 0, low = 0;
        bool firstPositive = false, secondPositive = false;
        if (!FindExcursion(aFirst, p, aEnd, aLevel, aLimit, 0, high, p, firstPositive)) return result;
        const int x1 = p;
        int swingEnd = 0;
        if (!FindBelow(aFirst, high, aEnd, aLevel, swingEnd)) return result;
        if (!FindExcursion(aFirst, p, aEnd, aLevel, aLimit, firstPositive ? -1 : 1, p, low, secondPositive)) {
            return result;
        }
        if (low - swingEnd > 2 * (swingEnd - x1)) {
            p = swingEnd;
            continue;
        }
        if (!FindBelow(aFirst, p, aEnd, aLevel, p)) return result;
        const int x2 = p;
        const double y1 = aCurve[x1], y2 = aCurve[x2];
        for (int i = x1; i <= x2; ++i)
            aBase[i] = RoundInRange(Interp(x1, y1, x2, y2, i));
        result = true;
    } while (p <= aEnd);
    return result;
}

}  // namespace kalvero::processing
