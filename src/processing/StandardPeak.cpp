// The concrete peak: centre, integration, area sums and the size text.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calibration/HeatCalibration.h"
#include "common/Config.h"
#include "common/Globals.h"
#include "common/MathProcs.h"
#include "common/Procs.h"
#include "data/Calibrate.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/SampleView.h"

namespace kalvero {
namespace {

bool AreaByTime() {
    return gConfig && gConfig->peakAreaType == PEAK_AREA_TYPE_BYTIME;
}

// The area of one sub-area as GetSummaryArea counts it.
long double EntryArea(const RPeakAreaValue& e, bool aByTime) {
    return aByTime ? e.timeRelatedRawArea : e.rawArea;
}

}  // namespace

std::string FormatAreaNumber(long double aValue, int aDecimals) {
    double value = static_cast<double>(aValue);
    if (std::isfinite(value)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15e", value);  // 16 significant digits
        value = std::strtod(buf, nullptr);
    }
    std::string text = FormatFixed(value, aDecimals);
    const size_t digits = text.find_first_of("0123456789");
    if (digits == std::string::npos) return text;
    size_t end = text.find('.', digits);
    if (end == std::string::npos) end = text.size();
    for (size_t k = end; k > digits + 3; k -= 3)
        text.insert(k - 3, " ");
    return text;
}

void TStandardPeak::CalcCenterPoint() {
    peakCenter.x = endX - (endX - begX) / 2;
    minY = Y(begX);
    maxY = Y(endX);
    for (int x = begX; x < endX; ++x) {
        const int32_t y = Y(x);
        if (y < minY) minY = y;
        if (y > maxY) maxY = y;
    }
    peakCenter.y = static_cast<int32_t>(minY + (static_cast<int64_t>(maxY) - minY) / 2);
}

void TStandardPeak::CalcPeakIntegration() {
    fAreas.clear();
    // A peak without width has no area (its sample step would be a division by zero).
    if (endX <= begX) return;
    Sample(begX), Sample(endX);  // both margins must lie in the record
    ComputeBaseLine();
    const int64_t high = static_cast<int64_t>(fDataItems->ItemCount()) - 1;
    const long double begXr = begX / static_cast<long double>(fFreq),
                      endXr = endX / static_cast<long double>(fFreq);
    const long double ssWidth = (endXr - begXr) / (endX - begX);
    const int64_t width = LLim(1, (endX - begX) / 100);
    // The base line (the straight one in LineInterp's arithmetic, or the computed one): unrounded
    // for the plain sum, rounded as GetBaseLineCrossingYCoord gives it for the trapezoids. Between
    // two readings it always fits.
    const double bx = begX, ex = endX, y0 = BasePoint(0).y, y1 = BasePoint(1).y;
    const auto line = [&](int64_t x) {
        return fBaseReadings.empty() ? processing::Interp(bx, y0, ex, y1, static_cast<double>(x))
                                     : fBaseReadings[static_cast<size_t>(x - begX)];
    };

    // A physical scale is linear: its values are had here rather than through a call per item
    // (the same arithmetic as TDataClass::SignalValue).
    const double* linear = fOwner && fOwner->fPhysical ? &fOwner->fPhysical->signalStep : nullptr;
    const auto signalValue = [&](int32_t aDt, float aTc) -> double {
        return linear ? static_cast<float>(aDt * *linear) : SignalValue(aDt, aTc);
    };

    fAreas.reserve(static_cast<size_t>((endX - begX + width - 1) / width));
    const size_t stride = fDataItems->ChannelCount();
    const TItem* s = (*fDataItems)[static_cast<size_t>(begX)];
    // Each step's values at x + 1 are the next step's values at x.
    double lineAtX = line(begX);
    int32_t baseAtX = processing::RoundInRange(lineAtX);
    double realBaseAtX = signalValue(baseAtX, s->tc);
    for (int64_t n = 0; begX + n * width < endX; ++n) {
        RPeakAreaValue e;
        const int64_t from = begX + n * width, to = std::min<int64_t>(from + width, endX);
        e.begX = static_cast<int32_t>(from);
        e.endX = static_cast<int32_t>(n == 0 ? from + width - 1 : std::min(high, from + width - 1));
        // The trapezoids of a sub-area share the step width: their sides are summed (the counts
        // exactly, in integers) and multiplied by half the step once.
        long double raw = 0, realSides = 0;
        int64_t countSides = 0;
        for (int64_t x = from; x < to; ++x, s += stride) {
            const TItem& a = *s;
            const TItem& b = *(s + stride);
            const double lineAtNext = line(x + 1);
            const int32_t baseAtNext = processing::RoundInRange(lineAtNext);
            const double realBaseAtNext = signalValue(baseAtNext, b.tc);
            raw += std::fabs(lineAtX - a.dt);
            countSides += std::llabs(static_cast<int64_t>(baseAtX) - a.dt) +
                          std::llabs(static_cast<int64_t>(baseAtNext) - b.dt);
            // Differences of single-precision degrees are exact in a double; only the sums are
            // carried in extended precision.
            realSides += std::fabs(realBaseAtX - a.dtc) + std::fabs(realBaseAtNext - b.dtc);
            lineAtX = lineAtNext, baseAtX = baseAtNext, realBaseAtX = realBaseAtNext;
        }
        e.rawArea = raw;
        e.timeRelatedRawArea = ssWidth * countSides * 0.5L;
        e.timeRelatedRealUnitsArea = ssWidth * realSides * 0.5L;
        fAreas.push_back(e);
    }
}

long double TStandardPeak::GetSummaryArea() const {
    const bool byTime = AreaByTime();
    long double sum = 0;
    for (const RPeakAreaValue& e : fAreas)
        sum += EntryArea(e, byTime);
    return sum;
}

long double TStandardPeak::GetSummaryAreaInRealUnits() const {
    long double sum = 0;
    for (const RPeakAreaValue& e : fAreas)
        sum += e.timeRelatedRealUnitsArea;
    return sum;
}

long double TStandardPeak::GetSummaryAreaCalibrated() const {
    if (fOwner && fOwner->fPhysical) {
        const TPhysicalScale& scale = *fOwner->fPhysical;
        if (!IsHeatFlow(scale.quantity)) {
            throw EPeakException("Сигнал в " + SignalUnitCaption(scale.unit) + " не даёт теплоты пика");
        }
        const long double area = GetSummaryAreaInRealUnits();
        if (scale.quantity == sqHeatFlow) return area / 1000;
        if (fOwner->fSampleWeight <= 0) throw EPeakException("Не задана масса навески");
        return area * fOwner->fSampleWeight / 1000;
    }
    if (!gHeatCalibrationTable) throw EPeakException("Калибровочная таблица теплоты не загружена");
    const bool byTime = AreaByTime();
    long double sum = 0;
    for (const RPeakAreaValue& e : fAreas) {
        const int64_t heatFactorPoint = e.begX + (static_cast<int64_t>(e.endX) - e.begX) / 2;
        sum += EntryArea(e, byTime) * gHeatCalibrationTable->GetHeatFactor(Sample(heatFactorPoint).tc);
    }
    return sum;
}

std::string TStandardPeak::GetPeakSizeStr(TAreaScale aAreaScale, double aWeight) const {
    const int accuracy = gConfig ? gConfig->areaScaleAccuracy : 2;
    const std::string units = gConfig ? gConfig->areaUnitsName : "Дж";
    const std::string unitsPerMass = gConfig ? gConfig->areaUnitsPerMassName : "Дж/г";
    switch (aAreaScale) {
        case asJole:
            return FormatAreaNumber(GetSummaryAreaCalibrated(), accuracy) + " " + units;
        case asJolePerGramm:
            // A signal per mass integrates to J/g whatever the mass.
            if (fOwner && fOwner->fPhysical && fOwner->fPhysical->quantity == sqHeatFlowPerMass) {
                return FormatAreaNumber(GetSummaryAreaInRealUnits(), accuracy) + " " + unitsPerMass;
            }
            if (aWeight <= 0) return "Не задана масса навески";
            // The sample mass is in milligrams.
            return FormatAreaNumber(GetSummaryAreaCalibrated() / (aWeight / 1000), accuracy) + " " +
                   unitsPerMass;
        case asUnits:
        default:
            return FormatAreaNumber(GetSummaryArea(), 0) + (AreaByTime() ? " отсч. в сек" : " отсч.");
    }
}

}  // namespace kalvero
