// The workbench's results for scripts: energies in kJ/mol, temperatures in °C, times in s, NaN as
// null.

#include <nlohmann/json.hpp>

#include <cmath>

#include "KineticsCaptions.h"
#include "KineticsWorkbench.h"

namespace kalvero::kinetics {
namespace {

using TJson = nlohmann::ordered_json;

TJson Number(double aValue) {
    return std::isfinite(aValue) ? TJson(aValue) : TJson();
}

double Celsius(double aKelvin) {
    return aKelvin - kZeroCelsius;
}

TJson RunsJson(const std::vector<RKineticRun>& aRuns, const RKineticsResult& r) {
    TJson runs = TJson::array();
    for (size_t i = 0; i < aRuns.size(); ++i) {
        const RKineticRun& run = aRuns[i];
        runs.push_back({{"name", run.name},
                        {"heatingRate", run.heatingRate},
                        {"from", Celsius(run.temperature.front())},
                        {"to", Celsius(run.temperature.back())},
                        {"peakTemperature", Celsius(r.peakTemperatures[i])}});
    }
    return runs;
}

TJson IsoconversionalJson(const RKineticsResult& r) {
    TJson levels = TJson::array();
    for (size_t k = 0; k < r.conversions.size(); ++k) {
        TJson level{{"alpha", r.conversions[k]}};
        for (const RMethodEnergies& m : r.methods) {
            const RActivationEnergy& e = m.levels[k];
            const std::string key = MethodKey(m.method);
            level[key] = Number(e.energy);
            level[key + "Low"] = Number(e.low);
            level[key + "High"] = Number(e.high);
            level[key + "R2"] = Number(e.r2);
        }
        TJson temperatures = TJson::array();
        for (const RConversionPoint& p : r.points[k])
            temperatures.push_back(Celsius(p.temperature));
        level["temperatures"] = temperatures;
        levels.push_back(level);
    }
    return levels;
}

TJson PredictionJson(const std::vector<RKineticRun>& aRuns, const RPredictionSet& p) {
    const bool time = p.kind == TPredictionKind::pkTime;
    TJson j{{"alpha", p.conversion}, {"run", aRuns[p.run].name}};
    j[time ? "temperature" : "time"] = time ? Celsius(p.given) : p.given;
    TJson predicted;
    for (const RMethodPrediction& m : p.methods) {
        const std::string key = MethodKey(m.method);
        const auto value = [&](double v) { return Number(time ? v : Celsius(v)); };
        predicted[key] = value(m.value.value);
        predicted[key + "Low"] = value(m.value.low);
        predicted[key + "High"] = value(m.value.high);
        if (!m.error.empty()) predicted[key + "Error"] = m.error;
    }
    j[time ? "time" : "temperature"] = predicted;
    return j;
}

}  // namespace

std::string TKineticsWorkbench::Values() const {
    const RKineticsResult& r = fResult;
    TJson j;
    j["runs"] = RunsJson(fRuns, r);
    j["kissinger"] = {{"E", Number(r.kissinger.activationEnergy)},
                      {"low", Number(r.kissinger.activationEnergy - r.kissinger.halfWidth)},
                      {"high", Number(r.kissinger.activationEnergy + r.kissinger.halfWidth)},
                      {"lnA", Number(std::log(r.kissinger.preExponential))},
                      {"r2", Number(r.kissinger.r2)}};
    j["isoconversional"] = IsoconversionalJson(r);
    TJson methods;
    for (const RMethodEnergies& m : r.methods)
        methods[MethodKey(m.method)] = {{"meanEnergy", Number(m.meanEnergy)}, {"multiStep", m.multiStep}};
    j["methods"] = methods;
    TJson warnings = fRunWarnings;
    for (const std::string& w : r.warnings)
        warnings.push_back(w);
    j["warnings"] = warnings;
    j["prediction"] = fPrediction ? PredictionJson(fRuns, *fPrediction) : TJson();
    return j.dump();
}

}  // namespace kalvero::kinetics
