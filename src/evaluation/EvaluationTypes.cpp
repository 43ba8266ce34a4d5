#include "evaluation/EvaluationTypes.h"

#include <algorithm>

namespace kalvero::evaluation {

void ThrowInvalidValues() {
    throw EEvaluationError("В диапазоне есть недопустимые значения");
}

void CheckShape(const TCurve& aCurve, TItemRange aRange, size_t aMinItems) {
    const size_t n = aCurve.Size();
    if (aCurve.time.size() != n || aCurve.temperature.size() != n)
        throw EEvaluationError("Массивы времени, температуры и сигнала разной длины");
    if (aRange.from > aRange.to || aRange.to >= n) throw EEvaluationError("Диапазон вне записи");
    if (aRange.Count() < aMinItems)
        throw EEvaluationError("Для расчёта необходимо не менее " + std::to_string(aMinItems) +
                               " точек в диапазоне");
}

void CheckCurve(const TCurve& aCurve, TItemRange aRange, size_t aMinItems) {
    CheckShape(aCurve, aRange, aMinItems);
    for (size_t i = aRange.from; i <= aRange.to; ++i) {
        if (!std::isfinite(aCurve.time[i]) || !std::isfinite(aCurve.temperature[i]) ||
            !std::isfinite(aCurve.signal[i]))
            ThrowInvalidValues();
        if (i > aRange.from && !(aCurve.time[i] > aCurve.time[i - 1]))
            throw EEvaluationError("Время в диапазоне должно возрастать");
    }
}

void CheckBaseLine(TItemRange aRange, std::span<const double> aBaseLine) {
    if (aBaseLine.size() != aRange.Count())
        throw EEvaluationError("Базовая линия не соответствует диапазону");
}

double ValueAt(std::span<const double> aValues, double aIndex) {
    const size_t n = aValues.size();
    if (n == 0) return NAN;
    if (n == 1) return aValues[0];
    const double last = static_cast<double>(n - 1);
    const double clamped = std::clamp(std::floor(aIndex), 0.0, last - 1);
    const size_t k = static_cast<size_t>(clamped);
    const double f = aIndex - clamped;
    return aValues[k] + f * (aValues[k + 1] - aValues[k]);
}

RPoint PointAt(const TCurve& aCurve, double aIndex, double aValue) {
    return {aIndex, ValueAt(aCurve.time, aIndex), ValueAt(aCurve.temperature, aIndex), aValue};
}

namespace {

// The fractional position of aTarget between items k and k + 1 of aValues, which straddle it.
double Crossing(std::span<const double> aValues, size_t k, double aTarget) {
    const double d = aValues[k + 1] - aValues[k];
    return static_cast<double>(k) + (d != 0 ? (aTarget - aValues[k]) / d : 0.0);
}

bool Straddles(std::span<const double> aValues, size_t k, double aTarget) {
    return (aValues[k] - aTarget) * (aValues[k + 1] - aTarget) <= 0;
}

// Beyond the range: the straight line through its ends.
double Extrapolated(std::span<const double> aValues, TItemRange aRange, double aTarget) {
    const double a = aValues[aRange.from], b = aValues[aRange.to];
    if (a == b || aRange.from == aRange.to) return NAN;
    const double perItem = (b - a) / static_cast<double>(aRange.to - aRange.from);
    const bool nearFrom = std::abs(aTarget - a) < std::abs(aTarget - b);
    return nearFrom ? static_cast<double>(aRange.from) + (aTarget - a) / perItem
                    : static_cast<double>(aRange.to) + (aTarget - b) / perItem;
}

}  // namespace

double IndexOfTemperature(const TCurve& aCurve, TItemRange aRange, double aTemperature, double aHint) {
    const std::span<const double> T = aCurve.temperature;
    if (aRange.from == aRange.to || !std::isfinite(aTemperature)) return NAN;
    const double hint = std::isfinite(aHint) ? aHint : static_cast<double>(aRange.from);
    const size_t start = static_cast<size_t>(
        std::clamp(std::floor(hint), static_cast<double>(aRange.from), static_cast<double>(aRange.to - 1)));
    // Outwards from the hint, alternating sides, so the crossing found is the nearest one.
    for (size_t step = 0;; ++step) {
        const bool rightIn = start + step < aRange.to;
        const bool leftIn = start >= aRange.from + step;
        if (!rightIn && !leftIn) break;
        if (rightIn && Straddles(T, start + step, aTemperature))
            return Crossing(T, start + step, aTemperature);
        if (leftIn && step > 0 && Straddles(T, start - step, aTemperature))
            return Crossing(T, start - step, aTemperature);
    }
    return Extrapolated(T, aRange, aTemperature);
}

double IndexOfTime(const TCurve& aCurve, TItemRange aRange, double aTime) {
    const std::span<const double> t = aCurve.time;
    if (aRange.from == aRange.to || !std::isfinite(aTime)) return NAN;
    if (aTime < t[aRange.from] || aTime > t[aRange.to]) return Extrapolated(t, aRange, aTime);
    const auto first = t.begin() + static_cast<std::ptrdiff_t>(aRange.from);
    const auto last = t.begin() + static_cast<std::ptrdiff_t>(aRange.to) + 1;
    const size_t k = static_cast<size_t>(std::upper_bound(first, last, aTime) - t.begin());
    return Crossing(t, std::min(k, aRange.to) - 1, aTime);
}

int TemperatureDirection(const TCurve& aCurve, TItemRange aRange) {
    const double d = aCurve.temperature[aRange.to] - aCurve.temperature[aRange.from];
    return d > 0 ? 1 : d < 0 ? -1 : 0;
}

double MeanRate(const TCurve& aCurve, TItemRange aRange) {
    const double dt = aCurve.time[aRange.to] - aCurve.time[aRange.from];
    if (!(dt > 0)) return NAN;
    return 60.0 * (aCurve.temperature[aRange.to] - aCurve.temperature[aRange.from]) / dt;
}

}  // namespace kalvero::evaluation
