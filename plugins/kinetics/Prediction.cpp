#include "Prediction.h"

#include <algorithm>
#include <cmath>

#include "TemperatureIntegral.h"
#include "common/Procs.h"

namespace kalvero::kinetics {
namespace {

// E and its interval at aConversion (J/mol), linear between the levels around it.
struct REnergyAt {
    double energy, low, high;
};

REnergyAt EnergyAt(const RMethodEnergies& aEnergies, double aConversion) {
    const auto& levels = aEnergies.levels;
    const auto above =
        std::lower_bound(levels.begin(), levels.end(), aConversion - 1e-9,
                         [](const RActivationEnergy& e, double a) { return e.conversion < a; });
    if (above == levels.end() || (above->conversion > aConversion + 1e-9 && above == levels.begin())) {
        throw EKineticsException("Степень превращения " + FormatFloat("%.3f", aConversion) +
                                 " вне рассчитанного диапазона");
    }
    REnergyAt e{above->energy, above->low, above->high};
    if (above->conversion > aConversion + 1e-9) {
        const RActivationEnergy& below = *(above - 1);
        const double w = (aConversion - below.conversion) / (above->conversion - below.conversion);
        e.energy = below.energy + w * (above->energy - below.energy);
        e.low = below.low + w * (above->low - below.low);
        e.high = below.high + w * (above->high - below.high);
    }
    if (std::isnan(e.energy)) {
        throw EKineticsException("Энергия активации при степени превращения " +
                                 FormatFloat("%.3f", aConversion) + " не рассчитана");
    }
    return {e.energy * 1000, e.low * 1000, e.high * 1000};
}

// J from the run's start (with the heating before its first sample) to where it reaches aConversion.
TArrheniusTimeIntegral RunIntegral(const RKineticRun& aRun, double aConversion) {
    CheckRun(aRun);
    const RConversionPoint start{aRun.time.front(), aRun.temperature.front(), aRun.rate.front(), 0};
    const RConversionPoint end = ConversionPoints(aRun, {aConversion}).front();
    if (!end.reached)
        throw EKineticsException("Эксперимент " + aRun.name + " не достигает степени превращения " +
                                 FormatFloat("%.3f", aConversion));
    return TArrheniusTimeIntegral(aRun, start, end, aRun.heatingRate / 60);
}

// aValue at the energy and at both ends of its interval, the ends ordered; NaN ends where E has
// no interval or aValue none there.
template <typename Value>
RPrediction AtEnergies(const REnergyAt& aEnergy, Value aValue) {
    RPrediction p;
    p.value = aValue(aEnergy.energy);
    const double a = std::isnan(aEnergy.low) ? NAN : aValue(aEnergy.low);
    const double b = std::isnan(aEnergy.high) ? NAN : aValue(aEnergy.high);
    p.low = std::isnan(a) || std::isnan(b) ? NAN : std::min(a, b);
    p.high = std::isnan(a) || std::isnan(b) ? NAN : std::max(a, b);
    return p;
}

}  // namespace

RPrediction PredictIsothermalTime(const RKineticRun& aRun, const RMethodEnergies& aEnergies,
                                  double aConversion, double aTemperature) {
    if (!(aTemperature > 0)) throw EKineticsException("Неверная температура прогноза");
    const REnergyAt energy = EnergyAt(aEnergies, aConversion);
    const TArrheniusTimeIntegral integral = RunIntegral(aRun, aConversion);
    return AtEnergies(
        energy, [&](double aE) { return std::exp(integral.Ln(aE) + aE / (GAS_CONSTANT * aTemperature)); });
}

RPrediction PredictIsothermalTemperature(const RKineticRun& aRun, const RMethodEnergies& aEnergies,
                                         double aConversion, double aTime) {
    if (!(aTime > 0)) throw EKineticsException("Неверное время прогноза");
    const REnergyAt energy = EnergyAt(aEnergies, aConversion);
    const TArrheniusTimeIntegral integral = RunIntegral(aRun, aConversion);
    // exp(E/RT0) = time / J; NaN where the time is shorter than J.
    const RPrediction p = AtEnergies(energy, [&](double aE) {
        const double lnRatio = std::log(aTime) - integral.Ln(aE);
        return lnRatio > 0 ? aE / (GAS_CONSTANT * lnRatio) : NAN;
    });
    if (std::isnan(p.value))
        throw EKineticsException(
            "За заданное время степень превращения не достигается ни при какой температуре");
    return p;
}

}  // namespace kalvero::kinetics
