#include "calibration/DiffTempCalibration.h"

#include <algorithm>

#include "calibration/CalibrationMath.h"
#include "calibration/Interpolation.h"
#include "common/Cp1251.h"
#include "common/Globals.h"

namespace kalvero {
namespace {

using namespace calibration_math;

constexpr const char* ALL_ZERO_MSG =
    "Внимание! Все коэффициенты калибровочной таблицы дифференциальной температуры равны нулю: "
    "значения дифференциальной температуры будут нулевыми. Проверьте калибровочные точки и метод расчёта.";

// u × factor, the product formed on |u| and the sign applied afterwards (the same float).
inline float Scale(int32_t aUnits, double aFactor) {
    return static_cast<float>(static_cast<double>(aUnits) * aFactor);
}

int32_t DivideRounded(double aValue, double aDivisor) {
    if (aDivisor == 0) ThrowZeroDivide();
    return RoundToInt32(aValue / aDivisor);
}

}  // namespace

TDiffTempCalibrationTable::TDiffTempCalibrationTable(float aBegTemp, float aEndTemp)
    : TCalibrationTable(cttDiffTemperature) {
    SetTemperatureRange(aBegTemp, aEndTemp);
}

void TDiffTempCalibrationTable::AdcRange(int32_t& aMin, int32_t& aMax) const {
    aMin = gConfig ? gConfig->dTMinADCValue : fMinADCValue;
    aMax = gConfig ? gConfig->dTMaxADCValue : fMaxADCValue;
}

void TDiffTempCalibrationTable::SetTemperatureRange(float aBegTemp, float aEndTemp) {
    const int32_t beg = RoundToInt32(aBegTemp);
    const int32_t end = RoundToInt32(aEndTemp);
    const int64_t count = static_cast<int64_t>(end) - beg;
    if (count < 0 || count > MAX_TABLE_ENTRIES || beg == INT32_MIN)
        throw ECalibrationException(BadTemperatureRangeMessage(beg, end));
    items.assign(static_cast<size_t>(count), 1.0f);
    fBegTemp = beg;
    fEndTemp = end;
    fMaxFactor = 1.0f;
    fMinFactor = 1.0f;
    temperatureOffset = -beg;
    int32_t adcMin, adcMax;
    AdcRange(adcMin, adcMax);
    endRealValue = GetMaxRealValue(ClampToInt32(static_cast<int64_t>(adcMax) - adcMin));
    begRealValue = -endRealValue;
}

void TDiffTempCalibrationTable::AddDiffTempRefPoint(int32_t aSampleTemp, float aDiffTemp, int32_t aPeakHeight,
                                                    const std::string& aDescription) {
    if (aPeakHeight < 0) ThrowRangeError();
    if (aPeakHeight == 0) ThrowZeroDivide();
    TRefPoint p;
    p.unitValue = aSampleTemp;
    p.diffTemperature = aDiffTemp;
    p.peakHeight = static_cast<uint32_t>(aPeakHeight);
    p.realValue = static_cast<float>(static_cast<double>(aDiffTemp) / aPeakHeight);
    p.description = Utf8Left(aDescription, 255);
    AddRefPoint(aSampleTemp, p);
}

// The factor at the fractional table position x: between the entries of Int(x) and Int(x) + 1,
// both clamped into the table, so beyond the ends the end entry holds.
float TDiffTempCalibrationTable::FactorAt(double x) const {
    const size_t n = items.size();
    if (n == 0) ThrowRangeError();
    const float* e = items.data();
    if (!(x < static_cast<double>(n - 1))) return e[n - 1];  // beyond the last entry, NaN too
    if (x <= -1) return e[0];
    const size_t i1 = x < 0 ? 0 : static_cast<size_t>(x);  // Int(x), clamped at 0
    const size_t i2 = std::min(i1 + 1, n - 1);
    return static_cast<float>(LineAt(static_cast<double>(i1), e[i1], static_cast<double>(i2), e[i2], x));
}

float TDiffTempCalibrationTable::GetRealValue(int32_t aUnitsValue, float aForParam) {
    return Scale(aUnitsValue, FactorAt(static_cast<double>(aForParam) + temperatureOffset));
}

float TDiffTempCalibrationTable::GetMaxRealValue(int32_t aUnitsValue) {
    return Scale(aUnitsValue, fMaxFactor);
}

float TDiffTempCalibrationTable::GetMiddleRealValue(int32_t aUnitsValue) {
    return Scale(aUnitsValue, (static_cast<double>(fMaxFactor) + fMinFactor) / 2);
}

float TDiffTempCalibrationTable::GetMinRealValue(int32_t aUnitsValue) {
    return Scale(aUnitsValue, fMinFactor);
}

int32_t TDiffTempCalibrationTable::GetUnitsValue(float) {
    throw ECalibrationException("Do not use!");
}

int32_t TDiffTempCalibrationTable::GetUnitsValueByHighRange(float aRealValue) {
    return DivideRounded(aRealValue, fMaxFactor);
}

int32_t TDiffTempCalibrationTable::GetUnitsValueByMiddleRange(float aRealValue) {
    return DivideRounded(aRealValue, (static_cast<double>(fMaxFactor) + fMinFactor) / 2);
}

int32_t TDiffTempCalibrationTable::GetUnitsValueByLowRange(float aRealValue) {
    return DivideRounded(aRealValue, fMinFactor);
}

int32_t TDiffTempCalibrationTable::GetUnitsValue(float aRealValue, int32_t aForPoint) {
    if (items.empty()) return DivideRounded(aRealValue, fMaxFactor);
    return DivideRounded(aRealValue, items[DegreeIndex(aForPoint, fBegTemp, items.size())]);
}

float TDiffTempCalibrationTable::GetFactor(float aRealValue) {
    if (items.empty()) ThrowRangeError();
    return items[NearestIndex(static_cast<double>(aRealValue) + temperatureOffset, items.size())];
}

void TDiffTempCalibrationTable::Calc() {
    if (GetRefPointsCount() < 2) throw ERefPoinsCount();
    SortRefPoints();
    ZeroItems();
    if (items.empty()) ThrowRangeError();
    const size_t n = fPoints.size();
    const auto& P = fPoints;
    auto line = [&](size_t a, size_t b) {
        return
            [&, a, b](int64_t T) { return LineAt(P[a].u, P[a].r, P[b].u, P[b].r, static_cast<double>(T)); };
    };
    auto u = [&](size_t i) { return static_cast<int64_t>(P[i].u); };
    switch (interpType) {
        case itPolynomial: {
            CheckCurvePointCount(static_cast<int>(n));
            int32_t duplicate;
            if (FindDuplicateKey(duplicate))
                throw ECalibrationException(DuplicateTemperatureMessage(duplicate));
            TXYPoints xy;
            for (const RPointUR& p : P)
                xy.push_back({p.u, p.r});
            const TPolynomValues poly(*Lagrange(xy));
            FillDegrees(items, fBegTemp, fBegTemp, fEndTemp, [&](int64_t T) { return poly(T); });
            break;
        }
        case itLine:
            for (size_t q = 0; q < n; ++q) {
                if (q == 0) FillDegrees(items, fBegTemp, fBegTemp, u(0), line(0, 1));
                if (q == n - 1)
                    FillDegrees(items, fBegTemp, u(n - 1), int64_t{fEndTemp} - 1, line(n - 2, n - 1));
                if (q < n - 1) FillDegrees(items, fBegTemp, u(q), u(q + 1), line(q, q + 1));
            }
            break;
        default:  // the least-squares and Bézier methods are not defined for dT tables
            break;
    }
    const auto [lo, hi] = std::minmax_element(items.begin(), items.end());
    fMaxFactor = *hi;
    fMinFactor = *lo;
    WarnIfAllZero(ALL_ZERO_MSG);
    int32_t adcMin, adcMax;
    AdcRange(adcMin, adcMax);
    begRealValue = GetMaxRealValue(adcMin);
    endRealValue = GetMaxRealValue(adcMax);
}

}  // namespace kalvero
