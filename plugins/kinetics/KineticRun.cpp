#include "KineticRun.h"

#include <cmath>

namespace kalvero::kinetics {

void CheckRun(const RKineticRun& aRun) {
    if (!(aRun.heatingRate > 0))
        throw EKineticsException("Не задана скорость нагрева эксперимента " + aRun.name);
    const size_t n = aRun.time.size();
    if (n < 2 || aRun.temperature.size() != n || aRun.conversion.size() != n || aRun.rate.size() != n)
        throw EKineticsException("Неполные данные эксперимента " + aRun.name);
    for (double t : aRun.temperature) {
        if (!(t > 0)) throw EKineticsException("Неверная температура в эксперименте " + aRun.name);
    }
}

std::vector<RConversionPoint> ConversionPoints(const RKineticRun& aRun, const std::vector<double>& aLevels) {
    std::vector<RConversionPoint> points;
    points.reserve(aLevels.size());
    const std::vector<double>& a = aRun.conversion;
    const size_t n = a.size();
    size_t i = 0;
    for (double level : aLevels) {
        while (i < n && a[i] < level)
            ++i;
        RConversionPoint p;
        if (i == n) {
            p = {aRun.time[n - 1], aRun.temperature[n - 1], aRun.rate[n - 1], n - 1};
        } else if (i == 0 || a[i] == a[i - 1]) {
            p = {aRun.time[i], aRun.temperature[i], aRun.rate[i], i};
        } else {
            const double w = (level - a[i - 1]) / (a[i] - a[i - 1]);
            auto at = [&](const std::vector<double>& v) { return v[i - 1] + w * (v[i] - v[i - 1]); };
            p = {at(aRun.time), at(aRun.temperature), at(aRun.rate), i};
        }
        points.push_back(p);
    }
    return points;
}

double FirstConversion(const RKineticRun& aRun) {
    return aRun.conversion.front();
}

double LastConversion(const RKineticRun& aRun) {
    // A running integral may overshoot and come back a little: the level reached is the largest.
    double top = aRun.conversion.front();
    for (double a : aRun.conversion)
        top = std::max(top, a);
    return top;
}

double PeakTemperature(const RKineticRun& aRun) {
    const std::vector<double>& r = aRun.rate;
    size_t top = 0;
    for (size_t i = 1; i < r.size(); ++i) {
        if (r[i] > r[top]) top = i;
    }
    const std::vector<double>& T = aRun.temperature;
    if (top == 0 || top + 1 == r.size()) return T[top];
    // The parabola through three samples; its vertex lies within the neighbours' span.
    const double y0 = r[top - 1], y1 = r[top], y2 = r[top + 1];
    const double curvature = y0 - 2 * y1 + y2;
    if (!(curvature < 0)) return T[top];
    const double shift = 0.5 * (y0 - y2) / curvature;
    return shift >= 0 ? T[top] + shift * (T[top + 1] - T[top]) : T[top] + shift * (T[top] - T[top - 1]);
}

size_t MiddleRun(const std::vector<double>& aHeatingRates) {
    double lo = aHeatingRates.front(), hi = lo;
    for (double b : aHeatingRates)
        lo = std::min(lo, b), hi = std::max(hi, b);
    const double middle = 0.5 * (lo + hi);
    size_t best = 0;
    for (size_t i = 1; i < aHeatingRates.size(); ++i) {
        if (std::fabs(aHeatingRates[i] - middle) < std::fabs(aHeatingRates[best] - middle)) best = i;
    }
    return best;
}

}  // namespace kalvero::kinetics
