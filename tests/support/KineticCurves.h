#pragma once
// Runs of a known reaction under linear heating for the kinetics tests: dα/dt = A·exp(−E/RT)·f(α)
// for each step of a set of independent parallel steps, integrated with an adaptive Runge–Kutta
// (Dormand–Prince 5(4)) to tolerances far below what the evaluation resolves.

#include <algorithm>
#include <boost/numeric/odeint.hpp>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "KineticRun.h"

namespace kalvero::test {

struct RReactionStep {
    double weight = 1;
    double energy = 0;                    // J/mol
    double preExponential = 0;            // 1/s
    std::function<double(double)> model;  // f(α)
    double start = 0;                     // α where the integration begins (above 0 where f(0) = 0)
};

inline double FirstOrder(double a) {
    return 1 - a;
}

// Avrami–Erofeev, n = 2: f(α) = 2(1 − α)[−ln(1 − α)]^½.
inline double AvramiErofeev2(double a) {
    return 2 * (1 - a) * std::sqrt(-std::log1p(-a));
}

// A run at aBeta K/min from aFrom to aTo K, one sample every aStep s.
inline kinetics::RKineticRun SimulateRun(const std::vector<RReactionStep>& aSteps, double aBeta, double aFrom,
                                         double aTo, double aStep = 0.5) {
    using TState = std::vector<double>;
    const double beta = aBeta / 60;
    const auto temperature = [&](double t) { return aFrom + beta * t; };
    const auto rates = [&](const TState& a, TState& da, double t) {
        const double T = temperature(t);
        for (size_t k = 0; k < aSteps.size(); ++k) {
            const double alpha = std::clamp(a[k], 0.0, 1 - 1e-15);
            da[k] = aSteps[k].preExponential * std::exp(-aSteps[k].energy / (kinetics::GAS_CONSTANT * T)) *
                    aSteps[k].model(alpha);
        }
    };
    kinetics::RKineticRun run;
    run.name = "beta" + std::to_string(aBeta);
    run.heatingRate = aBeta;
    const size_t count = static_cast<size_t>((aTo - aFrom) / beta / aStep) + 1;
    std::vector<double> times(count);
    for (size_t i = 0; i < count; ++i)
        times[i] = aStep * static_cast<double>(i);
    TState state;
    for (const auto& s : aSteps)
        state.push_back(s.start);
    const auto observe = [&](const TState& a, double t) {
        TState da(a.size());
        rates(a, da, t);
        double alpha = 0, rate = 0;
        for (size_t k = 0; k < aSteps.size(); ++k)
            alpha += aSteps[k].weight * a[k], rate += aSteps[k].weight * da[k];
        run.time.push_back(t);
        run.temperature.push_back(temperature(t));
        run.conversion.push_back(alpha);
        run.rate.push_back(rate);
    };
    namespace odeint = boost::numeric::odeint;
    odeint::integrate_times(odeint::make_dense_output(1e-14, 1e-11, odeint::runge_kutta_dopri5<TState>()),
                            rates, state, times.begin(), times.end(), aStep / 4, observe);
    return run;
}

// The runs of one set of steps at each of aRates.
inline std::vector<kinetics::RKineticRun> SimulateRuns(const std::vector<RReactionStep>& aSteps,
                                                       const std::vector<double>& aRates, double aFrom,
                                                       double aTo, double aStep = 0.5) {
    std::vector<kinetics::RKineticRun> runs;
    for (double beta : aRates)
        runs.push_back(SimulateRun(aSteps, beta, aFrom, aTo, aStep));
    return runs;
}

// Gaussian scatter of aSigma K on every temperature sample, the same for one seed.
inline void ScatterTemperatures(std::vector<kinetics::RKineticRun>& aRuns, double aSigma, unsigned aSeed) {
    std::mt19937 random(aSeed);
    std::normal_distribution<double> noise(0, aSigma);
    for (auto& run : aRuns) {
        for (double& T : run.temperature)
            T += noise(random);
    }
}

}  // namespace kalvero::test
