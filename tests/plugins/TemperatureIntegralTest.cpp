#include <gtest/gtest.h>

#include <boost/math/special_functions/expint.hpp>
#include <cmath>

#include "TemperatureIntegral.h"

using namespace kalvero::kinetics;

namespace {

// p(x) = e^(−x)/x − E₁(x), the closed form through the exponential integral.
double ClosedP(double x) {
    return std::exp(-x) / x - boost::math::expint(1, x);
}

// A linear heating run at aBeta K/min from aFrom to aTo K, aCount samples.
RKineticRun LinearRun(double aBeta, double aFrom, double aTo, size_t aCount) {
    RKineticRun run;
    run.heatingRate = aBeta;
    for (size_t i = 0; i < aCount; ++i) {
        const double T = aFrom + (aTo - aFrom) * static_cast<double>(i) / static_cast<double>(aCount - 1);
        run.time.push_back((T - aFrom) / (aBeta / 60));
        run.temperature.push_back(T);
        run.conversion.push_back(static_cast<double>(i) / static_cast<double>(aCount - 1));
        run.rate.push_back(0);
    }
    return run;
}

RConversionPoint At(const RKineticRun& aRun, size_t aIndex) {
    return {aRun.time[aIndex], aRun.temperature[aIndex], 0, aIndex};
}

}  // namespace

TEST(TemperatureIntegral, MatchesTheExponentialIntegral) {
    for (double x : {0.5, 2.0, 8.0, 20.0, 35.0, 60.0, 150.0}) {
        // At x = 150, p(x) ≈ 1e-70: compared through logarithms.
        EXPECT_NEAR(LnTemperatureIntegral(x), std::log(ClosedP(x)), 1e-11) << "x = " << x;
        EXPECT_NEAR(FlynnWallIntercept(x), -std::log10(ClosedP(x)), 1e-11) << "x = " << x;
    }
    // Beyond where e^(−x) underflows the logarithm stays finite: p's asymptotic series there.
    const double x = 800;
    const double series = 1 - 2 / x + 6 / (x * x) - 24 / (x * x * x) + 120 / (x * x * x * x);
    EXPECT_NEAR(LnTemperatureIntegral(x), -x - 2 * std::log(x) + std::log(series), 1e-11);
    const double e = 120e3, T = 500;
    EXPECT_NEAR(LnArrheniusTemperatureIntegral(e, T),
                std::log(e / GAS_CONSTANT * ClosedP(e / (GAS_CONSTANT * T))), 1e-11);
}

// ASTM E1641's b is the slope of −log₁₀ p: against central differences of the closed form, and
// near Doyle's 0.457 where his straight line was drawn (x about 35).
TEST(TemperatureIntegral, GivesTheFlynnWallSlope) {
    for (double x : {8.0, 15.0, 25.0, 40.0, 60.0}) {
        const double h = 1e-3;
        const double difference = -(std::log10(ClosedP(x + h)) - std::log10(ClosedP(x - h))) / (2 * h);
        EXPECT_NEAR(FlynnWallSlope(x), difference, 1e-7) << "x = " << x;
    }
    EXPECT_NEAR(FlynnWallSlope(35), 0.457, 0.003);
    EXPECT_GT(FlynnWallSlope(10), FlynnWallSlope(50));
}

// Over a linear heating J = [I(E,T₂) − I(E,T₁)] / β; from the first sample with the lead-in,
// I(E,T₂) / β.
TEST(TemperatureIntegral, IntegratesOverTheRunsOwnTemperature) {
    const RKineticRun run = LinearRun(10, 300, 700, 400001);
    const double beta = 10.0 / 60;
    const size_t from = 150000, to = 160000;  // 450 … 460 K
    const TArrheniusTimeIntegral stretch(run, At(run, from), At(run, to), 0);
    const TArrheniusTimeIntegral whole(run, At(run, 0), At(run, to), beta);
    for (double e : {20e3, 80e3, 150e3, 400e3, 1500e3}) {
        const double upper = LnArrheniusTemperatureIntegral(e, run.temperature[to]);
        const double lower = LnArrheniusTemperatureIntegral(e, run.temperature[from]);
        const double exact = upper + std::log1p(-std::exp(lower - upper)) - std::log(beta);
        EXPECT_NEAR(stretch.Ln(e), exact, 1e-6) << "E = " << e;
        EXPECT_NEAR(whole.Ln(e), upper - std::log(beta), 1e-6) << "E = " << e;
    }
}

// Ends between samples are interpolated, and an isothermal stretch gives its duration times the
// Arrhenius factor.
TEST(TemperatureIntegral, TakesEndsBetweenSamplesAndHolds) {
    RKineticRun run = LinearRun(10, 400, 500, 101);
    for (double& T : run.temperature)
        T = 450;
    const RConversionPoint from{12.25, 450, 0, 3}, to{50.5, 450, 0, 9};
    const TArrheniusTimeIntegral hold(run, from, to, 0);
    const double e = 100e3;
    EXPECT_NEAR(hold.Ln(e), std::log(50.5 - 12.25) - e / (GAS_CONSTANT * 450), 1e-9);
}

// A stretch whose ends lie at 450 K while the run rises to 470 K and falls back between them (a
// temperature overshoot): J = 2·[I(E,470) − I(E,450)] / β over the two ramps.
TEST(TemperatureIntegral, FollowsTheRunBeyondItsEnds) {
    RKineticRun run;
    run.heatingRate = 12;  // K/min: 0.2 K/s
    const size_t count = 20001;
    for (size_t i = 0; i < count; ++i) {
        const double t = 0.01 * static_cast<double>(i);
        run.time.push_back(t);
        run.temperature.push_back(450 + 0.2 * (t <= 100 ? t : 200 - t));
        run.conversion.push_back(static_cast<double>(i) / (count - 1));
        run.rate.push_back(0);
    }
    const TArrheniusTimeIntegral excursion(run, At(run, 0), At(run, count - 1), 0);
    for (double e : {60e3, 150e3, 300e3}) {
        const double upper = LnArrheniusTemperatureIntegral(e, 470),
                     lower = LnArrheniusTemperatureIntegral(e, 450);
        const double exact = std::log(2.0) + upper + std::log1p(-std::exp(lower - upper)) - std::log(0.2);
        EXPECT_NEAR(excursion.Ln(e), exact, 1e-6) << "E = " << e;
    }
}
