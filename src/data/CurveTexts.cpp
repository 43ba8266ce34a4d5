#include "data/CurveTexts.h"

#include <algorithm>
#include <cmath>

#include "common/Procs.h"
#include "data/Calibrate.h"

namespace kalvero {
namespace {

bool HasSample(const TDataClass& d, int aItem, int aChannel) {
    return aItem >= 0 && aItem < d.GetItemCount() && aChannel >= 0 && aChannel < d.GetChannelCount();
}

// A value at the fractional item aX on the straight line between items x1 and x1 + 1.
double Between(int x1, double y1, double y2, double aX) {
    return LineInterp(x1, y1, x1 + 1, y2, aX);
}

}  // namespace

std::string GetTempScaleStr(const TDataClass& t) {
    return t.tempScale == tsUnits ? "отсч." : DataConfig().tempChannelUnitsName;
}

std::string GetDiffTempScaleStr(const TDataClass& t) {
    return t.GetDtUnits();
}

std::string GetTimeScaleStr(const TDataClass& t) {
    return GetTimeScaleStr(t.timeScale);
}

std::string GetTimeScaleStr(TTimeScale aScale) {
    switch (aScale) {
        case tmUnits:
            return "отсч.";
        case tmSeconds:
            return "сек.";
        case tmMinutes:
            return "мин.";
        case tmHours:
            return "час.";
    }
    return "";
}

namespace {

// The T (aForT) or dT value of one sample with its unit: degrees with the configured accuracy (the
// raw reading in brackets in debug mode), or the raw reading.
std::string ValueStr(const TDataClass& d, int aTime, int aChannel, bool aForT) {
    if (!HasSample(d, aTime, aChannel)) return "Error";
    const TItem& s = d.items[aTime][aChannel];
    const TAppConfig& c = DataConfig();
    const bool degrees = aForT ? d.tempScale == tsDegrees : d.diffTempScale == dtsDegrees;
    const int32_t raw = aForT ? s.t : s.dt;
    std::string text = std::to_string(raw);
    if (degrees) {
        text = StrN(aForT ? s.tc : s.dtc, aForT ? c.tempScaleAccuracy : c.diffTempScaleAccuracy);
        if (c.debugMode) text += " (" + std::to_string(raw) + ")";
    }
    return text + " " + (aForT ? GetTempScaleStr(d) : GetDiffTempScaleStr(d));
}

}  // namespace

std::string GetTempStr(const TDataClass& aDataClass, int aTime, int aChannel) {
    return ValueStr(aDataClass, aTime, aChannel, true);
}

std::string GetDiffTempStr(const TDataClass& aDataClass, int aTime, int aChannel) {
    return ValueStr(aDataClass, aTime, aChannel, false);
}

std::string GetTimeStr(const TDataClass& aDataClass, double aTime) {
    const double divider = aDataClass.GetTimeDivider();
    if (!(divider > 0) || !std::isfinite(aTime)) return "Error";
    return StrN(aTime / divider, 1) + " " + GetTimeScaleStr(aDataClass);
}

std::string GetCurveStrInfo(const TDataClass& t, double aX, double aX1) {
    if (t.GetItemCount() < 2 || t.GetChannelCount() < 1 || !std::isfinite(aX)) return "";
    const TAppConfig& c = DataConfig();
    const int x1 = std::clamp(static_cast<int>(std::floor(aX)), 0, t.GetItemCount() - 2);
    const TItem &a = t.items[x1][0], &b = t.items[x1 + 1][0];

    std::string dT;
    if (t.diffTempScale == dtsDegrees) {
        dT = StrN(Between(x1, t.SignalValue(a.dt, a.tc), t.SignalValue(b.dt, b.tc), aX), 3);
    } else {
        dT = StrN(std::round(Between(x1, a.dt, b.dt, aX)), 0);
    }
    std::string T;
    if (t.mode == vm_view_dt_and_temp_by_time || t.mode == vm_view_T_by_time) {
        T = t.tempScale == tsDegrees ? StrN(Between(x1, a.tc, b.tc, aX), 1)
                                     : StrN(std::round(Between(x1, a.t, b.t, aX)), 0);
    }
    std::string X;
    if (t.mode == vm_view_dT_by_temp) {
        X = StrN(aX1, t.tempScale == tsDegrees ? c.tempScaleAccuracy : 0);
    } else {
        X = StrN(aX / t.GetTimeDivider(), 1);
    }

    const std::string tUnit = GetTempScaleStr(t), dtUnit = GetDiffTempScaleStr(t),
                      timeUnit = GetTimeScaleStr(t);
    const std::string dtName = t.GetDtName();
    const std::string byTime = "t:" + X + timeUnit + ",  " + dtName + " " + dT + dtUnit;
    switch (t.mode) {
        case vm_view_dT_by_time:
        case vm_scan_dT_by_time:
            return byTime;
        case vm_view_T_by_time:
            return "t:" + X + timeUnit + ",  " + c.tempChannelShortName + " " + T + tUnit;
        case vm_view_dT_by_temp:
            return c.tempChannelShortName + ":" + X + tUnit + ",  " + dtName + " " + dT + dtUnit;
        case vm_view_dt_and_temp_by_time:
            return byTime + ",  " + c.tempChannelShortName + ":" + T + tUnit;
        default:
            return "";
    }
}

}  // namespace kalvero
