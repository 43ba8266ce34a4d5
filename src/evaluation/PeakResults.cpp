#include "evaluation/PeakResults.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calibration/HeatCalibration.h"
#include "common/Globals.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "evaluation/PeakEvaluation.h"
#include "processing/Peak.h"
#include "processing/PeakTemperature.h"

namespace kalvero {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The temperature at a fractional item, between the two items around it.
double TempAt(const TDataClass& d, double aItem) {
    if (!std::isfinite(aItem) || d.GetItemCount() == 0) return kNaN;
    const double x = std::clamp(aItem, 0.0, static_cast<double>(d.GetItemCount() - 1));
    const int i = static_cast<int>(std::floor(x));
    const int j = std::min(i + 1, d.GetItemCount() - 1);
    const double f = x - i;
    return d.items[i][0].tc * (1 - f) + d.items[j][0].tc * f;
}

std::string AreaUnit(const TDataClass& d) {
    if (d.fPhysical) return SignalUnitCaption(d.fPhysical->unit) + "·с";
    return (d.diffTempScale == dtsDegrees ? d.GetDtUnits() : std::string("отсч.")) + "·с";
}

}  // namespace

bool HeatAvailable(const TDataClass& d) {
    if (d.fPhysical) return IsHeatFlow(d.fPhysical->quantity);
    return gHeatCalibrationTable && gHeatCalibrationTable->GetRefPointsCount() > 0;
}

TEffectResult EffectResultOf(const TDataClass& d, const TPeak& p, int aNumber) {
    TEffectResult r;
    r.number = aNumber;
    r.begX = p.begX, r.endX = p.endX, r.top = p.top;
    r.endothermic = p.PointsUp() == d.EndoUp();
    r.baseLine = PeakBaseLineKey(p.baseLineKind);
    r.warnings = p.BaseLineWarnings();
    r.initialTemp = TempAt(d, p.begX);
    r.finalTemp = TempAt(d, p.endX);
    r.topTemp = PeakTopTemperature(d, p);
    r.topTime = p.top / static_cast<double>(d.frequency);
    r.onsetTemp = r.endsetTemp = r.halfWidth = kNaN;
    try {
        const evaluation::RPeakTemperatures t = evaluation::PeakTemperaturesOf(d, p);
        const auto temperature = [](const evaluation::RPoint& aPoint, double aOtherwise) {
            return aPoint.Valid() ? aPoint.temperature : aOtherwise;
        };
        r.initialTemp = temperature(t.initial, r.initialTemp);
        r.finalTemp = temperature(t.final, r.finalTemp);
        r.onsetTemp = temperature(t.onset, kNaN);
        r.endsetTemp = temperature(t.endset, kNaN);
        r.halfWidth = t.halfWidthTemperature;
        r.warnings.insert(r.warnings.end(), t.warnings.begin(), t.warnings.end());
    } catch (const evaluation::EEvaluationError& e) {
        r.warnings.push_back(e.what());
    }
    const bool hasTangent = p.cutLines.size() > PEAK_LINE_TANGENT &&
                            p.cutLines.back().lineType == CUTLINE_TANGENT && !p.cutLines.back().invalid;
    r.tangentOnsetTemp = hasTangent ? TempAt(d, p.cutLines.back().points.at(0).x) : kNaN;
    if (!std::isfinite(r.onsetTemp)) r.onsetTemp = r.tangentOnsetTemp;
    SetHeatOf(d, p, r);
    return r;
}

void SetHeatOf(const TDataClass& d, const TPeak& p, TEffectResult& r) {
    r.area = static_cast<double>(p.GetSummaryAreaInRealUnits());
    r.areaUnit = AreaUnit(d);
    r.heat = r.specificHeat = kNaN;
    if (!HeatAvailable(d)) return;
    const bool perMass = d.fPhysical && d.fPhysical->quantity == sqHeatFlowPerMass;
    if (perMass) {
        r.specificHeat = r.area;  // W/g·s = J/g
        if (d.fSampleWeight > 0) r.heat = r.area * d.fSampleWeight / 1000;
    } else {
        try {
            r.heat = static_cast<double>(p.GetSummaryAreaCalibrated());
        } catch (const std::exception&) {
            r.heat = kNaN;  // a table that cannot convert this range
        }
        if (d.fSampleWeight > 0) r.specificHeat = r.heat / (d.fSampleWeight / 1000);
    }
}

std::vector<TEffectResult> EffectResults(const TDataClass& d) {
    std::vector<TEffectResult> out;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
        if (const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value))
            out.push_back(EffectResultOf(d, *p, static_cast<int>(out.size()) + 1));
    }
    return out;
}

std::string EffectCaption(bool aEndothermic) {
    return aEndothermic ? "эндо" : "экзо";
}

std::string EffectKey(bool aEndothermic) {
    return aEndothermic ? "endothermic" : "exothermic";
}

std::string DecimalComma(double aValue, int aDecimals) {
    if (!std::isfinite(aValue)) return "—";
    std::string s = StrN(aValue, aDecimals);
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string EffectLabel(const TEffectResult& r) {
    const double t = std::isfinite(r.onsetTemp) ? r.onsetTemp : r.topTemp;
    std::string label = DecimalComma(t, 1) + " °C · ";
    if (std::isfinite(r.specificHeat)) return label + DecimalComma(r.specificHeat, 1) + " Дж/г";
    if (std::isfinite(r.heat)) return label + DecimalComma(r.heat * 1000, 2) + " мДж";
    return label + DecimalComma(r.area, 3) + " " + r.areaUnit;
}

}  // namespace kalvero
