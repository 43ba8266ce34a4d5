#include "KineticsWorkbench.h"

#include <algorithm>
#include <cmath>

#include "KineticsCaptions.h"
#include "KineticsTexts.h"

namespace kalvero::kinetics {
namespace {

// Levels closer than this are one.
constexpr double kSameLevel = 1e-9;

constexpr const char* kInputs[] = {kInputConversionFrom,     kInputConversionTo,   kInputConversionStep,
                                   kInputConfidence,         kInputMultiStepLimit, kInputAdvancedStep,
                                   kInputPredictMethod,      kInputPredictRun,     kInputPredictAlpha,
                                   kInputPredictTemperature, kInputPredictTime};

// The text of input aId, or what an empty one stands for.
std::string TextOf(const TInputTexts& aInputs, const char* aId) {
    const std::string text = aInputs(aId);
    return text.empty() ? DefaultInputText(aId) : text;
}

// Whether aText names aMethod: its name as the operator reads it or its key.
bool Names(const std::string& aText, TKineticMethod aMethod) {
    return aText == KineticMethodName(aMethod) || aText == MethodKey(aMethod);
}

// A value strictly between 0 and 1.
double Fraction(const std::string& aText, const std::string& aId) {
    const double v = NumberOfText(aText, InputCaption(aId));
    if (!(v > 0 && v < 1))
        throw EKineticsException("Значение поля «" + InputCaption(aId) + "» должно лежать между 0 и 1");
    return v;
}

// "0,05, 0,10 … 0,95" from the first, last and step.
std::vector<double> LevelsBetween(double aFrom, double aTo, double aStep) {
    if (aTo < aFrom - kSameLevel)
        throw EKineticsException("Степень превращения «до» меньше степени превращения «от»");
    std::vector<double> levels;
    const long count = std::lround(std::floor((aTo - aFrom) / aStep + 1e-6)) + 1;
    if (count > 1000) throw EKineticsException("Слишком много степеней превращения: увеличьте шаг");
    for (long k = 0; k < count; ++k)
        levels.push_back(std::round((aFrom + static_cast<double>(k) * aStep) * 1e9) / 1e9);
    return levels;
}

}  // namespace

TKineticsWorkbench::TKineticsWorkbench(std::vector<RKineticRun> aRuns, std::vector<std::string> aWarnings)
    : fRuns(std::move(aRuns)), fRunWarnings(std::move(aWarnings)) {}

std::string TKineticsWorkbench::Input(const std::string& aId) const {
    const auto it = fTexts.find(aId);
    return it != fTexts.end() && !it->second.empty() ? it->second : DefaultInputText(aId);
}

void TKineticsWorkbench::Remember(const TInputTexts& aInputs) {
    for (const char* id : kInputs)
        fTexts[id] = aInputs(id);
}

void TKineticsWorkbench::Analyse(const TInputTexts& aInputs) {
    const auto text = [&](const char* aId) { return TextOf(aInputs, aId); };
    RKineticsOptions options;
    options.conversions = LevelsBetween(Fraction(text(kInputConversionFrom), kInputConversionFrom),
                                        Fraction(text(kInputConversionTo), kInputConversionTo),
                                        Fraction(text(kInputConversionStep), kInputConversionStep));
    options.confidence = Fraction(text(kInputConfidence), kInputConfidence);
    const double limit = NumberOfText(text(kInputMultiStepLimit), InputCaption(kInputMultiStepLimit));
    if (!(limit > 0))
        throw EKineticsException("Значение поля «" + InputCaption(kInputMultiStepLimit) +
                                 "» должно быть больше нуля");
    options.multiStepLimit = limit / 100;
    const std::string advanced = text(kInputAdvancedStep);
    options.advancedStep = advanced.empty() ? 0 : Fraction(advanced, kInputAdvancedStep);

    fResult = AnalyseKinetics(fRuns, options);
    fPrediction.reset();
    Remember(aInputs);
}

void TKineticsWorkbench::Predict(const TInputTexts& aInputs, TPredictionKind aKind) {
    const auto text = [&](const char* aId) { return TextOf(aInputs, aId); };
    RPredictionSet set;
    set.kind = aKind;
    set.conversion = Fraction(text(kInputPredictAlpha), kInputPredictAlpha);
    const char* givenId = aKind == TPredictionKind::pkTime ? kInputPredictTemperature : kInputPredictTime;
    const std::string given = text(givenId);
    if (given.empty()) throw EKineticsException("Не заполнено поле «" + InputCaption(givenId) + "»");
    set.given = aKind == TPredictionKind::pkTime ? TemperatureOfText(given, InputCaption(givenId))
                                                 : DurationOfText(given, InputCaption(givenId));

    set.run = MiddleRun(fResult.heatingRates);
    const std::string run = aInputs(kInputPredictRun);
    if (!run.empty()) {
        const auto it = std::find_if(fRuns.begin(), fRuns.end(), [&](const RKineticRun& r) {
            return run == RunCaption(r) || run == r.name;
        });
        if (it == fRuns.end()) throw EKineticsException("Нет эксперимента «" + run + "»");
        set.run = static_cast<size_t>(it - fRuns.begin());
    }
    const std::string method = text(kInputPredictMethod);
    for (const RMethodEnergies& m : fResult.methods) {
        if (method != kAllMethodsCaption && !Names(method, m.method)) continue;
        RMethodPrediction p;
        p.method = m.method;
        try {
            p.value = aKind == TPredictionKind::pkTime
                          ? PredictIsothermalTime(fRuns[set.run], m, set.conversion, set.given)
                          : PredictIsothermalTemperature(fRuns[set.run], m, set.conversion, set.given);
        } catch (const EKineticsException& e) {
            p.value = {NAN, NAN, NAN};
            p.error = e.what();
        }
        set.methods.push_back(std::move(p));
    }
    if (set.methods.empty()) throw EKineticsException("Нет метода «" + method + "»");
    const auto made = std::find_if(set.methods.begin(), set.methods.end(),
                                   [](const RMethodPrediction& p) { return p.error.empty(); });
    if (made == set.methods.end()) throw EKineticsException(set.methods.front().error);
    fPrediction = std::move(set);
    Remember(aInputs);
}

void TKineticsWorkbench::PredictAsked(const TInputTexts& aInputs) {
    const bool temperature = !aInputs(kInputPredictTemperature).empty();
    const bool time = !aInputs(kInputPredictTime).empty();
    if (temperature && time)
        throw EKineticsException("Для прогноза задайте либо температуру, либо время, но не оба");
    if (temperature || time)
        Predict(aInputs, temperature ? TPredictionKind::pkTime : TPredictionKind::pkTemperature);
}

}  // namespace kalvero::kinetics
