// Derivative estimates: the seven-point difference of detection, the five-point difference on a
// copy of channel 0, the second difference and the secant slope over a smoothed stretch.

#include <cmath>

#include "common/MathProcs.h"
#include "common/UiHooks.h"
#include "processing/MathUtils.h"
#include "processing/SmoothCore.h"

namespace kalvero {
namespace {

using processing::TItemView;

// Items a five-point difference needs around its centre: 30 on the left, 35 on the right.
constexpr int kFivePointMinCount = 51;

long double FivePoint(TDataClass& t, long double x0, bool aForT, bool aRealUnits) {
    const int count = t.GetItemCount();
    if (count < kFivePointMinCount) return 0;
    int64_t x = Round(static_cast<double>(x0));
    if (count < x + 30) x = count - 35;
    if (x < 30) x = 30;
    TBusyScope busy;
    t.CopyToWorkChannel(0, WORKCHANNEL_SECOND_DERIVATIVE);
    const auto at = [&](int64_t i) -> long double {
        const TItem& s = t.workItems[static_cast<size_t>(i)][WORKCHANNEL_SECOND_DERIVATIVE];
        if (aRealUnits) return aForT ? s.tc : s.dtc;
        return aForT ? s.t : s.dt;
    };
    if (aRealUnits) t.FillWorkChannelsTempValues(static_cast<int>(x - 30), static_cast<int>(x + 30));
    const long double dy = (at(x - 20) - 8 * at(x - 10) + 8 * at(x + 10) - at(x + 20)) / 120;
    return static_cast<double>(dy);
}

// The secant of TangensDt / TangensT; aReal selects degrees.
long double Secant(TDataClass& d, long double aX0, long double aRange, bool aForT, bool aReal,
                   TTimeScale aTimeUnits, const char* aErrorText) {
    const int count = d.GetItemCount();
    // Seconds (or minutes, hours) per time unit times items per second.
    const long double itemsPerUnit =
        aTimeUnits == tmUnits ? 1.0L : static_cast<long double>(aTimeUnits) * d.frequency;
    aRange *= itemsPerUnit;
    const int64_t p = Round(static_cast<double>(aX0));
    const int64_t half = Round(static_cast<double>(aRange / 2));
    const int64_t high = count - 1;
    const int64_t x1 = p - half < 0 ? 0 : std::min(p - half, std::max<int64_t>(0, high));
    const int64_t x2 = p + half < 0 ? 0 : std::min(p + half, std::max<int64_t>(0, high));
    if (x1 == x2) throw EMathUtilsException(aErrorText);
    d.CopyToWorkChannel(0, WORKCHANNEL_SECOND_DERIVATIVE);
    BezieSmooth(d.workItems, WORKCHANNEL_SECOND_DERIVATIVE, static_cast<int>(x1), static_cast<int>(x2), aForT,
                50, 25);
    // Both ends are read, so the fill reaches x2 itself.
    if (aReal) d.FillWorkChannelsTempValues(static_cast<int>(x1), static_cast<int>(x2) + 1);
    const auto y = [&](int64_t i) -> long double {
        const TItem& s = d.workItems[static_cast<size_t>(i)][WORKCHANNEL_SECOND_DERIVATIVE];
        if (aReal) return aForT ? s.tc : s.dtc;
        return aForT ? s.t : s.dt;
    };
    const long double t1 = static_cast<long double>(x1) / itemsPerUnit;
    const long double t2 = static_cast<long double>(x2) / itemsPerUnit;
    return (y(x2) - y(x1)) / (t2 - t1);
}

}  // namespace

long double Derivat(const TItemArray& aChannel, int aChNo, long double aX0, long double aRange, bool aForT) {
    const TItemView v(const_cast<TItemArray&>(aChannel), aChNo, aForT);
    return processing::DerivatCore(v, aX0, aRange);
}

void DerivatRange(const TItemArray& aSource, int aSourceChNo, TItemArray& aTarget, int aTargetChNo, int aFrom,
                  int aTo, long double aRange, bool aForT) {
    const TItemView source(const_cast<TItemArray&>(aSource), aSourceChNo, aForT);
    const TItemView target(aTarget, aTargetChNo, aForT);
    processing::DerivativePass(source, target, aFrom, aTo, aRange);
}

long double Derivative(TDataClass& t, long double x0) {
    return FivePoint(t, x0, false, false);
}

long double ClearDerivativeDt(TDataClass& t, long double x0, bool aRealUnits) {
    return FivePoint(t, x0, false, aRealUnits);
}

long double ClearDerivativeT(TDataClass& t, long double x0, bool aRealUnits) {
    return FivePoint(t, x0, true, aRealUnits);
}

long double Derivat2(const TItemArray& channel, int channelNumber, int x0, long double dx) {
    const TItemView v(const_cast<TItemArray&>(channel), channelNumber, false);
    const int64_t count = v.Count();
    if (x0 < 0 || x0 >= count) return 0;
    const long double lo = processing::RoundPosition(x0 - dx), hi = processing::RoundPosition(x0 + dx);
    const int64_t loIdx = lo >= 0 ? processing::ClipIndex(lo, count) : 0;
    const int64_t hiIdx = processing::ClipIndex(hi, count);
    return static_cast<long double>(static_cast<int64_t>(v[hiIdx]) - 2 * static_cast<int64_t>(v[x0]) +
                                    v[loIdx]);
}

long double SDerv2(const TItemArray& channel, int channelNumber, int x0) {
    return Derivat2(channel, channelNumber, x0, 20);
}

long double TangensDt(TDataClass& aDataClass, long double aX0, long double aRange, TDiffTempScale aDtUnits,
                      TTimeScale aTimeUnits) {
    return Secant(aDataClass, aX0, aRange, false, aDtUnits == dtsDegrees, aTimeUnits, "TangensDt:x2=x1");
}

long double TangensT(TDataClass& aDataClass, long double aX0, long double aRange, TTempScale aTUnits,
                     TTimeScale aTimeUnits) {
    return Secant(aDataClass, aX0, aRange, true, aTUnits == tsDegrees, aTimeUnits, "TangensT:x2=x1");
}

}  // namespace kalvero
