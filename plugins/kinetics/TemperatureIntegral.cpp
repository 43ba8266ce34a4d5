#include "TemperatureIntegral.h"

#include <algorithm>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cmath>
#include <limits>

namespace kalvero::kinetics {
namespace {

// Bins narrow enough that E·δ stays within ±0.01 up to this energy: the three moments then leave
// a relative error of (E·δ)³/6 < 2e-7.
constexpr double kHighestEnergy = 2e6;  // J/mol
constexpr double kBinPhase = 0.02;
constexpr size_t kMostBins = size_t{1} << 20;

}  // namespace

double ReducedTemperatureIntegral(double aX) {
    const auto integrand = [aX](double s) {
        const double q = 1 + s / aX;
        return std::exp(-s) / (q * q);
    };
    return boost::math::quadrature::gauss_kronrod<double, 15>::integrate(
        integrand, 0.0, std::numeric_limits<double>::infinity(), 15, 1e-13);
}

double LnTemperatureIntegral(double aX) {
    return -aX - 2 * std::log(aX) + std::log(ReducedTemperatureIntegral(aX));
}

double LnArrheniusTemperatureIntegral(double aEnergy, double aTemperature) {
    const double x = aEnergy / (GAS_CONSTANT * aTemperature);
    return std::log(aEnergy / GAS_CONSTANT) + LnTemperatureIntegral(x);
}

// d ln p / dx = −e^(−x) / (x² p) = −1 / H(x).
double FlynnWallSlope(double aX) {
    return 1 / (ReducedTemperatureIntegral(aX) * std::log(10.0));
}

double FlynnWallIntercept(double aX) {
    return -LnTemperatureIntegral(aX) / std::log(10.0);
}

TArrheniusTimeIntegral::TArrheniusTimeIntegral(const RKineticRun& aRun, const RConversionPoint& aFrom,
                                               const RConversionPoint& aTo, double aLeadInRate) {
    if (aLeadInRate > 0) {
        fLeadInRate = aLeadInRate;
        fLeadInTemperature = aRun.temperature.front();
    }
    // The nodes: the two ends and the samples strictly between them.
    const size_t inside = aFrom.index, after = std::max(aFrom.index, aTo.index);
    auto visit = [&](auto&& aNode) {
        aNode(aFrom.time, aFrom.temperature);
        for (size_t k = inside; k < after; ++k)
            aNode(aRun.time[k], aRun.temperature[k]);
        aNode(aTo.time, aTo.temperature);
    };
    double hottest = 0, coolest = std::numeric_limits<double>::infinity();
    visit([&](double, double aT) { hottest = std::max(hottest, aT), coolest = std::min(coolest, aT); });
    fLowest = 1 / (GAS_CONSTANT * hottest);
    const double span = 1 / (GAS_CONSTANT * coolest) - fLowest;
    fWidth = std::max(kBinPhase / kHighestEnergy, span / static_cast<double>(kMostBins - 1));
    fPerWidth = 1 / fWidth;
    fBins.resize(static_cast<size_t>(span * fPerWidth) + 1);

    // Trapezoid weights: a node weighs half the time from the node before it to the node after
    // (an end, half its one interval). Each node is added once its successor is known.
    bool first = true;
    double previousTime = 0, time = 0, temperature = 0;
    visit([&](double aTime, double aT) {
        if (first) {
            previousTime = aTime, first = false;
        } else {
            Add(temperature, 0.5 * (aTime - previousTime));
            previousTime = time;
        }
        time = aTime, temperature = aT;
    });
    Add(temperature, 0.5 * (time - previousTime));
}

void TArrheniusTimeIntegral::Add(double aTemperature, double aWeight) {
    const double position = (1 / (GAS_CONSTANT * aTemperature) - fLowest) * fPerWidth;
    const size_t b = std::min(static_cast<size_t>(position), fBins.size() - 1);
    const double delta = (position - (static_cast<double>(b) + 0.5)) * fWidth;
    RBin& bin = fBins[b];
    bin.weight += aWeight;
    bin.first += aWeight * delta;
    bin.second += aWeight * delta * delta;
}

double TArrheniusTimeIntegral::Ln(double aEnergy) const {
    // Relative to the hottest bin's centre, so that nothing underflows; the factor of each next
    // bin by one multiplication, until the bins no longer count.
    const double ratio = std::exp(-aEnergy * fWidth);
    double sum = 0, scale = 1;
    for (const RBin& bin : fBins) {
        if (bin.weight != 0)
            sum += scale * (bin.weight - aEnergy * bin.first + 0.5 * aEnergy * aEnergy * bin.second);
        scale *= ratio;
        if (scale < 1e-280) break;
    }
    const double centre = fLowest + 0.5 * fWidth;
    double ln = -aEnergy * centre + std::log(sum);
    if (fLeadInRate > 0) {
        const double leadIn =
            LnArrheniusTemperatureIntegral(aEnergy, fLeadInTemperature) - std::log(fLeadInRate);
        const double top = std::max(ln, leadIn);
        ln = top + std::log(std::exp(ln - top) + std::exp(leadIn - top));
    }
    return ln;
}

}  // namespace kalvero::kinetics
