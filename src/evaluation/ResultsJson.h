#pragma once
// The results of an experiment as the commands print them: its peaks (effects), glass
// transitions, purities and degrees of crystallinity, and a peak's conversion.

#include <nlohmann/json.hpp>

#include "evaluation/Conversion.h"
#include "evaluation/ExperimentEvaluations.h"

namespace kalvero {

class TDataClass;
class TPeak;
struct TEffectResult;

// A number, or null for NaN.
nlohmann::ordered_json JsonNumber(double aValue);

nlohmann::ordered_json PeakToJson(const TDataClass& aData, const TPeak& aPeak, const TEffectResult& aResult);
nlohmann::ordered_json ConversionToJson(const evaluation::RConversion& aConversion);
// onset, midpoint, inflection, endset (°C), step (signal unit), deltaCp (J/(g·K) or null), the
// stretches (items) and the warnings.
nlohmann::ordered_json GlassTransitionToJson(const evaluation::RGlassTransition& aResult, int aFirst);
// purity and impurity (mol %), T0 (°C), deltaH (J/g), correction (%), with the fit's quality.
nlohmann::ordered_json PurityToJson(const evaluation::RPurity& aResult);
nlohmann::ordered_json CrystallinityToJson(const evaluation::TCrystallinityResult& aResult);

// Every peak with its results, and every evaluation kept with the experiment: "effects",
// "glassTransitions", "purity", "crystallinity".
nlohmann::ordered_json ResultsToJson(const TDataClass& aData);

}  // namespace kalvero
