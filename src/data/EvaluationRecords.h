#pragma once
// The operator's evaluations of an experiment as what defines them: the stretches a glass
// transition's base lines are fitted over, the peak and molar mass of a purity, the peaks and
// reference heat of a degree of crystallinity. Their results are computed from the curve whenever
// they are shown (evaluation/ExperimentEvaluations.h), so they always match the curve as it stands;
// the experiment's file keeps these definitions (ExperimentExtras.h).

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvero {

struct TGlassTransitionRecord {
    // Items of channel 0: the stretch before the step and the one after it (both ends included).
    int32_t beforeFrom = 0, beforeTo = 0, afterFrom = 0, afterTo = 0;
    bool operator==(const TGlassTransitionRecord&) const = default;
};

struct TPurityRecord {
    std::string peak;        // the key of the melting peak in the experiment's peaks
    double molarMass = NAN;  // g/mol of the main component
    double lagSlope = NAN;   // mW/K of the thermal lag correction; NaN: none
    bool operator==(const TPurityRecord&) const = default;
};

struct TCrystallinityRecord {
    std::string meltingPeak;     // the key of the melting peak
    std::string coldPeak;        // the key of the cold crystallisation peak; empty: none
    std::string polymer;         // the reference polymer's id, empty for a heat typed in
    double referenceHeat = NAN;  // J/g of the fully crystalline polymer
    double polymerShare = 1;     // the polymer's mass share of the sample
    bool operator==(const TCrystallinityRecord&) const = default;
};

struct TEvaluationRecords {
    std::vector<TGlassTransitionRecord> glassTransitions;
    std::vector<TPurityRecord> purities;
    std::vector<TCrystallinityRecord> crystallinities;

    bool Empty() const { return glassTransitions.empty() && purities.empty() && crystallinities.empty(); }
    void Clear() { *this = {}; }
};

}  // namespace kalvero
