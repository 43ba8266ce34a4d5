// Zero lines, range expansion during a run and the two sets of view margins.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "calibration/TempCalibration.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"
#include "processing/Peak.h"
#include "processing/Tangent.h"

namespace kalvero {

void TDataClass::SetTZeroLine(double x) {
    TAppConfig& c = MutableDataConfig();
    int32_t d = 0;
    if (fPhysical) {
        // A physical experiment's zero is its own: neither the converter's zero line nor its range.
        d = TReading(x);
        fTempMinValue -= d;
        fTempMaxValue -= d;
    } else {
        if (tempScale == tsDegrees && TempTable()) {
            d = TempTable()->GetUnitsValue(static_cast<float>(x)) - TempTable()->GetUnitsValue(0.0f);
        } else {
            d = static_cast<int32_t>(Round(x));
        }
        c.tempZeroLine += d;
        fTempMinValue = HLLim(c.tMinADCValue, c.tMaxADCValue, fTempMinValue - d);
        fTempMaxValue = HLLim(c.tMinADCValue, c.tMaxADCValue, fTempMaxValue - d);
    }

    // The temperature plot uses the second margin set in the combined view.
    const bool second = mode == vm_view_dt_and_temp_by_time;
    int32_t& by = second ? begY1 : begY;
    int32_t& ey = second ? endY1 : endY;
    int32_t& bs = second ? begYSel1 : begYSel;
    int32_t& es = second ? endYSel1 : endYSel;
    by = fTempMinValue;
    ey = fTempMaxValue;
    bs -= d;
    es -= d;
    by = std::min(by, bs);
    ey = std::max(ey, es);

    for (size_t i = 0; i < items.ItemCount(); ++i) {
        for (int ch = 0; ch < GetChannelCount(); ++ch)
            items[i][ch].t -= d;
    }
    FillTempValues();
    fHasUnsavedChanges = true;
}

void TDataClass::SetDTZeroLine(double aYoffset) {
    TAppConfig& c = MutableDataConfig();
    int32_t d = 0;
    if (fPhysical) {
        d = SignalReading(aYoffset, 0);
        fDiffTempMinValue -= d;
        fDiffTempMaxValue -= d;
    } else {
        if (diffTempScale == dtsDegrees && gDiffTempCalibrationTable) {
            TCalibrationTable& table = *gDiffTempCalibrationTable;
            // dT may be calibrated by a table of the temperature kind, which has no ranges.
            d = table.GetTableType() == cttTemperature
                    ? table.GetUnitsValue(static_cast<float>(aYoffset)) - table.GetUnitsValue(0.0f)
                    : table.GetUnitsValueByMiddleRange(static_cast<float>(aYoffset));
        } else {
            d = static_cast<int32_t>(Round(aYoffset));
        }
        c.dTZeroLine += d;
        fDiffTempMinValue = HLLim(c.dTMinADCValue, c.dTMaxADCValue, fDiffTempMinValue - d);
        fDiffTempMaxValue = HLLim(c.dTMinADCValue, c.dTMaxADCValue, fDiffTempMaxValue - d);
    }
    begY = fDiffTempMinValue;
    endY = fDiffTempMaxValue;
    begYSel -= d;
    endYSel -= d;
    begY = std::min(begY, begYSel);
    endY = std::max(endY, endYSel);

    for (size_t i = 0; i < items.ItemCount(); ++i) {
        for (int ch = 0; ch < GetChannelCount(); ++ch)
            items[i][ch].dt -= d;
    }
    for (int k = 0; k < peaks.GetItemCount(); ++k) {
        auto* peak = dynamic_cast<TPeak*>(peaks.GetItemByIndex(k).value);
        if (!peak) continue;
        peak->fullAreaStartPoint.y -= d;
        peak->peakCenter.y -= d;
        for (auto& line : peak->cutLines) {
            for (auto& p : line.points)
                p.y -= d;
        }
    }
    FillTempValues();
    // Each tangent follows its own curve, whatever the view: a T tangent is not rebuilt from dT.
    for (int k = 0; k < tangents.GetItemCount(); ++k) {
        if (auto* tangent = dynamic_cast<TTangent*>(tangents.GetItemByIndex(k).value)) FillTangent(*tangent);
    }
    fHasUnsavedChanges = true;
}

int TDataClass::ExpandTRange(int atValue, bool aSmoothRangeChange, bool& aRangeChanged, double aTMaxValue,
                             double aTMinValue) {
    const TAppConfig& c = DataConfig();
    const int64_t lo = static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier;
    const int64_t hi = static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier;
    // The converter's range bounds recorded readings only.
    const int32_t result =
        fPhysical ? atValue
                  : static_cast<int32_t>(std::clamp<int64_t>(atValue, std::min(lo, hi), std::max(lo, hi)));
    const int64_t step = std::max(std::llabs(hi - lo) / 100,
                                  std::llabs(static_cast<int64_t>(fTempMaxValue) - fTempMinValue) / 10);
    aRangeChanged = false;
    if (!c.autoExpandTempRanges) return result;
    const double v = tempScale == tsDegrees ? TValue(result) : result;
    auto clampRange = [&](int64_t x) {
        if (fPhysical) return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
        return static_cast<int32_t>(std::clamp(x, std::min(lo, hi), std::max(lo, hi)));
    };
    if (aTMinValue > v) {
        fTempMinValue = clampRange(aSmoothRangeChange ? c.tMinValue - step : result - step);
        aRangeChanged = true;
    } else if (aTMaxValue < v) {
        fTempMaxValue = clampRange(aSmoothRangeChange ? fTempMaxValue + step : result + step);
        aRangeChanged = true;
    }
    return result;
}

int TDataClass::ExpandDtRange(int aDtValue, bool aSmoothRangeChange, bool& aRangeChanged, double aDtMaxValue,
                              double aDtMinValue, double atValue) {
    const TAppConfig& c = DataConfig();
    const int32_t lo = std::min(c.dTMinADCValue, c.dTMaxADCValue),
                  hi = std::max(c.dTMinADCValue, c.dTMaxADCValue);
    const int32_t result = fPhysical ? aDtValue : std::clamp(aDtValue, lo, hi);
    const int64_t step = std::llabs(static_cast<int64_t>(fDiffTempMaxValue) - fDiffTempMinValue) / 10;
    aRangeChanged = false;
    if (!c.autoExpandDiffTempRanges) return result;
    const double v = diffTempScale == dtsDegrees ? SignalValue(result, static_cast<float>(atValue)) : result;
    auto clampRange = [&](int64_t x) {
        if (fPhysical) return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
        return static_cast<int32_t>(std::clamp<int64_t>(x, lo, hi));
    };
    if (aDtMinValue > v) {
        const int32_t moved = clampRange(aSmoothRangeChange ? fDiffTempMinValue - step : result - step);
        aRangeChanged = moved != fDiffTempMinValue;
        fDiffTempMinValue = moved;
    } else if (aDtMaxValue < v) {
        const int32_t moved = clampRange(aSmoothRangeChange ? fDiffTempMaxValue + step : result + step);
        aRangeChanged = moved != fDiffTempMaxValue;
        fDiffTempMaxValue = moved;
    }
    return result;
}

void TDataClass::FitRangesToData() {
    if (items.Empty()) return;
    int32_t tLo = items[0][0].t, tHi = tLo, dLo = items[0][0].dt, dHi = dLo;
    const size_t total = items.ItemCount() * items.ChannelCount();
    const TItem* s = items.Data();
    for (size_t k = 0; k < total; ++k, ++s) {
        tLo = std::min(tLo, s->t), tHi = std::max(tHi, s->t);
        dLo = std::min(dLo, s->dt), dHi = std::max(dHi, s->dt);
    }
    const auto widen = [](int32_t& aLo, int32_t& aHi) {
        const int64_t margin = std::max<int64_t>(1, (static_cast<int64_t>(aHi) - aLo) / 20);
        aLo = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, aLo - margin));
        aHi = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, aHi + margin));
    };
    widen(tLo, tHi);
    widen(dLo, dHi);
    fTempMinValue = tLo, fTempMaxValue = tHi;
    fDiffTempMinValue = dLo, fDiffTempMaxValue = dHi;
    begY = dLo, endY = dHi, begYSel = dLo, endYSel = dHi;
}

void TDataClass::SaveMargins() {
    begX1 = begX, endX1 = endX, begXSel1 = begXSel, endXSel1 = endXSel;
    begY1 = begY, endY1 = endY, begYSel1 = begYSel, endYSel1 = endYSel;
}

void TDataClass::RestoreMargins() {
    begX = begX1, endX = endX1, begXSel = begXSel1, endXSel = endXSel1;
    begY = begY1, endY = endY1, begYSel = begYSel1, endYSel = endYSel1;
}

void TDataClass::SwapMargins() {
    std::swap(begX, begX1), std::swap(endX, endX1), std::swap(begXSel, begXSel1),
        std::swap(endXSel, endXSel1);
    std::swap(begY, begY1), std::swap(endY, endY1), std::swap(begYSel, begYSel1),
        std::swap(endYSel, endYSel1);
    std::swap(begYr, begYr1), std::swap(endYr, endYr1), std::swap(begYSelr, begYSelr1);
    std::swap(endYSelr, endYSelr1);
}

void TDataClass::ResetMargins(bool aCheckRanges) {
    FillTempValues();
    if (aCheckRanges) {
        // Every reading is passed through the range expansion as if one by one; a reading inside
        // the converter's range and the current axis range changes nothing there, so only the
        // others take the call. The calibrated values were just filled: they are the readings'
        // degrees, and the temperature bounds in degrees change only when a range moves.
        const TAppConfig& c = DataConfig();
        const bool degT = tempScale == tsDegrees, degDt = diffTempScale == dtsDegrees;
        const int64_t tLo = std::min<int64_t>(static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier,
                                              static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier);
        const int64_t tHi = std::max<int64_t>(static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier,
                                              static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier);
        const int32_t dLo = std::min(c.dTMinADCValue, c.dTMaxADCValue),
                      dHi = std::max(c.dTMinADCValue, c.dTMaxADCValue);
        double tMin = 0, tMax = 0;
        auto tBounds = [&] {
            tMin = degT ? TValue(fTempMinValue) : fTempMinValue;
            tMax = degT ? TValue(fTempMaxValue) : fTempMaxValue;
        };
        tBounds();
        for (int ch = 0; ch < GetChannelCount(); ++ch) {
            for (size_t i = 0; i < items.ItemCount(); ++i) {
                TItem& s = items[i][ch];
                bool changed = false;
                const double tv = degT ? s.tc : s.t;
                if ((!fPhysical && (s.t < tLo || s.t > tHi)) || tv < tMin || tv > tMax) {
                    s.t = ExpandTRange(s.t, false, changed, tMax, tMin);
                    if (changed) tBounds();
                }
                const double dMin = degDt ? SignalValue(fDiffTempMinValue, s.tc) : fDiffTempMinValue;
                const double dMax = degDt ? SignalValue(fDiffTempMaxValue, s.tc) : fDiffTempMaxValue;
                const double dv = degDt ? s.dtc : s.dt;
                const bool outside = !fPhysical && (s.dt < dLo || s.dt > dHi);
                if (outside || dv < dMin || dv > dMax)
                    s.dt = ExpandDtRange(s.dt, false, changed, dMax, dMin, s.tc);
            }
        }
    }
    const int last = std::max(0, GetItemCount() - 1);
    const int32_t tLo =
        tempScale == tsDegrees ? static_cast<int32_t>(Round(TValue(fTempMinValue))) : fTempMinValue;
    const int32_t tHi =
        tempScale == tsDegrees ? static_cast<int32_t>(Round(TValue(fTempMaxValue))) : fTempMaxValue;
    switch (mode) {
        case vm_view_dT_by_time:
        case vm_scan_dT_by_time:
            begX = 0, endX = last, begXSel = begX, endXSel = endX;
            begY = fDiffTempMinValue, endY = fDiffTempMaxValue, begYSel = begY, endYSel = endY;
            break;
        case vm_view_dT_by_temp:
        case vm_scan_dT_by_temp:
            begX = tLo, endX = tHi, begXSel = begX, endXSel = endX;
            begX1 = 0, endX1 = last, begXSel1 = 0, endXSel1 = last;
            begY = fDiffTempMinValue, endY = fDiffTempMaxValue, begYSel = begY, endYSel = endY;
            break;
        case vm_view_dt_and_temp_by_time:
            begX = 0, endX = last, begXSel = begX, endXSel = endX;
            begX1 = 0, endX1 = last, begXSel1 = 0, endXSel1 = last;
            begY = fDiffTempMinValue, endY = fDiffTempMaxValue, begYSel = begY, endYSel = endY;
            begY1 = fTempMinValue, endY1 = fTempMaxValue, begYSel1 = begY1, endYSel1 = endY1;
            break;
        case vm_view_T_by_time:
        case vm_scan_T_by_time:
            begX = 0, endX = last, begXSel = begX, endXSel = endX;
            begY = fTempMinValue, endY = fTempMaxValue, begYSel = begY, endYSel = endY;
            break;
        default:
            break;
    }
}

}  // namespace kalvero
