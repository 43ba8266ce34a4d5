#include "processing/RangeEdits.h"

#include <algorithm>
#include <utility>

#include "common/MathProcs.h"
#include "processing/MathUtils.h"
#include "processing/PeakUtils.h"

namespace kalvero {
namespace {

// aX1 … aX2 ordered and clipped into the record; false when the record is empty.
bool ClipRange(const TDataClass& d, int& aX1, int& aX2) {
    if (d.GetItemCount() == 0) return false;
    if (aX1 > aX2) std::swap(aX1, aX2);
    aX1 = d.ClipItemIndex(aX1);
    aX2 = d.ClipItemIndex(aX2);
    return true;
}

int32_t& Reading(TItem& s, bool aForT) {
    return aForT ? s.t : s.dt;
}

void Finish(TDataClass& d, int aChannel, TPeakUtils* aPeaks) {
    if (aPeaks) aPeaks->CalcPeaks();
    d.FillTempValues(aChannel);
    d.fHasUnsavedChanges = true;
}

// Average smoothing of both readings of one channel of an item array.
void AverageBoth(TItemArray& aItems, int aChannel, int aX1, int aX2, int aCount, int aDotStep, int aStep) {
    AverageSmooth(aItems, aChannel, aX1, aX2, aCount, aDotStep, aStep, false);
    AverageSmooth(aItems, aChannel, aX1, aX2, aCount, aDotStep, aStep, true);
}

void DerivatBoth(TItemArray& aItems, int aFrom, int aTo, int aX1, int aX2, long double aRange) {
    DerivatRange(aItems, aFrom, aItems, aTo, aX1, aX2, aRange, false);
    DerivatRange(aItems, aFrom, aItems, aTo, aX1, aX2, aRange, true);
}

// Channel 0 copied to work channel 0 and the work channels aFirst … aLast cleared, so that a
// derivative channel holds nothing but the stretch it was computed on.
void PrepareWorkChannels(TDataClass& d, int aFirst, int aLast) {
    d.CopyToWorkChannel(0, WORKCHANNEL_BASE_CURVE);
    for (int w = aFirst; w <= aLast; ++w)
        d.ClearWorkChannel(w);
}

int NewChannelFromWork(TDataClass& d, const char* aName, int aWorkChannel) {
    const int channel = d.CreateCannel(aName, CHANNEL_TYPE_PERMANENT) - 1;
    d.CopyFromWorkChannel(aWorkChannel, channel);
    return channel;
}

}  // namespace

void LineInterpolation(TDataClass& d, int aX1, int aX2, bool aForT, TPeakUtils* aPeaks) {
    if (!ClipRange(d, aX1, aX2)) return;
    const double y1 = Reading(d.items[aX1][0], aForT), y2 = Reading(d.items[aX2][0], aForT);
    for (int i = aX1 + 1; i < aX2; ++i)
        Reading(d.items[i][0], aForT) = static_cast<int32_t>(Round(LineInterp(aX1, y1, aX2, y2, i)));
    Finish(d, 0, aPeaks);
}

void SmoothRange(TDataClass& d, TSmoothKind aKind, int aX1, int aX2, bool aForT, TPeakUtils* aPeaks,
                 TUiHooks* aBar) {
    if (!ClipRange(d, aX1, aX2)) return;
    const TAppConfig& c = DataConfig();
    switch (aKind) {
        case TSmoothKind::skAverage:
            AverageSmooth(d.items, 0, aX1, aX2, c.smoothDotCount, c.smoothDotStep, c.smoothStep, aForT);
            break;
        case TSmoothKind::skMedian:
            d.CopyToWorkChannel(0, WORKCHANNEL_BASE_CURVE);
            MedianSmooth(d.items, 0, d.workItems, WORKCHANNEL_BASE_CURVE, aX1, aX2, c.smoothDotCount,
                         c.smoothDotStep, c.smoothStep, aForT);
            break;
        case TSmoothKind::skBezier:
            BezieSmooth(d.items, 0, aX1, aX2, aForT, c.bezieSmoothPower, c.smoothStep, aBar);
            break;
    }
    Finish(d, 0, aPeaks);
}

int AddFirstDerivativeChannel(TDataClass& d, int aX1, int aX2) {
    if (!ClipRange(d, aX1, aX2)) return -1;
    PrepareWorkChannels(d, WORKCHANNEL_FIRST_DERIVATIVE, WORKCHANNEL_FIRST_DERIVATIVE);
    DerivatBoth(d.workItems, WORKCHANNEL_BASE_CURVE, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, d.frequency);
    const int channel = NewChannelFromWork(d, FIRST_DERIVATIVE_CHANNEL_NAME, WORKCHANNEL_FIRST_DERIVATIVE);
    d.FillTempValues(channel);
    return channel;
}

int AddSecondDerivativeChannel(TDataClass& d, int aX1, int aX2) {
    if (!ClipRange(d, aX1, aX2)) return -1;
    const TAppConfig& c = DataConfig();
    const int step = static_cast<int>(Round(d.frequency / 2.0)),
              dots = static_cast<int>(Round(d.frequency / 10.0));
    TItemArray& w = d.workItems;
    PrepareWorkChannels(d, WORKCHANNEL_FIRST_DERIVATIVE, WORKCHANNEL_SECOND_DERIVATIVE);
    AverageBoth(w, WORKCHANNEL_BASE_CURVE, aX1, aX2, 16, dots, step);
    DerivatBoth(w, WORKCHANNEL_BASE_CURVE, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, d.frequency);
    AverageBoth(w, WORKCHANNEL_BASE_CURVE, aX1, aX2, 16, dots, step);
    BezieSmooth(w, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, false, c.bezieSmoothPower, c.smoothStep);
    BezieSmooth(w, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, false, c.bezieSmoothPower, c.smoothStep);
    BezieSmooth(w, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, true, c.bezieSmoothPower, c.smoothStep);
    AverageBoth(w, WORKCHANNEL_FIRST_DERIVATIVE, aX1, aX2, c.smoothDotCount, c.smoothDotStep, c.smoothStep);
    DerivatBoth(w, WORKCHANNEL_FIRST_DERIVATIVE, WORKCHANNEL_SECOND_DERIVATIVE, aX1, aX2, d.frequency);
    const int channel = NewChannelFromWork(d, SECOND_DERIVATIVE_CHANNEL_NAME, WORKCHANNEL_SECOND_DERIVATIVE);
    AverageBoth(d.items, channel, aX1, aX2, c.smoothDotCount, c.smoothDotStep, c.smoothStep);
    d.FillTempValues(channel);
    return channel;
}

void ShiftCurveVertically(TDataClass& d, int aChannel, int aFrom, int aTo, int32_t aDelta, bool aForT) {
    if (aChannel < 0 || aChannel >= d.GetChannelCount() || !ClipRange(d, aFrom, aTo)) return;
    for (int i = aFrom; i <= aTo; ++i) {
        int32_t& v = Reading(d.items[i][aChannel], aForT);
        v = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(v) + aDelta, INT32_MIN, INT32_MAX));
    }
    Finish(d, aChannel, nullptr);
}

void ShiftCurveHorizontally(TDataClass& d, int aChannel, int aFrom, int aTo, int32_t aDelta) {
    if (aChannel < 0 || aChannel >= d.GetChannelCount() || !ClipRange(d, aFrom, aTo) || aDelta == 0) return;
    d.CopyToWorkChannel(aChannel, WORKCHANNEL_BASE_CURVE);
    for (int i = aFrom; i <= aTo; ++i) {
        const int64_t source = std::clamp<int64_t>(static_cast<int64_t>(i) - aDelta, aFrom, aTo);
        d.items[i][aChannel] = d.workItems[static_cast<size_t>(source)][WORKCHANNEL_BASE_CURVE];
    }
    Finish(d, aChannel, nullptr);
}

int32_t VertShiftIncrement(const TDataClass& d) {
    return std::max<int32_t>(1, (d.endYSel - d.begYSel) / 100);
}

int32_t HorShiftIncrement(const TDataClass& d) {
    return std::max<int32_t>(1, (d.endXSel - d.begXSel) / 100);
}

}  // namespace kalvero
