#include "calibration/TempCalibration.h"

#include <algorithm>

#include "calibration/CalibrationMath.h"
#include "common/Cp1251.h"
#include "common/Globals.h"
#include "common/MathProcs.h"

namespace kalvero {
namespace {

using calibration_math::LineAt;

// The collection's own words for a second point that is not there.
[[noreturn]] void ThrowNoSecondPoint() {
    throw std::runtime_error("Item with such index was not found");
}

}  // namespace

TTempCalibrationTable::TTempCalibrationTable(int32_t aBegUnitsTemp, int32_t aEndUnitsTemp)
    : TCalibrationTable(cttTemperature), fBegUnitsTemp(aBegUnitsTemp), fEndUnitsTemp(aEndUnitsTemp) {
    temperatureOffset = calibration_math::ClampToInt32(-static_cast<int64_t>(aBegUnitsTemp));
    if (gConfig) {
        fMinADCValue = gConfig->tMinADCValue;
        fMaxADCValue = gConfig->tMaxADCValue;
    }
    begRealValue = GetRealValue(fMinADCValue);
    endRealValue = GetRealValue(fMaxADCValue);
}

// The segment hint belongs to the conversions of one table: a copy starts its own.
TTempCalibrationTable::TTempCalibrationTable(const TTempCalibrationTable& aOther)
    : TCalibrationTable(aOther), fBegUnitsTemp(aOther.fBegUnitsTemp), fEndUnitsTemp(aOther.fEndUnitsTemp) {}

TTempCalibrationTable& TTempCalibrationTable::operator=(const TTempCalibrationTable& aOther) {
    if (this == &aOther) return *this;
    TCalibrationTable::operator=(aOther);
    fBegUnitsTemp = aOther.fBegUnitsTemp;
    fEndUnitsTemp = aOther.fEndUnitsTemp;
    fSegmentHint.store(0, std::memory_order_relaxed);
    return *this;
}

void TTempCalibrationTable::AddTempRefPoint(int32_t aUnitTemp, float aRealTemp,
                                            const std::string& aDescription) {
    TRefPoint p;
    p.unitValue = aUnitTemp;
    p.realValue = aRealTemp;
    p.description = Utf8Left(aDescription, 255);
    AddRefPoint(aUnitTemp, p);
}

float TTempCalibrationTable::GetRealValue(int32_t aUnitsValue) {
    const size_t n = fPoints.size();
    if (n == 0) return static_cast<float>(aUnitsValue);
    if (n == 1) ThrowNoSecondPoint();
    const double u = aUnitsValue;
    size_t i;
    if (u <= fPoints[0].u) {
        i = 0;
    } else if (u < fPoints[n - 1].u) {
        // The first segment with P[i].u <= u < P[i+1].u; on rising points that is the one
        // before the first point above u.
        if (fPointsAscending) {
            // Readings of a run come in order: the segment of the previous reading usually holds
            // this one too. The hint is only a guess, so a relaxed atomic is enough between the
            // acquisition thread and the window.
            i = fSegmentHint.load(std::memory_order_relaxed);
            if (i + 1 >= n || !(fPoints[i].u <= u && u < fPoints[i + 1].u)) {
                const auto above = std::upper_bound(fPoints.begin(), fPoints.end(), u,
                                                    [](double v, const RPointUR& p) { return v < p.u; });
                i = static_cast<size_t>(above - fPoints.begin()) - 1;
                fSegmentHint.store(i, std::memory_order_relaxed);
            }
        } else {
            i = 0;
            while (i + 2 < n && !(fPoints[i].u <= u && u < fPoints[i + 1].u))
                ++i;
        }
    } else {
        i = n - 2;
    }
    return static_cast<float>(LineAt(fPoints[i].u, fPoints[i].r, fPoints[i + 1].u, fPoints[i + 1].r, u));
}

float TTempCalibrationTable::GetRealValue(int32_t aUnitsValue, float) {
    return GetRealValue(aUnitsValue);
}

float TTempCalibrationTable::GetMaxRealValue(int32_t aUnitsValue) {
    return GetRealValue(aUnitsValue);
}

int32_t TTempCalibrationTable::GetUnitsValue(float aRealValue) {
    const size_t n = fPoints.size();
    if (n == 0) return calibration_math::RoundToInt32(aRealValue);
    if (n == 1) ThrowNoSecondPoint();
    const double r = aRealValue;
    // The same walk over the degrees. A segment always exists between a first point below and a
    // last point above r; NaN finds none and falls through to the last segment.
    size_t i = n - 2;
    if (r <= fPoints[0].r) {
        i = 0;
    } else if (r < fPoints[n - 1].r) {
        for (size_t k = 0; k + 1 < n; ++k) {
            if (fPoints[k].r <= r && r < fPoints[k + 1].r) {
                i = k;
                break;
            }
        }
    }
    return calibration_math::RoundToInt32(
        LineAt(fPoints[i].r, fPoints[i].u, fPoints[i + 1].r, fPoints[i + 1].u, r));
}

float TTempCalibrationTable::GetFactor(float) {
    throw ECalibrationException("Not applicable for Temparature calibration");
}

void TTempCalibrationTable::Calc() {
    if (GetRefPointsCount() < 2) throw ERefPoinsCount();
    SortRefPoints();
    ZeroItems();
    // The keys stay as entered; only the counts are clamped.
    for (TCustomCollectionItem& item : refPoints.items)
        item.value.unitValue = HLLim(fBegUnitsTemp, fEndUnitsTemp, item.value.unitValue);
    RefreshPoints();
    begRealValue = GetRealValue(fBegUnitsTemp);
    endRealValue = GetRealValue(fEndUnitsTemp);
}

}  // namespace kalvero
