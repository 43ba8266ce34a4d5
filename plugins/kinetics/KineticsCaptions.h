#pragma once
// What the workbench's sources share of its texts: the captions of its fields and of its values.

#include <string>

#include "Isoconversional.h"
#include "KineticRun.h"

namespace kalvero::kinetics {

inline constexpr const char* kAllMethodsCaption = "Все методы";
inline constexpr double kZeroCelsius = 273.15;

// The key of a method in the values for scripts: "friedman", "ofw", "kas", "starink", "vyazovkin",
// "advancedVyazovkin".
std::string MethodKey(TKineticMethod aMethod);
// The ordinate of a straight-line method's isoconversional lines as its axis is titled
// ("ln(dα/dt, с⁻¹)"); empty for the Vyazovkin methods, which draw none.
std::string LineOrdinate(TKineticMethod aMethod);

// The caption of the input aId ("Степень превращения от", "Температура, °С", …).
std::string InputCaption(const std::string& aId);
// The text an empty input stands for ("0,05" for conversionFrom; empty where there is none).
std::string DefaultInputText(const std::string& aId);

// α with as few decimals as it needs, two at least: "0,05", "0,125".
std::string AlphaCaption(double aConversion);
// A heating rate in K/min without needless decimals: "10", "2,5".
std::string RateCaption(double aRate);
// "β = 10 К/мин — run10.dsc".
std::string RunCaption(const RKineticRun& aRun);
// A temperature in K as the operator reads it: "150,0 °С".
std::string CelsiusCaption(double aKelvin);

}  // namespace kalvero::kinetics
