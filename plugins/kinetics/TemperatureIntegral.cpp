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
// Beyond the ends' temperatures, K.
constexpr double kMargin = 5;

}  // namespace

// The adaptive rule's error estimate is cautious: asked for 1e-10 it gives H to about 1e-13.
double ReducedTemperatureIntegral(double aX) {
    const auto integrand = [aX](double s) {
        const double q = 1 + s / aX;
        return std::exp(-s) / (q * q);
    };
    return boost::math::quadrature::gauss_kronrod<double, 15>::integrate(
        integrand, 0.0, std::numeric_limits<double>::infinity(), 15, 1e-10);
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
    // The bins span the ends' temperatures and a margin, which holds the samples of a heating
    // (noise included) in one pass; a run that strays beyond is gathered again over its full span.
    const double lo = std::min(aFrom.temperature, aTo.temperature),
                 hi = std::max(aFrom.temperature, aTo.temperature);
    if (!Gather(visit, std::max(lo - kMargin, lo / 2), hi + kMargin)) {
        double hottest = 0, coolest = std::numeric_limits<double>::infinity();
        visit([&](double, double aT) { hottest = std::max(hottest, aT), coolest = std::min(coolest, aT); });
        Gather(visit, coolest, hottest);
    }
}

template <typename Visit>
bool TArrheniusTimeIntegral::Gather(const Visit& aVisit, double aCoolest, double aHottest) {
    fLowest = 1 / (GAS_CONSTANT * aHottest);
    const double span = 1 / (GAS_CONSTANT * aCoolest) - fLowest;
    fWidth = std::max(kBinPhase / kHighestEnergy, span / static_cast<double>(kMostBins - 1));
    fPerWidth = 1 / fWidth;
    fBins.assign(static_cast<size_t>(span * fPerWidth) + 1, RBin{});

    // Trapezoid weights: a node weighs half the time from the node before it to the node after
    // (an end, half its one interval). Each node is added once its successor is known.
    bool first = true, held = true;
    double previousTime = 0, time = 0, temperature = 0;
    aVisit([&](double aTime, double aT) {
        held = held && aT >= aCoolest && aT <= aHottest;
        if (first) {
            previousTime = aTime, first = false;
        } else {
            Add(temperature, 0.5 * (aTime - previousTime));
            previousTime = time;
        }
        time = aTime, temperature = aT;
    });
    Add(temperature, 0.5 * (time - previousTime));
    return held;
}

void TArrheniusTimeIntegral::Add(double aTemperature, double aWeight) {
    // A node outside the span lands in the edge bin; Gather then reports it.
    const double last = static_cast<double>(fBins.size() - 1);
    const double position = std::clamp((1 / (GAS_CONSTANT * aTemperature) - fLowest) * fPerWidth, 0.0, last);
    const size_t b = static_cast<size_t>(position);
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
