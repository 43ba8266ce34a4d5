#include "calibration/HeatCalibration.h"

#include <cmath>
#include <limits>

#include "calibration/CalibrationMath.h"
#include "calibration/Interpolation.h"
#include "common/Cp1251.h"

namespace kalvero {
namespace {

using namespace calibration_math;

constexpr const char* ALL_ZERO_MSG =
    "Внимание! Все коэффициенты калибровочной таблицы теплоты равны нулю: теплоты пиков будут "
    "нулевыми. Проверьте калибровочные точки и метод расчёта.";

// Factors are J per count (about 1e-7); the polynomial and the curve work on them scaled up.
constexpr long double FACTOR_SCALE = 1e9L;
constexpr long double POLYNOMIAL_SCALE = 10;

}  // namespace

THeatCalibrationTable::THeatCalibrationTable(float aBegTemp, float aEndTemp) : TCalibrationTable(cttHeat) {
    SetTemperatureRange(aBegTemp, aEndTemp);
}

void THeatCalibrationTable::SetTemperatureRange(float aBegTemp, float aEndTemp) {
    const int32_t beg = RoundToInt32(aBegTemp);
    const int32_t end = RoundToInt32(aEndTemp);
    const int64_t count = static_cast<int64_t>(end) - beg;
    if (count < 0 || count > MAX_TABLE_ENTRIES || beg == INT32_MIN)
        throw ECalibrationException(BadTemperatureRangeMessage(beg, end));
    begTemp = beg;
    endTemp = end;
    items.resize(static_cast<size_t>(count), 0.0f);
    temperatureOffset = -beg;
}

void THeatCalibrationTable::AddHeatRefPoint(int32_t aSampleTemp, int32_t aArea, float aWeight,
                                            float aSpecificHeat, bool aVirtyualPoint,
                                            const std::string& aDescription) {
    if (aArea == 0) ThrowZeroDivide();
    const long double factor = static_cast<long double>(aWeight) * aSpecificHeat / 1000 / aArea;
    AddHeatRefPoint(aSampleTemp, aArea, aWeight, aSpecificHeat, static_cast<float>(factor), aVirtyualPoint,
                    aDescription);
}

void THeatCalibrationTable::AddHeatRefPoint(int32_t aSampleTemp, int32_t aArea, float aWeight,
                                            float aSpecificHeat, float aRealValue, bool aVirtyualPoint,
                                            const std::string& aDescription) {
    if (aArea < 0) ThrowRangeError();
    TRefPoint p;
    p.unitValue = aSampleTemp;
    p.realValue = aRealValue;
    p.area = static_cast<uint32_t>(aArea);
    p.weight = aWeight;
    p.specificHeat = aSpecificHeat;
    p.virtualPoint = aVirtyualPoint;
    p.description = Utf8Left(aDescription, 255);
    AddRefPoint(aSampleTemp, p);
}

float THeatCalibrationTable::GetHeatFactor(float aSampleTemp) const {
    if (items.empty()) ThrowRangeError();
    return items[NearestIndex(static_cast<double>(aSampleTemp) + temperatureOffset, items.size())];
}

void THeatCalibrationTable::Calc() {
    SortRefPoints();
    ZeroItems();
    if (items.empty()) ThrowRangeError();
    switch (interpType) {
        case itLine:
            FillLine();
            break;
        case itPolynomial:
            FillPolynomial();
            break;
        case itMinSquare:
            FillMinSquare();
            break;
        case itBezie:
            FillBezier();
            break;
    }
    if (useHeatTunePoint && tp_area > 0) ApplyTunePoint();
    begRealValue = items.front();
    endRealValue = items.back();
    WarnIfAllZero(ALL_ZERO_MSG);
}

// Straight lines between neighbouring points; outside the first and last point the entries stay 0.
void THeatCalibrationTable::FillLine() {
    const auto& P = fPoints;
    for (size_t q = 0; q + 1 < P.size(); ++q) {
        FillDegrees(items, begTemp, static_cast<int64_t>(P[q].u), static_cast<int64_t>(P[q + 1].u),
                    [&](int64_t T) {
                        return LineAt(P[q].u, P[q].r, P[q + 1].u, P[q + 1].r, static_cast<double>(T));
                    });
    }
}

// The polynomial through the measured points (and the margin points when chosen), over the extent
// of all points.
void THeatCalibrationTable::FillPolynomial() {
    const auto& P = fPoints;
    const size_t n = P.size();
    const size_t from = tp_useMarginPoints ? 0 : 1;
    const size_t to = tp_useMarginPoints ? n : (n >= 1 ? n - 1 : 0);
    TXYPoints xy;
    for (size_t i = from; i < to; ++i)
        xy.push_back({P[i].u, P[i].r * FACTOR_SCALE * POLYNOMIAL_SCALE});
    if (xy.empty()) throw ERefPoinsCount();
    CheckCurvePointCount(static_cast<int>(xy.size()));
    for (size_t i = 0; i < xy.size(); ++i)
        for (size_t j = i + 1; j < xy.size(); ++j)
            if (xy[i].x == xy[j].x)
                throw ECalibrationException(DuplicateTemperatureMessage(static_cast<int32_t>(xy[i].x)));
    const TPolynomValues poly(*Lagrange(xy));
    FillDegrees(items, begTemp, static_cast<int64_t>(P[0].u), static_cast<int64_t>(P[n - 1].u),
                [&](int64_t T) { return poly(T) / FACTOR_SCALE / POLYNOMIAL_SCALE; });
}

// The least-squares line through the measured points (never the margin points), over the extent
// of all points.
void THeatCalibrationTable::FillMinSquare() {
    const auto& P = fPoints;
    const size_t n = P.size();
    TXYPoints xy;
    for (size_t i = 1; i + 1 < n; ++i)
        xy.push_back({P[i].u, P[i].r});
    long double a, b;
    FitLine(xy, a, b);
    FillDegrees(items, begTemp, static_cast<int64_t>(P[0].u), static_cast<int64_t>(P[n - 1].u),
                [&](int64_t T) { return T * a + b; });
}

// The Bézier curve of all points, walked in as many steps as the table has entries; gaps that
// the walk jumps over are bridged by straight lines.
void THeatCalibrationTable::FillBezier() {
    const size_t n = fPoints.size();
    if (n == 0) throw ERefPoinsCount();
    CheckCurvePointCount(static_cast<int>(n));
    std::vector<int32_t> X, Y;
    for (const RPointUR& p : fPoints) {
        X.push_back(RoundToInt32(p.u));
        Y.push_back(RoundToInt32(p.r * static_cast<double>(FACTOR_SCALE)));
    }
    const size_t N = items.size();
    const double step = N > 1 ? 1.0 / static_cast<double>(N - 1) : 0;
    double t = 0;
    size_t last = 0;
    for (size_t rep = 0; rep < N; ++rep) {
        const int64_t degree = RoundToInt32(static_cast<double>(BezierValue(X, t)));
        const size_t k = DegreeIndex(degree, begTemp, N);
        items[k] = static_cast<float>(BezierValue(Y, t) / FACTOR_SCALE);
        if (k > last + 1) {
            const double yLast = items[last], yK = items[k];
            for (size_t j = last; j <= k; ++j)
                items[j] = static_cast<float>(LineAt(static_cast<double>(last), yLast, static_cast<double>(k),
                                                     yK, static_cast<double>(j)));
        }
        t += step;
        last = k;
    }
}

// Scales the table (or, with recalcBaseFromTunePoint, rewrites the reference areas) so that the
// factor at the tune temperature equals the tune measurement.
void THeatCalibrationTable::ApplyTunePoint() {
    tp_factor = static_cast<float>(static_cast<long double>(tp_mass) / 1000 * tp_dH / tp_area);
    const int64_t tuneDegree = RoundToInt32(tp_transTemp);
    const float base = items[DegreeIndex(tuneDegree, begTemp, items.size())];
    if (base == 0)
        throw ECalibrationException(
            "Подстройка калибровки невозможна: калибровочный коэффициент при температуре " +
            std::to_string(tuneDegree) + " равен нулю");
    const long double koeff = static_cast<long double>(tp_factor) / base;
    if (!recalcBaseFromTunePoint) {
        for (float& v : items)
            v = static_cast<float>(koeff * v);
        return;
    }
    // Every new area is checked before any is stored: an area must come back from the file.
    std::vector<uint32_t> areas;
    for (const TCustomCollectionItem& item : refPoints.items) {
        const TRefPoint& p = item.value;
        const long double heat = static_cast<long double>(p.weight) / 1000 * p.specificHeat;
        long double area = 0;
        if (heat != 0) {
            const long double divisor = koeff * p.realValue;
            if (divisor == 0) ThrowZeroDivide();
            area = heat / divisor;
        }
        const double rounded = std::nearbyint(static_cast<double>(area));
        if (!(rounded >= 0 && rounded <= std::numeric_limits<int32_t>::max())) ThrowRangeError();
        areas.push_back(static_cast<uint32_t>(rounded));
    }
    for (size_t i = 0; i < areas.size(); ++i)
        refPoints.items[i].value.area = areas[i];
}

}  // namespace kalvero
