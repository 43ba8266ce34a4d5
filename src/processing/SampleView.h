#pragma once
// Internal to the numeric routines: one value field of one channel of an item array seen as a
// plain sequence, and the rounding they all share. The routines are written once against these
// views, so the same code runs on the experiment's arrays and on contiguous scratch buffers.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "data/ItemArray.h"

namespace kalvero::processing {

// Field t or dt of channel aChannel of every item.
class TItemView {
public:
    TItemView(TItemArray& aItems, int aChannel, bool aForT)
        : fBase(CheckedBase(aItems, aChannel)),
          fStride(aItems.ChannelCount()),
          fCount(static_cast<int64_t>(aItems.ItemCount())),
          fField(aForT ? &TItem::t : &TItem::dt) {}

    int64_t Count() const { return fCount; }
    int32_t& operator[](int64_t i) const { return fBase[static_cast<size_t>(i) * fStride].*fField; }

private:
    static TItem* CheckedBase(TItemArray& aItems, int aChannel) {
        if (aChannel < 0 || static_cast<size_t>(aChannel) >= aItems.ChannelCount()) {
            throw std::out_of_range("Channel " + std::to_string(aChannel) + " does not exist");
        }
        return aItems.Data() ? aItems.Data() + aChannel : nullptr;
    }

    TItem* fBase;
    size_t fStride;
    int64_t fCount;
    int32_t TItem::*fField;
};

// A contiguous buffer of readings.
class TBufferView {
public:
    TBufferView(int32_t* aData, int64_t aCount) : fData(aData), fCount(aCount) {}
    int64_t Count() const { return fCount; }
    int32_t& operator[](int64_t i) const { return fData[i]; }

private:
    int32_t* fData;
    int64_t fCount;
};

// Nearest integer, ties to even, for a value already known to lie in the 32-bit range.
inline int32_t RoundInRange(double v) {
    auto i = static_cast<int64_t>(v);
    if (v < static_cast<double>(i)) --i;  // floor
    const double d = v - static_cast<double>(i);
    if (d > 0.5 || (d == 0.5 && (i & 1) != 0)) ++i;
    return static_cast<int32_t>(i);
}

// Nearest integer, ties to even; std::out_of_range when the result does not fit 32 bits.
inline int32_t RoundToInt32(double v) {
    if (!(v >= -2147483648.5 && v < 2147483647.5)) {
        throw std::out_of_range("Cannot round " + std::to_string(v) + " to a 32-bit integer");
    }
    return RoundInRange(v);
}

// The straight line through (x1, y1) and (x2, y2) at x; y1 when x1 = x2 or y1 = y2. The same
// arithmetic as LineInterp, kept inline for the per-sample loops.
inline double Interp(double x1, double y1, double x2, double y2, double x) {
    if (x1 == x2 || y1 == y2) return y1;
    return y1 + (x - x1) * (y2 - y1) / (x2 - x1);
}

// Rewrites samples aFrom … aTo with the straight line from the current value at aFrom to aValue
// at aTo. Both ends are 32-bit readings, so every interpolated value is one too.
// The line gives exactly y1 at aFrom, and exactly y2 at aTo while (x2 − x1)·(y2 − y1) stays
// below 2^53 (integer products and quotients are exact there): those ends are not computed.
// aWritten(j, old, new) is told of every item rewritten.
template <typename View, typename Written>
void InterpolateRun(const View& v, int64_t aFrom, int64_t aTo, int32_t aValue, Written aWritten) {
    if (aTo <= aFrom) return;  // a one-item line keeps its value
    const double x1 = static_cast<double>(aFrom), x2 = static_cast<double>(aTo);
    const double y1 = v[aFrom], y2 = aValue;
    const bool exactEnd = (x2 - x1) * std::fabs(y2 - y1) < 9007199254740992.0;
    const int64_t last = exactEnd ? aTo - 1 : aTo;
    for (int64_t j = aFrom + 1; j <= last; ++j) {
        const int32_t value = RoundInRange(Interp(x1, y1, x2, y2, static_cast<double>(j)));
        aWritten(j, v[j], value);
        v[j] = value;
    }
    if (exactEnd) {
        aWritten(aTo, v[aTo], aValue);
        v[aTo] = aValue;
    }
}

template <typename View>
void InterpolateRun(const View& v, int64_t aFrom, int64_t aTo, int32_t aValue) {
    InterpolateRun(v, aFrom, aTo, aValue, [](int64_t, int32_t, int32_t) {});
}

}  // namespace kalvero::processing
