#pragma once
// Model curves of known answer for the evaluation tests: a linear temperature ramp sampled at a
// fixed step, with signals built from logistic steps, Gaussians and their integrals; a glass
// transition's step and a van't Hoff melting through a thermal resistance.

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "evaluation/EvaluationTypes.h"
#include "evaluation/Purity.h"

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

// y = a0 + a1·T + σ((T − c)/w)·(s + a2·(T − c)): a step of height s at c on a base of slope a1,
// whose slope becomes a1 + a2 after it. Ramp 70 … 130 °C (±15 w, so the flat stretches are clear of
// the step's tails) at aRate K/min, 6001 items.
struct TStepModel {
    double a0 = 1, a1 = 0.01, a2 = 0, s = 0.5, c = 100, w = 2;

    double operator()(double T) const { return a0 + a1 * T + Logistic((T - c) / w) * (s + a2 * (T - c)); }

    TRecord Record(double aRate = 10, double aNoise = 0) const {
        const double from = aRate > 0 ? 70 : 130;
        const double duration = 60 / std::abs(aRate) * 60;
        TRecord r = Ramp(6001, duration / 6000, from, aRate, [this](double, double T) { return (*this)(T); });
        if (aNoise > 0) AddNoise(r.y, aNoise);
        return r;
    }

    // The exact construction on the model: the inflection by Newton on y'' = 0, the tangent
    // there, and where it meets the asymptotes L1 = a0 + a1·T and L2 = L1 + s + a2·(T − c).
    struct TExpected {
        double inflection, onset, endset;
    };
    TExpected Expected() const {
        const auto derivatives = [this](double T, double& d1, double& d2, double& d3) {
            const double g = Logistic((T - c) / w), q = g * (1 - g);
            const double g1 = q / w, g2 = q * (1 - 2 * g) / (w * w), g3 = q * (1 - 6 * q) / (w * w * w);
            const double h = s + a2 * (T - c);
            d1 = a1 + g1 * h + g * a2;
            d2 = g2 * h + 2 * g1 * a2;
            d3 = g3 * h + 3 * g2 * a2;
        };
        double Ti = c, d1 = 0, d2 = 0, d3 = 0;
        for (int k = 0; k < 50; ++k) {
            derivatives(Ti, d1, d2, d3);
            Ti -= d2 / d3;
        }
        derivatives(Ti, d1, d2, d3);
        const double yi = (*this)(Ti);
        // tangent: yi + d1·(T − Ti); L1: a0 + a1·T; L2: a0 + s − a2·c + (a1 + a2)·T
        const double onset = (a0 - yi + d1 * Ti) / (d1 - a1);
        const double endset = (a0 + s - a2 * c - yi + d1 * Ti) / (d1 - a1 - a2);
        return {Ti, onset, endset};
    }
};

// The sample's enthalpy H(Ts) = C·Ts + Q·F(Ts) with the van't Hoff fraction melted
// F = K / (T0 − Ts), K = R·T0²·x2/ΔHf, up to 1. The cell heats at a fixed rate and the heat flow
// into the sample is (T − Ts) / R0; H is advanced by implicit Euler steps, each solved for Ts by
// bisection (H + dt·Ts/R0 grows with Ts), so melting at an almost fixed Ts is integrated stably.
struct TMeltingModel {
    double x2 = 0.005;          // mole fraction of the impurity
    double T0 = 150;            // °C, melting point of the pure main component
    double molarHeat = 25000;   // J/mol
    double molarMass = 200;     // g/mol
    double mass = 3;            // mg
    double specificHeat = 1.8;  // J/(g·K)
    double resistance = 0.02;   // K/mW: a lag slope of 50 mW/K
    double rate = 0.5;          // K/min
    double step = 0.5;          // s

    double K() const {
        return evaluation::GAS_CONSTANT * std::pow(T0 + evaluation::KELVIN_OFFSET, 2) * x2 / molarHeat;
    }
    double Heat() const { return mass * molarHeat / molarMass; }  // mJ
    double Fraction(double aTs) const { return aTs >= T0 - K() ? 1.0 : K() / (T0 - aTs); }
    double Enthalpy(double aTs) const { return mass * specificHeat * aTs + Heat() * Fraction(aTs); }

    // From T0 − 40 to T0 + 5 °C, the program temperature as the measured one.
    TRecord Record() const {
        TRecord r;
        const double start = T0 - 40;
        const size_t n = static_cast<size_t>(45 / (rate / 60) / step) + 1;
        double ts = start - resistance * mass * specificHeat * rate / 60;  // steady lag at the start
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) * step, T = start + rate / 60 * t;
            if (i > 0) {
                const double rhs = Enthalpy(ts) + step * T / resistance;
                double lo = ts - 1, hi = T + 1;
                for (int k = 0; k < 200 && hi - lo > 1e-13; ++k) {
                    const double mid = 0.5 * (lo + hi);
                    (Enthalpy(mid) + step * mid / resistance < rhs ? lo : hi) = mid;
                }
                ts = 0.5 * (lo + hi);
            }
            r.t.push_back(t);
            r.T.push_back(T);
            r.y.push_back((T - ts) / resistance);
        }
        return r;
    }
};

}  // namespace kalvero::test
