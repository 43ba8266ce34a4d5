#pragma once
// The standards' evaluations of one peak of an experiment: its curve and base line read out as
// arrays (only the peak's items, so a peak is evaluated at the same cost however long the
// record), its characteristic temperatures, its conversion and its purity.

#include <string>
#include <vector>

#include "evaluation/Conversion.h"
#include "evaluation/ExperimentCurve.h"
#include "evaluation/PeakTemperatures.h"
#include "evaluation/Purity.h"

namespace kalvero {
class TDataClass;
class TPeak;
}  // namespace kalvero

namespace kalvero::evaluation {

// The peak's items begX … endX of channel 0 and its base line (of its kind) at each of them.
struct TPeakCurve {
    TExperimentCurve curve;
    TItemRange range;
    std::vector<double> base;
};
TPeakCurve PeakCurveOf(const TDataClass& aData, const TPeak& aPeak);

// ISO 11357-1 / ASTM E794: Ti, Tei, Tp, Tef, Tf and the width at half height over the peak's
// base line. EEvaluationError as EvaluatePeakTemperatures raises it.
RPeakTemperatures PeakTemperaturesOf(const TDataClass& aData, const TPeak& aPeak);

// α(t), α(T) and dα/dt of the peak over its base line.
RConversion ConversionOf(const TDataClass& aData, const TPeak& aPeak);

// Milliwatts per unit of the experiment's signal: 1 for a heat flow in mW, the sample mass for a
// heat flow per mass (mW/mg, W/g); NaN for any other signal, or per mass without a mass.
double HeatFlowScale(const TDataClass& aData);

// ASTM E928 on the peak: the signal as a heat flow in mW (HeatFlowScale), the experiment's mass.
// EEvaluationError "Чистота определяется по кривой теплового потока …" for any other signal, and
// as EvaluatePurity raises it.
RPurity PurityOf(const TDataClass& aData, const TPeak& aPeak, double aMolarMass, double aLagSlope);

// The peak of aData's collection under aKey, and its number from 1 (0 and null when none).
const TPeak* PeakByKey(const TDataClass& aData, const std::string& aKey, int* aNumber = nullptr);
// The key of aData's peak aPeak; empty when it is not one of them.
std::string KeyOfPeak(const TDataClass& aData, const TPeak* aPeak);

}  // namespace kalvero::evaluation
