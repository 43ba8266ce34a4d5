#pragma once
// What an operator reads off each thermal effect of an experiment: its direction, characteristic
// temperatures, area and heat, as the results list, the labels on the plot, the command line and
// the reports show them. Computed from the peaks as they stand; nothing here changes them.

#include <string>
#include <vector>

namespace kalvero {

class TDataClass;
class TPeak;

struct TEffectResult {
    int number = 0;  // from 1, in the order of the experiment's peaks
    bool endothermic = true;
    int begX = 0, endX = 0, top = 0;  // items
    // °C, by the construction of ISO 11357-1 (3.3) over the peak's base line (PeakTemperatures.h):
    // Ti and Tf where the curve clearly leaves and rejoins the base line, the extrapolated onset
    // and endset where the inflectional tangents meet it; the top is that of the peak's top line
    // (PeakTopTemperature). Without the construction Ti and Tf are the margins, the onset is the
    // drawn tangent's and the endset NaN.
    double initialTemp = 0, onsetTemp = 0, topTemp = 0, endsetTemp = 0, finalTemp = 0;
    // °C where the onset tangent drawn on the peak (by detection, and perhaps moved by the
    // operator) meets its base line; NaN without one.
    double tangentOnsetTemp = 0;
    double halfWidth = 0;           // K: the width at half height on the temperature axis; NaN when none
    double topTime = 0;             // s
    double area = 0;                // signal unit × s (counts × s for a recorded run without its tables)
    double heat = 0;                // J; NaN when it cannot be had
    double specificHeat = 0;        // J/g; NaN without a mass (or without heat)
    std::string baseLine = "line";  // the kind's key (PeakBaseLineKey)
    std::string areaUnit;           // "мВт·с", "К·с", "отсч.·с"
    std::vector<std::string> warnings;  // of the base line and the construction
};

// Every peak of aData's collection, in its order.
std::vector<TEffectResult> EffectResults(const TDataClass& aData);
TEffectResult EffectResultOf(const TDataClass& aData, const TPeak& aPeak, int aNumber);
// Only the area, the heat and the heat per mass of aResult, as EffectResultOf gives them: for
// what needs a peak's heat and not its temperatures.
void SetHeatOf(const TDataClass& aData, const TPeak& aPeak, TEffectResult& aResult);

// Whether the experiment's peaks are heats: a heat-flow signal, or a heat table in force.
bool HeatAvailable(const TDataClass& aData);

// "эндо" / "экзо" for the screen, "endothermic" / "exothermic" for scripts.
std::string EffectCaption(bool aEndothermic);
std::string EffectKey(bool aEndothermic);

// The label on the plot: "156,6 °C · 28,6 Дж/г" (the heat per mass, else the heat, else the
// area), numbers with the decimal comma.
std::string EffectLabel(const TEffectResult& aResult);

// A number with aDecimals decimals and a decimal comma ("156,6"); "—" for NaN.
std::string DecimalComma(double aValue, int aDecimals);

}  // namespace kalvero
