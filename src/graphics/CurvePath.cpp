// Curves reduced to what the pixels can show.

#include "graphics/CurvePath.h"

#include <algorithm>
#include <cmath>

#include "graphics/PlotSupport.h"

namespace kalvero {
namespace {

constexpr double kPixelLimit = 1e9;

inline int Pixel(double v) {
    return static_cast<int>(std::lrint(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

// The scale of one channel's curve in the current mode, as fast per-sample functions that agree
// with GetScaledX / GetScaledY / GetScaledYr.
struct TCurveScale {
    const TDataClass& d;
    int channel;
    bool tempX, tCurve, tDegrees, dtDegrees;
    double begX, kx, begY, ky;
    int gh;

    TCurveScale(const TDataClass& aData, int aChannel)
        : d(aData),
          channel(aChannel),
          tempX(IsTempXMode(aData.mode)),
          tCurve(IsTCurveMode(aData.mode)),
          tDegrees(aData.tempScale == tsDegrees),
          dtDegrees(aData.diffTempScale == dtsDegrees),
          begX(aData.begXSel),
          kx(static_cast<double>(aData.koeff_x)),
          gh(aData.graphicHeight) {
        const bool degrees = tCurve ? tDegrees : dtDegrees;
        begY = degrees ? static_cast<double>(aData.begYr) : aData.begYSel;
        ky = static_cast<double>(degrees ? aData.koeff_yr : aData.koeff_y);
    }
    int X(int i) const {
        const TItem& s = d.items[i][channel];
        const double x = tempX ? (tDegrees ? static_cast<double>(s.tc) : s.t) : i;
        return Pixel((x - begX) * kx);
    }
    double Value(int i) const {
        const TItem& s = d.items[i][channel];
        if (tCurve) return tDegrees ? static_cast<double>(s.tc) : s.t;
        return dtDegrees ? static_cast<double>(s.dtc) : s.dt;
    }
    int Y(double v) const { return gh - Pixel((v - begY) * ky); }
};

void Append(TPoints& aPoints, int x, int y) {
    if (aPoints.empty() || aPoints.back().x != x || aPoints.back().y != y) aPoints.push_back({x, y});
}

// The first item after aFrom that falls into another pixel column (time on x, growing scale).
int ColumnEnd(const TCurveScale& s, int aFrom, int aLast) {
    const int column = s.X(aFrom);
    int64_t i = static_cast<int64_t>(std::floor(s.begX + (column + 0.5) / s.kx));
    i = std::clamp<int64_t>(i, int64_t{aFrom} + 1, int64_t{aLast} + 1);
    while (i > aFrom + 1 && s.X(static_cast<int>(i - 1)) != column)
        --i;
    while (i <= aLast && s.X(static_cast<int>(i)) == column)
        ++i;
    return static_cast<int>(i);
}

// Per pixel column of items aFirst … aLast: the first, lowest, highest and last value. With time
// on x the columns are runs of items found from the scale, and only the values are read.
template <typename T>
void ColumnExtremes(const TCurveScale& s, int aFirst, int aLast, T TItem::*aField, TPoints& aPoints) {
    const size_t stride = static_cast<size_t>(s.d.GetChannelCount());
    const TItem* base = s.d.items[0] + s.channel;
    auto flush = [&](int column, double first, double low, double high, double last) {
        Append(aPoints, column, s.Y(first));
        Append(aPoints, column, s.Y(low));
        Append(aPoints, column, s.Y(high));
        Append(aPoints, column, s.Y(last));
    };
    if (!s.tempX && s.kx > 0) {
        for (int i = aFirst; i <= aLast;) {
            const int end = ColumnEnd(s, i, aLast);
            const TItem* p = base + static_cast<size_t>(i) * stride;
            T low = p->*aField, high = low;
            for (int k = i + 1; k < end; ++k) {
                p += stride;
                const T v = p->*aField;
                low = v < low ? v : low;
                high = v > high ? v : high;
            }
            flush(s.X(i), (base + static_cast<size_t>(i) * stride)->*aField, low, high, p->*aField);
            i = end;
        }
        return;
    }
    int column = s.X(aFirst);
    double first = s.Value(aFirst), low = first, high = first, last = first;
    for (int i = aFirst + 1; i <= aLast; ++i) {
        const int x = s.X(i);
        const double v = s.Value(i);
        if (x == column) {
            low = std::min(low, v), high = std::max(high, v), last = v;
            continue;
        }
        flush(column, first, low, high, last);
        column = x, first = low = high = last = v;
    }
    flush(column, first, low, high, last);
}

// Items aFirst … aLast as graph points: every sample, or per pixel column its first, lowest,
// highest and last value.
TPoints CurveScalePoints(const TCurveScale& s, int aFirst, int aLast, bool aOptimize) {
    TPoints points;
    if (aLast < aFirst) return points;
    if (!aOptimize) {
        points.reserve(static_cast<size_t>(aLast - aFirst) + 1);
        for (int i = aFirst; i <= aLast; ++i)
            Append(points, s.X(i), s.Y(s.Value(i)));
        return points;
    }
    if (s.tCurve) {
        if (s.tDegrees)
            ColumnExtremes(s, aFirst, aLast, &TItem::tc, points);
        else
            ColumnExtremes(s, aFirst, aLast, &TItem::t, points);
    } else {
        if (s.dtDegrees)
            ColumnExtremes(s, aFirst, aLast, &TItem::dtc, points);
        else
            ColumnExtremes(s, aFirst, aLast, &TItem::dt, points);
    }
    return points;
}

}  // namespace

TPoints CurvePoints(const TDataClass& aData, int aChannel, int aFirst, int aLast, bool aOptimize) {
    return CurveScalePoints(TCurveScale(aData, aChannel), aFirst, aLast, aOptimize);
}

}  // namespace kalvero
