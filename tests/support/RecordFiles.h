#pragma once
// Model records (evaluation/Models.h) as experiments in physical units and as their files: a heat
// flow in mW (or another quantity) with the sample's mass, endotherms up. The configuration
// (gConfig) must be loaded first.

#include <memory>
#include <string>
#include <vector>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "evaluation/Models.h"

namespace kalvero::test {

inline std::unique_ptr<TDataClass> ExperimentOf(const TRecord& aRecord, double aMass,
                                                TSignalQuantity aQuantity = sqHeatFlow) {
    TPhysicalRun run;
    run.time = aRecord.t;
    run.temperature = aRecord.T;
    run.signal = aRecord.y;
    run.quantity = aQuantity;
    run.unit = DefaultSignalUnit(aQuantity);
    run.mass = aMass;
    run.endoUp = true;
    run.sampleName = "Модель";
    auto d = std::make_unique<TDataClass>();
    std::vector<std::string> warnings;
    FillFromPhysicalRun(*d, run, warnings);
    return d;
}

inline void SaveRecord(const TRecord& aRecord, const std::string& aFile, double aMass,
                       TSignalQuantity aQuantity = sqHeatFlow) {
    ExperimentOf(aRecord, aMass, aQuantity)->SaveToFile(aFile, false);
}

}  // namespace kalvero::test
