// The straight-line isoconversional methods at one conversion level.

#include <cmath>
#include <limits>

#include "IsoconversionalLevel.h"
#include "LineFit.h"
#include "TemperatureIntegral.h"

namespace kalvero::kinetics {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Doyle's slope of log₁₀ p(x) for 20 < x < 60, the first value of b in ASTM E1641.
constexpr double kDoyleSlope = 0.457;
// Starink's exponent of T and his factor of E/RT, as the ICTAC recommendations give them.
constexpr double kStarinkPower = 1.92;
constexpr double kStarinkFactor = 1.0008;

// The method's ordinate at one point.
double Ordinate(TKineticMethod aMethod, double aRate, const RConversionPoint& aPoint) {
    switch (aMethod) {
        case TKineticMethod::kmFriedman:
            // ln(β·dα/dT) = ln(dα/dt) under linear heating; the rate itself also serves any other.
            return aPoint.rate > 0 ? std::log(aPoint.rate) : kNaN;
        case TKineticMethod::kmOzawaFlynnWall:
            return std::log10(aRate);
        case TKineticMethod::kmKissingerAkahiraSunose:
            return std::log(aRate / (aPoint.temperature * aPoint.temperature));
        case TKineticMethod::kmStarink:
            return std::log(aRate / std::pow(aPoint.temperature, kStarinkPower));
        default:
            return kNaN;
    }
}

// ASTM E1641, Calculation: E = −(R/b)·Δlog β/Δ(1/T) with b first Doyle's 0.457, then b at E/RTc
// (the standard's Table 1, here FlynnWallSlope), Tc the temperature at this conversion of the run
// nearest the middle heating rate, again and again until E settles.
double OzawaFlynnWallFactor(double aSlope, double aMiddleTemperature) {
    double b = kDoyleSlope;
    for (int i = 0; i < 100; ++i) {
        const double energy = -GAS_CONSTANT / b * aSlope;
        if (!(energy > 0)) break;
        const double next = FlynnWallSlope(energy / (GAS_CONSTANT * aMiddleTemperature));
        const bool settled = std::fabs(next - b) <= 1e-12 * b;
        b = next;
        if (settled) break;
    }
    return GAS_CONSTANT / b;
}

}  // namespace

RActivationEnergy LineMethodLevel(TKineticMethod aMethod, const std::vector<double>& aRates,
                                  const std::vector<RConversionPoint>& aPoints, size_t aMiddleRun,
                                  double aConfidence) {
    RActivationEnergy e;
    for (size_t i = 0; i < aPoints.size(); ++i) {
        e.x.push_back(1 / aPoints[i].temperature);
        e.y.push_back(Ordinate(aMethod, aRates[i], aPoints[i]));
    }
    for (double y : e.y) {
        if (std::isnan(y)) {
            e.energy = e.low = e.high = e.r2 = e.slope = e.intercept = kNaN;
            return e;
        }
    }
    const RLineFit line = FitLine(e.x, e.y, aConfidence);
    e.slope = line.slope;
    e.intercept = line.intercept;
    e.r2 = line.r2;
    // E (J/mol) = −factor · slope.
    double factor = GAS_CONSTANT;
    if (aMethod == TKineticMethod::kmOzawaFlynnWall)
        factor = OzawaFlynnWallFactor(line.slope, aPoints[aMiddleRun].temperature);
    else if (aMethod == TKineticMethod::kmStarink)
        factor = GAS_CONSTANT / kStarinkFactor;
    e.energy = -factor * line.slope / 1000;
    const double halfWidth = factor * line.slopeHalfWidth / 1000;
    e.low = e.energy - halfWidth;
    e.high = e.energy + halfWidth;
    return e;
}

}  // namespace kalvero::kinetics
