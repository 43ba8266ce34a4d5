#include "KineticsCaptions.h"

#include <cmath>
#include <map>

#include "KineticsTexts.h"
#include "KineticsWorkbench.h"

namespace kalvero::kinetics {
namespace {

struct RInputText {
    const char* caption;
    const char* value;  // what an empty field stands for
};

const std::map<std::string, RInputText>& InputTexts() {
    static const std::map<std::string, RInputText> texts{
        {kInputConversionFrom, {"Степень превращения от", "0,05"}},
        {kInputConversionTo, {"Степень превращения до", "0,95"}},
        {kInputConversionStep, {"Шаг степени превращения", "0,05"}},
        {kInputConfidence, {"Доверительная вероятность", "0,95"}},
        {kInputMultiStepLimit, {"Предел многостадийности, %", "20"}},
        {kInputAdvancedStep, {"Δα усовершенствованного метода", ""}},
        {kInputPredictMethod, {"Метод", kAllMethodsCaption}},
        {kInputPredictRun, {"Эксперимент", ""}},
        {kInputPredictAlpha, {"Степень превращения", "0,5"}},
        {kInputPredictTemperature, {"Температура, °С", ""}},
        {kInputPredictTime, {"Время", ""}},
    };
    return texts;
}

struct RMethodTexts {
    TKineticMethod method;
    const char* key;
    const char* ordinate;
};

constexpr RMethodTexts kMethodTexts[] = {
    {TKineticMethod::kmFriedman, "friedman", "ln(dα/dt, с⁻¹)"},
    {TKineticMethod::kmOzawaFlynnWall, "ofw", "lg(β, К/мин)"},
    {TKineticMethod::kmKissingerAkahiraSunose, "kas", "ln(β/T²)"},
    {TKineticMethod::kmStarink, "starink", "ln(β/T¹·⁹²)"},
    {TKineticMethod::kmVyazovkin, "vyazovkin", ""},
    {TKineticMethod::kmAdvancedVyazovkin, "advancedVyazovkin", ""},
};

const RMethodTexts& TextsOf(TKineticMethod aMethod) {
    for (const RMethodTexts& t : kMethodTexts)
        if (t.method == aMethod) return t;
    throw EKineticsException("Unknown kinetic method");
}

// aValue with at most aDecimals decimals and no trailing zeros beyond aLeast: "10", "2,5".
std::string Trimmed(double aValue, int aLeast, int aDecimals) {
    for (int d = aLeast; d < aDecimals; ++d) {
        const double scale = std::pow(10.0, d);
        if (std::fabs(std::round(aValue * scale) / scale - aValue) < 1e-9 * std::max(1.0, std::fabs(aValue)))
            return FixedCaption(aValue, d);
    }
    return FixedCaption(aValue, aDecimals);
}

}  // namespace

std::string MethodKey(TKineticMethod aMethod) {
    return TextsOf(aMethod).key;
}

std::string LineOrdinate(TKineticMethod aMethod) {
    return TextsOf(aMethod).ordinate;
}

std::string InputCaption(const std::string& aId) {
    const auto it = InputTexts().find(aId);
    return it != InputTexts().end() ? it->second.caption : aId;
}

std::string DefaultInputText(const std::string& aId) {
    const auto it = InputTexts().find(aId);
    return it != InputTexts().end() ? it->second.value : "";
}

std::string AlphaCaption(double aConversion) {
    return Trimmed(aConversion, 2, 4);
}

std::string RateCaption(double aRate) {
    return Trimmed(aRate, 0, 2);
}

std::string RunCaption(const RKineticRun& aRun) {
    return "β = " + RateCaption(aRun.heatingRate) + " К/мин — " + aRun.name;
}

std::string CelsiusCaption(double aKelvin) {
    return FixedCaption(aKelvin - kZeroCelsius, 1) + " °С";
}

}  // namespace kalvero::kinetics
