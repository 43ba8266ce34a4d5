#pragma once
// Model curves of known answer for the evaluation tests: a linear temperature ramp sampled at a
// fixed step, with signals built from logistic steps, Gaussians and their integrals.

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::test {

struct TRecord {
    std::vector<double> t, T, y;

    evaluation::TCurve Curve() const { return {t, T, y}; }
    evaluation::TItemRange All() const { return {0, y.size() - 1}; }
    size_t Size() const { return y.size(); }
    // The item whose time is nearest aTime.
    size_t ItemAt(double aTime) const {
        return static_cast<size_t>(std::lround((aTime - t.front()) / (t[1] - t[0])));
    }
};

// aCount items aStep seconds apart from t = 0; T = aT0 + aRate/60 · t (aRate in K/min); the signal
// aSignal(t, T).
inline TRecord Ramp(size_t aCount, double aStep, double aT0, double aRate,
                    const std::function<double(double, double)>& aSignal) {
    TRecord r;
    for (size_t i = 0; i < aCount; ++i) {
        const double t = static_cast<double>(i) * aStep;
        const double T = aT0 + aRate / 60 * t;
        r.t.push_back(t);
        r.T.push_back(T);
        r.y.push_back(aSignal(t, T));
    }
    return r;
}

inline void AddNoise(std::vector<double>& aValues, double aSigma, unsigned aSeed = 1) {
    std::mt19937 random(aSeed);
    std::normal_distribution<double> noise(0, aSigma);
    for (double& v : aValues)
        v += noise(random);
}

inline double Logistic(double x) {
    return 1 / (1 + std::exp(-x));
}
inline double Gaussian(double x) {
    return std::exp(-0.5 * x * x);
}
inline double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

}  // namespace kalvero::test
