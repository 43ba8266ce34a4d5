#pragma once
// Experiments of a reaction whose kinetics are known exactly: runs integrated from the rate
// equation (KineticCurves.h) as a heat-flow DSC records them, signal = ΔH·m·dα/dt on a sloped base
// line, made physical experiments in memory or saved as experiment files.

#include <cmath>
#include <memory>
#include <string>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "support/KineticCurves.h"

namespace kalvero::test {

// The reaction of the workbench's tests: first order, E = 150 kJ/mol, A = 10¹² s⁻¹.
inline constexpr double kTestEnergy = 150e3;         // J/mol
inline constexpr double kTestPreExponential = 1e12;  // 1/s

// Its runs from 350 to 720 K, a sample every 0.2 s: at each rate from 5 to 40 K/min the whole
// reaction, on the base line at both ends.
inline std::vector<kinetics::RKineticRun> FirstOrderRuns(const std::vector<double>& aRates = {5, 10, 20,
                                                                                              40}) {
    return SimulateRuns({{1, kTestEnergy, kTestPreExponential, FirstOrder}}, aRates, 350, 720, 0.2);
}

// The time it takes at the constant temperature aKelvin to reach α = 0.5: ln 2 / k(T).
inline double HalfLife(double aKelvin) {
    return std::log(2.0) /
           (kTestPreExponential * std::exp(-kTestEnergy / (kinetics::GAS_CONSTANT * aKelvin)));
}

struct RDscModel {
    double heat = 300;    // J/g released
    double mass = 5;      // mg
    double base = 0.4;    // mW at the start
    double slope = 2e-4;  // mW/s
    // Whether the file records its heating rate; when not, the evaluation measures it.
    bool rateRecorded = true;
};

inline TPhysicalRun DscRunOf(const kinetics::RKineticRun& aRun, const RDscModel& aModel = {}) {
    TPhysicalRun r;
    r.time = aRun.time;
    for (size_t i = 0; i < aRun.time.size(); ++i) {
        r.temperature.push_back(aRun.temperature[i] - 273.15);
        r.signal.push_back(aModel.base + aModel.slope * aRun.time[i] +
                           aModel.heat * aModel.mass * aRun.rate[i]);
    }
    r.quantity = sqHeatFlow;
    r.unit = "mW";
    r.mass = aModel.mass;
    r.heatingRate = aModel.rateRecorded ? aRun.heatingRate : 0;
    r.endoUp = false;
    r.sampleName = aRun.name;
    return r;
}

// The experiment named aFileName (not saved).
inline std::unique_ptr<TDataClass> ExperimentOf(const kinetics::RKineticRun& aRun,
                                                const std::string& aFileName, const RDscModel& aModel = {}) {
    auto d = std::make_unique<TDataClass>();
    std::vector<std::string> warnings;
    FillFromPhysicalRun(*d, DscRunOf(aRun, aModel), warnings);
    d->fFileName = aFileName;
    return d;
}

// The experiment saved as aFileName; returns the name.
inline std::string SaveExperiment(const kinetics::RKineticRun& aRun, const std::string& aFileName,
                                  const RDscModel& aModel = {}) {
    ExperimentOf(aRun, aFileName, aModel)->SaveToFile(aFileName, false);
    return aFileName;
}

}  // namespace kalvero::test
