#include "KineticRun.h"

#include <Eigen/Dense>
#include <cmath>

namespace kalvero::kinetics {
namespace {

// The share of the top of dα/dt that its cubic is fitted over: wide enough that noise on the top
// averages out, narrow enough that a cubic follows the peak's skew there.
constexpr double kTopShare = 0.85;

}  // namespace

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
    if (aRun.peakTemperature > 0) return aRun.peakTemperature;
    const std::vector<double>& r = aRun.rate;
    const std::vector<double>& T = aRun.temperature;
    size_t top = 0;
    for (size_t i = 1; i < r.size(); ++i) {
        if (r[i] > r[top]) top = i;
    }
    // From the first to the last sample that reaches kTopShare of the top: noise that dips below
    // that floor near the top does not cut the stretch short (a run holds one effect).
    const double floor = kTopShare * r[top];
    size_t from = 0, to = r.size() - 1;
    while (r[from] < floor)
        ++from;
    while (r[to] < floor)
        --to;
    if (to - from < 2) return T[top];
    // Least squares of r on powers of x = T − T[top] up to the cube, which takes in the skew of a
    // reaction's peak; the top where the derivative c₁ + 2c₂x + 3c₃x² vanishes, by Newton's
    // steps from x = 0.
    Eigen::Matrix4d normal = Eigen::Matrix4d::Zero();
    Eigen::Vector4d moments = Eigen::Vector4d::Zero();
    for (size_t i = from; i <= to; ++i) {
        const double x = T[i] - T[top];
        const Eigen::Vector4d basis(1, x, x * x, x * x * x);
        normal += basis * basis.transpose();
        moments += basis * r[i];
    }
    const Eigen::Vector4d c = normal.ldlt().solve(moments);
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
