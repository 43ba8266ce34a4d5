#pragma once
// The heat-capacity evaluation (HeatCapacity.h) on experiments: each run's channel 0 as arrays with
// its mass, direction and kind of signal, the kinds checked against each other, and the result made
// an experiment of its own whose signal is cp in J/(g·K), to be drawn, exported and evaluated like
// any other.

#include <optional>
#include <string>
#include <vector>

#include "data/PhysicalUnits.h"
#include "evaluation/ExperimentCurve.h"
#include "evaluation/HeatCapacity.h"

namespace kalvero {
class TDataClass;
}

namespace kalvero::evaluation {

// A run read from an experiment; the arrays live as long as this.
struct TCpRunData {
    TExperimentCurve curve;
    TSignalQuantity quantity = sqHeatFlow;
    std::string unit;
    double mass = NAN;
    bool endoUp = true;
    std::string name;
    TCpRun Run() const;
};

// Channel 0 of aData under aName ("образец"); aMass (mg) replaces the experiment's when given.
TCpRunData CpRunOf(const TDataClass& aData, const std::string& aName, std::optional<double> aMass = {});

// The ratio method when aReference is given, else the direct one. The signals must be of one kind
// (heat flow, with or without the mass; a voltage; dT), the direct method needs heat flow.
RHeatCapacity HeatCapacityOfRuns(const TCpRunData& aSample, const TCpRunData* aReference,
                                 const TCpRunData* aBlank, const TReferenceCp* aReferenceCp,
                                 const TCpOptions& aOptions);

// Replaces aOut's content by the cp curve of aResult, described after the sample aSample; what had
// to be changed on the way is appended to aWarnings.
void FillHeatCapacityExperiment(TDataClass& aOut, const RHeatCapacity& aResult, const TDataClass& aSample,
                                const std::string& aDescription, std::vector<std::string>& aWarnings);

}  // namespace kalvero::evaluation
