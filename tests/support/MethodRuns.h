#pragma once
// A polymer-like run of known answers for the method tests: a heat flow in mW of a 5 mg sample
// heated at 10 K/min from 50 °C, with a glass transition (a logistic step of 0.3 mW at 100 °C, 2 K
// wide) and a melting (a Gaussian of 150 mJ, σ 2 K, at 160 °C) on a sloped base. Sampled at any
// step, the same temperatures carry the same signal, so one method gives one answer on runs of
// different sampling. The configuration (gConfig) must be loaded first.

#include <cmath>
#include <string>

#include "evaluation/Models.h"
#include "support/RecordFiles.h"

namespace kalvero::test {

struct TMethodRunModel {
    static constexpr double kRate = 10, kFrom = 50, kMass = 5;
    static constexpr double kGlass = 100, kMelting = 160, kHeat = 150, kSigmaK = 2;
    double step = 0.5;     // s between items
    double peakShift = 0;  // K: the melting moved, for a run out of limits

    double SpecificHeat() const { return kHeat / 1000 / (kMass / 1000); }  // J/g: 30

    double Signal(double T) const {
        const double x = (T - kMelting - peakShift) / kSigmaK;
        // mW: the Gaussian's integral over time is kHeat mJ (σ in seconds = σ in K · 6 s/K).
        const double sigmaSeconds = kSigmaK * 60 / kRate;
        return 1 + 0.002 * T + 0.3 * Logistic((T - kGlass) / 2) +
               kHeat * Gaussian(x) / (sigmaSeconds * std::sqrt(2 * M_PI));
    }

    TRecord Record() const {
        const size_t count = static_cast<size_t>(std::lround(150 * 60 / kRate / step)) + 1;
        return Ramp(count, step, kFrom, kRate, [this](double, double T) { return Signal(T); });
    }

    // The item of a run of this step at aCelsius.
    int ItemAt(double aCelsius) const { return static_cast<int>(std::lround((aCelsius - kFrom) * 6 / step)); }

    std::unique_ptr<TDataClass> Experiment() const { return ExperimentOf(Record(), kMass); }
    void Save(const std::string& aFile) const { SaveRecord(Record(), aFile, kMass); }
};

}  // namespace kalvero::test
