#include "evaluation/ExperimentHeatCapacity.h"

#include <filesystem>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"

namespace kalvero::evaluation {
namespace {

enum class TKind { HeatFlow, Voltage, DiffTemp, SpecificHeat };

TKind KindOf(TSignalQuantity q) {
    switch (q) {
        case sqHeatFlow:
        case sqHeatFlowPerMass:
            return TKind::HeatFlow;
        case sqVoltage:
        case sqVoltagePerMass:
            return TKind::Voltage;
        case sqSpecificHeat:
            return TKind::SpecificHeat;
        default:
            return TKind::DiffTemp;
    }
}

void CheckKinds(const std::vector<const TCpRunData*>& aRuns) {
    for (const TCpRunData* r : aRuns) {
        if (KindOf(r->quantity) == TKind::SpecificHeat)
            throw EEvaluationError("Сигнал опыта «" + r->name + "» уже является теплоёмкостью");
        if (KindOf(r->quantity) != KindOf(aRuns.front()->quantity))
            throw EEvaluationError("Сигналы опытов разных величин: " + aRuns.front()->name + " — " +
                                   SignalUnitCaption(aRuns.front()->unit) + ", " + r->name + " — " +
                                   SignalUnitCaption(r->unit));
    }
}

}  // namespace

TCpRun TCpRunData::Run() const {
    TCpRun r;
    r.curve = curve.View();
    r.mass = mass;
    r.perMass = IsPerMass(quantity);
    r.endoUp = endoUp;
    r.name = name;
    return r;
}

TCpRunData CpRunOf(const TDataClass& aData, const std::string& aName, std::optional<double> aMass) {
    TCpRunData r;
    r.curve = CurveOfExperiment(aData);
    if (aData.fPhysical) {
        r.quantity = aData.fPhysical->quantity;
        r.unit = aData.fPhysical->unit;
    } else {
        r.quantity = sqDiffTemp;
        r.unit = "K";
    }
    const double mass = aMass.value_or(aData.fSampleWeight);
    r.mass = mass > 0 ? mass : NAN;
    r.endoUp = aData.EndoUp();
    r.name = aName;
    return r;
}

RHeatCapacity HeatCapacityOfRuns(const TCpRunData& aSample, const TCpRunData* aReference,
                                 const TCpRunData* aBlank, const TReferenceCp* aReferenceCp,
                                 const TCpOptions& aOptions) {
    std::vector<const TCpRunData*> runs{&aSample};
    if (aReference) runs.push_back(aReference);
    if (aBlank) runs.push_back(aBlank);
    CheckKinds(runs);
    const TCpRun sample = aSample.Run();
    TCpRun blank;
    if (aBlank) blank = aBlank->Run();
    if (aReference) {
        if (!aReferenceCp) throw EEvaluationError("Не задана теплоёмкость эталона");
        return RatioHeatCapacity(sample, aReference->Run(), aBlank ? &blank : nullptr, *aReferenceCp,
                                 aOptions);
    }
    if (KindOf(aSample.quantity) != TKind::HeatFlow)
        throw EEvaluationError(
            "Без эталона теплоёмкость рассчитывается только по тепловому потоку (мВт или мВт/мг)");
    return DirectHeatCapacity(sample, aBlank ? &blank : nullptr, aOptions);
}

void FillHeatCapacityExperiment(TDataClass& aOut, const RHeatCapacity& aResult, const TDataClass& aSample,
                                const std::string& aDescription, std::vector<std::string>& aWarnings) {
    TPhysicalRun run;
    const double t0 = aResult.time.empty() ? 0.0 : aResult.time.front();
    run.time.reserve(aResult.time.size());
    for (double t : aResult.time)
        run.time.push_back(t - t0);
    run.temperature = aResult.temperature;
    run.signal = aResult.cp;
    run.quantity = sqSpecificHeat;
    run.unit = DefaultSignalUnit(sqSpecificHeat);
    run.mass = aSample.fSampleWeight;
    run.heatingRate = aResult.sampleRate;
    run.endoUp = true;
    run.sampleName = aSample.fSampleName;
    run.operatorName = aSample.fOperatorName;
    run.laboratoryName = aSample.fLaboratoryName;
    run.instrument = aSample.fInstrument;
    run.description = aDescription;
    run.sourceFile = aSample.fFileName;
    FillFromPhysicalRun(aOut, run, aWarnings);
    aOut.descriptors[0].name = "cp - " + std::filesystem::path(aSample.fFileName).filename().string();
}

}  // namespace kalvero::evaluation
