#include "calibration/Interpolation.h"

#include <algorithm>
#include <cmath>

#include "calibration/CommonCalibration.h"

namespace kalvero {

std::string DuplicateTemperatureMessage(int32_t aTemperature) {
    return "Калибровочные точки с одинаковой температурой (" + std::to_string(aTemperature) +
           ") недопустимы для этого метода расчёта";
}

std::string BadTemperatureRangeMessage(int64_t aBegTemp, int64_t aEndTemp) {
    return "Недопустимый диапазон температур калибровочной таблицы: от " + std::to_string(aBegTemp) + " до " +
           std::to_string(aEndTemp);
}

TPolynomValues::TPolynomValues(const TPolynom& aPolynom) {
    for (int i = 0; i < aPolynom.Count(); ++i) {
        const TTerm t = aPolynom.GetTerm(i);
        const size_t power = t.power > 0 ? static_cast<size_t>(t.power) : 0;
        if (fCoeffs.size() <= power) fCoeffs.resize(power + 1, 0);
        fCoeffs[power] += t.coeff;
    }
}

long double TPolynomValues::operator()(long double x) const {
    long double sum = 0;
    for (size_t k = fCoeffs.size(); k-- > 0;)
        sum = sum * x + fCoeffs[k];
    return sum;
}

void FitLine(const TXYPoints& aPoints, long double& a, long double& b) {
    if (aPoints.size() < 2) throw ERefPoinsCount();
    const long double n = static_cast<long double>(aPoints.size());
    long double sx = 0, sy = 0;
    for (const TXYPoint& p : aPoints) {
        sx += p.x;
        sy += p.y;
    }
    const long double mx = sx / n, my = sy / n;
    // Centred sums: the same line as the textbook formula without its cancellation.
    long double sxx = 0, sxy = 0;
    for (const TXYPoint& p : aPoints) {
        sxx += (p.x - mx) * (p.x - mx);
        sxy += (p.x - mx) * (p.y - my);
    }
    if (sxx == 0)
        throw ECalibrationException(DuplicateTemperatureMessage(static_cast<int32_t>(aPoints[0].x)));
    a = sxy / sxx;
    b = my - a * mx;
}

void CheckCurvePointCount(int aCount) {
    if (aCount > MAX_CURVE_POINTS)
        throw ECalibrationException(
            "Слишком много калибровочных точек для этого метода расчёта: " + std::to_string(aCount) +
            " (не более " + std::to_string(MAX_CURVE_POINTS) + ")");
}

long double BezierValue(const std::vector<int32_t>& aControl, long double t) {
    if (aControl.empty()) return 0;
    const size_t n = aControl.size() - 1;
    // B(t) = Σ C(n,i) tⁱ (1−t)ⁿ⁻ⁱ Pᵢ. From the end nearer to t the ratio of the two powers stays
    // at most 1, so Horner's rule on it neither overflows nor loses the far end.
    std::vector<long double> binomial(n + 1);
    binomial[0] = 1;
    for (size_t i = 1; i <= n; ++i)
        binomial[i] = binomial[i - 1] * static_cast<long double>(n - i + 1) / static_cast<long double>(i);
    long double acc = 0;
    if (t <= 0.5L) {
        const long double s = 1 - t, ratio = t / s;
        for (size_t i = n + 1; i-- > 0;)
            acc = acc * ratio + binomial[i] * aControl[i];
        return acc * std::pow(s, static_cast<long double>(n));
    }
    const long double ratio = (1 - t) / t;
    for (size_t i = 0; i <= n; ++i)
        acc = acc * ratio + binomial[i] * aControl[i];
    return acc * std::pow(t, static_cast<long double>(n));
}

}  // namespace kalvero
