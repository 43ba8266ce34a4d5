#include "KineticRun.h"

#include <Eigen/Dense>
#include <cmath>

namespace kalvero::kinetics {
namespace {

// The share of the top of dα/dt that its cubic is fitted over: wide enough that noise on the top
// averages out, narrow enough that a cubic follows the peak's skew there.
constexpr double kTopShare = 0.85;
constexpr double kTopExit = 0.75;

}  // namespace

void CheckRun(const RKineticRun& aRun) {
    if (!(aRun.heatingRate > 0))
        throw EKineticsException("Не задана скорость нагрева эксперимента " + aRun.name);
    const size_t n = aRun.time.size();
    if (n < 2 || aRun.temperature.size() != n || aRun.conversion.size() != n || aRun.rate.size() != n)
        throw EKineticsException("Неполные данные эксперимента " + aRun.name);
    size_t wrong = 0;  // counted rather than searched for, which the compiler vectorises
    for (double t : aRun.temperature)
        wrong += !(t > 0);
    if (wrong > 0) throw EKineticsException("Неверная температура в эксперименте " + aRun.name);
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
            p = {aRun.time[n - 1], aRun.temperature[n - 1], aRun.rate[n - 1], n - 1, false};
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

double PeakTemperature(const RKineticRun& aRun) {
    if (aRun.peakTemperature > 0) return aRun.peakTemperature;
    const std::vector<double>& r = aRun.rate;
    const std::vector<double>& T = aRun.temperature;
    size_t top = 0;
    for (size_t i = 1; i < r.size(); ++i) {
        if (r[i] > r[top]) top = i;
    }
    // Out from the top to the outermost samples that reach kTopShare of it, the walk ending only
    // well below that floor: noise that dips under it near the top does not cut the stretch short.
    const double floor = kTopShare * r[top], exit = kTopExit * r[top];
    size_t from = top, to = top;
    for (size_t i = top; i-- > 0 && r[i] >= exit;) {
        if (r[i] >= floor) from = i;
    }
    for (size_t i = top + 1; i < r.size() && r[i] >= exit; ++i) {
        if (r[i] >= floor) to = i;
    }
    if (to - from < 2) return T[top];
    // Least squares of r on powers of x = T − T[top] up to the cube, which takes in the skew of a
    // reaction's peak; the top where the derivative c₁ + 2c₂x + 3c₃x² vanishes, by Newton's
    // steps from x = 0.
    double powers[7] = {}, moments[4] = {};  // Σxᵏ, Σxᵏ·r
    for (size_t i = from; i <= to; ++i) {
        const double x = T[i] - T[top];
        double xk = 1;
        for (int k = 0; k < 7; ++k, xk *= x) {
            powers[k] += xk;
            if (k < 4) moments[k] += xk * r[i];
        }
    }
    Eigen::Matrix4d normal;
    for (int j = 0; j < 4; ++j) {
        for (int k = 0; k < 4; ++k)
            normal(j, k) = powers[j + k];
    }
    const Eigen::Vector4d c = normal.ldlt().solve(Eigen::Map<const Eigen::Vector4d>(moments));
    double x = 0;
    for (int i = 0; i < 20; ++i) {
        const double slope = c(1) + 2 * c(2) * x + 3 * c(3) * x * x, curvature = 2 * c(2) + 6 * c(3) * x;
        if (!(curvature < 0)) return T[top];
        x -= slope / curvature;
    }
    const double lo = std::min(T[from], T[to]) - T[top], hi = std::max(T[from], T[to]) - T[top];
    return x >= lo && x <= hi ? T[top] + x : T[top];
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
