#pragma once
// The evaluations the operator keeps with an experiment (data/EvaluationRecords.h) computed on its
// curve as it stands: glass transitions (ISO 11357-2, ASTM E1356), purities (ASTM E928) and
// degrees of crystallinity (ISO 11357-3), with the texts the results list and the plot labels show.
// Each is computed over its own stretch of the record only.

#include <string>
#include <vector>

#include "data/EvaluationRecords.h"
#include "evaluation/Crystallinity.h"
#include "evaluation/GlassTransition.h"
#include "evaluation/Purity.h"

namespace kalvero {
class TDataClass;
}

namespace kalvero::evaluation {

// The share of a new construction's range each of its fitted stretches takes.
inline constexpr double GLASS_TRANSITION_STRETCH = 0.15;

// The construction over the record's stretches, ΔCp from the experiment's signal: a heat flow in
// mW with the sample mass, a heat flow per mass, or a heat capacity (whose step is ΔCp itself).
// Point indexes count from the record's item aFirst (the start of the stretch before the step).
// EEvaluationError as EvaluateGlassTransitionBetween raises it.
RGlassTransition GlassTransitionOf(const TDataClass& aData, const TGlassTransitionRecord& aRecord,
                                   int* aFirst = nullptr);
// The record of a new construction over items aFrom … aTo, its fitted stretches aStretchFraction
// of the range each (EvaluateGlassTransition's choice). EEvaluationError when nothing can be built.
TGlassTransitionRecord GlassTransitionRecordOver(const TDataClass& aData, int aFrom, int aTo,
                                                 double aStretchFraction);

// End aEnd (0 … 3: beforeFrom, beforeTo, afterFrom, afterTo) of the glass transition's stretches
// moved to item aItem, as the operator drags it: held so that each stretch keeps two items at least,
// the stretches keep their order with room for the step between them, and both stay in the record.
void MoveGlassTransitionEnd(TGlassTransitionRecord& aRecord, int aEnd, int aItem, int aItemCount);

struct TGlassTransitionResult {
    int number = 0;  // from 1
    TGlassTransitionRecord record;
    RGlassTransition result;
    int first = 0;      // the item of the result's index 0
    std::string error;  // why nothing was computed; the result is empty then
};
std::vector<TGlassTransitionResult> GlassTransitionResults(const TDataClass& aData);

struct TPurityResult {
    int number = 0;
    int peak = 0;  // the peak's number from 1
    TPurityRecord record;
    RPurity result;
    int first = 0;
    std::string error;
};
// The purities whose peaks the experiment has.
std::vector<TPurityResult> PurityResults(const TDataClass& aData);

struct TCrystallinityResult {
    int number = 0;
    int meltingPeak = 0, coldPeak = 0;  // numbers from 1; 0: none
    TCrystallinityRecord record;
    double meltingHeat = NAN, coldHeat = NAN;  // J/g, magnitudes
    RCrystallinity result;
    std::string error;
};
// One degree of crystallinity from the heats of its peaks (EffectResults' heats per mass).
TCrystallinityResult CrystallinityOf(const TDataClass& aData, const TCrystallinityRecord& aRecord);
std::vector<TCrystallinityResult> CrystallinityResults(const TDataClass& aData);

// The evaluations as the results list shows them, one row each: the glass transitions, then the
// purities, then the degrees of crystallinity.
struct TEvaluationRow {
    std::string caption, summary;
    bool failed = false;  // the summary says why nothing was computed
};
std::vector<TEvaluationRow> EvaluationRows(const TDataClass& aData);
// Removes the evaluation of row aRow of EvaluationRows (nothing for a row beyond them).
void RemoveEvaluationRow(TDataClass& aData, int aRow);

// The texts of the results list and the plot: what was evaluated ("Стеклование 1", "Чистота, пик
// 2") and its result in a line, numbers with the decimal comma.
std::string GlassTransitionCaption(const TGlassTransitionResult& aResult);
std::string GlassTransitionSummary(const TGlassTransitionResult& aResult);
std::string GlassTransitionLabel(const TGlassTransitionResult& aResult);
std::string PurityCaption(const TPurityResult& aResult);
std::string PuritySummary(const TPurityResult& aResult);
std::string CrystallinityCaption(const TCrystallinityResult& aResult);
std::string CrystallinitySummary(const TCrystallinityResult& aResult);

}  // namespace kalvero::evaluation
