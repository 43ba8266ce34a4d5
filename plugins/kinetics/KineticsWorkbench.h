#pragma once
// The isoconversional workbench behind the Kinetics plug-in's command "Изоконверсионный анализ":
// the runs of one reaction at several heating rates, analysed by every method of AnalyseKinetics
// with the options the operator set, a model-free prediction, and the description of all of it
// for the program's window and for scripts. It follows the ICTAC Kinetics Committee's
// recommendations for kinetic computations (Vyazovkin et al., Thermochim. Acta 520 (2011) 1–19):
// E(α) from α = 0.05 to 0.95 with its confidence interval by each method, the warnings of fewer
// than three heating rates and of an E that varies with α (a multi-step process), Kissinger's E
// and A (ASTM E698) from the peaks only, and the isothermal prediction from E(α) without a
// reaction model. The runs stay with the workbench, so the window's buttons can analyse and
// predict again after the command has ended.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Isoconversional.h"
#include "Prediction.h"
#include "plugins/PluginResults.h"

namespace kalvero::kinetics {

// The ids of the workbench's inputs: the parameters of the command and the fields of its window.
inline constexpr const char* kInputConversionFrom = "conversionFrom";
inline constexpr const char* kInputConversionTo = "conversionTo";
inline constexpr const char* kInputConversionStep = "conversionStep";
inline constexpr const char* kInputConfidence = "confidence";
inline constexpr const char* kInputMultiStepLimit = "multiStepLimit";  // %
inline constexpr const char* kInputAdvancedStep = "advancedStep";
inline constexpr const char* kInputPredictMethod = "predictMethod";
inline constexpr const char* kInputPredictRun = "predictRun";
inline constexpr const char* kInputPredictAlpha = "predictAlpha";
inline constexpr const char* kInputPredictTemperature = "predictTemperature";
inline constexpr const char* kInputPredictTime = "predictTime";
// The window's buttons.
inline constexpr const char* kActionAnalyse = "analyse";
inline constexpr const char* kActionPredictTime = "predictTime";
inline constexpr const char* kActionPredictTemperature = "predictTemperature";

// The text of an input by id; empty when not given.
using TInputTexts = std::function<std::string(const std::string&)>;

enum class TPredictionKind : uint8_t {
    pkTime,         // the time to reach α at a constant temperature
    pkTemperature,  // the constant temperature at which α is reached in a given time
};

struct RMethodPrediction {
    TKineticMethod method = TKineticMethod::kmFriedman;
    RPrediction value;  // s or K; NaN with error set when the method cannot predict
    std::string error;
};

struct RPredictionSet {
    TPredictionKind kind = TPredictionKind::pkTime;
    double conversion = 0;
    double given = 0;  // the temperature (K) or the time (s) asked about
    size_t run = 0;    // the run whose temperature the prediction integrates over
    std::vector<RMethodPrediction> methods;
};

class TKineticsWorkbench {
public:
    // aRuns: at least two runs (AnalyseKinetics says what it refuses).
    explicit TKineticsWorkbench(std::vector<RKineticRun> aRuns, std::vector<std::string> aWarnings = {});

    // Analyses the runs with the options of aInputs (the defaults where empty). An input that is
    // not a value raises EKineticsException; the analysis before it stays.
    void Analyse(const TInputTexts& aInputs);
    // Predicts what aInputs ask of every method (or the one they name) on the run they name (the
    // one nearest the middle heating rate by default). EKineticsException for inputs that are no
    // values and for a prediction no method could make.
    void Predict(const TInputTexts& aInputs, TPredictionKind aKind);
    // Predicts what the parameters ask, when they ask it: the time when a temperature is given, the
    // temperature when a time is. EKineticsException when both are.
    void PredictAsked(const TInputTexts& aInputs);

    const std::vector<RKineticRun>& Runs() const { return fRuns; }
    const RKineticsResult& Result() const { return fResult; }
    const std::optional<RPredictionSet>& Prediction() const { return fPrediction; }

    // The whole description: plots, tables, the panels with the inputs as last entered, the
    // warnings, and the values for scripts.
    RPluginResults Describe(const std::string& aId) const;
    // The values alone (the JSON object kalvero-cli prints).
    std::string Values() const;

private:
    std::string Input(const std::string& aId) const;
    // Every input as entered, for the window to show again.
    void Remember(const TInputTexts& aInputs);

    std::vector<RKineticRun> fRuns;
    std::vector<std::string> fRunWarnings;  // of the effects, shown with the analysis's own
    RKineticsResult fResult;
    std::optional<RPredictionSet> fPrediction;
    std::map<std::string, std::string> fTexts;  // the inputs as last entered
};

}  // namespace kalvero::kinetics
