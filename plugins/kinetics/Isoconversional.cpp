#include "Isoconversional.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "IsoconversionalLevel.h"
#include "TemperatureIntegral.h"
#include "common/Procs.h"

namespace kalvero::kinetics {
namespace {

// Conversions that differ by less than this are one level.
constexpr double kSameLevel = 1e-9;

std::string Levels(const std::vector<double>& aLevels) {
    std::string text;
    for (double a : aLevels)
        text += (text.empty() ? "" : ", ") + FormatFloat("%.2f", a);
    return text;
}

// The levels of the options from aLowest up, ascending; the ones below go to aLeftOut.
std::vector<double> CommonLevels(const RKineticsOptions& aOptions, double aLowest,
                                 std::vector<double>& aLeftOut) {
    std::vector<double> levels = aOptions.conversions.empty() ? StandardConversions() : aOptions.conversions;
    std::sort(levels.begin(), levels.end());
    std::vector<double> kept;
    for (double a : levels)
        (a >= aLowest - kSameLevel ? kept : aLeftOut).push_back(a);
    return kept;
}

// Straight line of ln(β/T²) on 1/T: the start of the Vyazovkin searches.
double KasGuess(const std::vector<double>& aRates, const std::vector<RConversionPoint>& aPoints) {
    const RActivationEnergy kas =
        LineMethodLevel(TKineticMethod::kmKissingerAkahiraSunose, aRates, aPoints, 0, 0.95);
    return kas.energy * 1000;
}

class TAnalysis {
public:
    TAnalysis(const std::vector<RKineticRun>& aRuns, const RKineticsOptions& aOptions)
        : fRuns(aRuns), fOptions(aOptions) {}

    RKineticsResult Run();

private:
    RMethodEnergies Method(TKineticMethod aMethod) const;
    RActivationEnergy Vyazovkin(size_t aLevel) const;
    RActivationEnergy AdvancedVyazovkin(size_t aLevel) const;
    void Judge(RMethodEnergies& aEnergies) const;
    void Warn();

    const std::vector<RKineticRun>& fRuns;
    const RKineticsOptions& fOptions;
    RKineticsResult fResult;
    std::vector<std::vector<RConversionPoint>> fStarts;  // [level][run]: tα−Δα of the advanced method
    std::vector<double> fStartLevels;
    size_t fMiddle = 0;
};

RKineticsResult TAnalysis::Run() {
    if (fRuns.size() < 2)
        throw EKineticsException("Для кинетического анализа нужно не менее двух экспериментов, открыто " +
                                 std::to_string(fRuns.size()));
    double lowest = 0;
    for (const RKineticRun& run : fRuns) {
        CheckRun(run);
        fResult.heatingRates.push_back(run.heatingRate);
        lowest = std::max(lowest, FirstConversion(run));
    }
    if (std::set<double>(fResult.heatingRates.begin(), fResult.heatingRates.end()).size() < 2)
        throw EKineticsException("Скорости нагрева всех экспериментов одинаковы");
    fMiddle = MiddleRun(fResult.heatingRates);

    std::vector<double> leftOut;
    std::vector<double> levels = CommonLevels(fOptions, lowest, leftOut);
    // Δα of the advanced method: the levels' spacing unless given. A stretch below the range
    // common to all runs is cut at its start, the same for every run.
    double step = fOptions.advancedStep;
    if (!(step > 0)) step = levels.size() > 1 ? levels[1] - levels[0] : 0.05;
    std::vector<double> starts;
    for (double a : levels)
        starts.push_back(std::max(lowest, a - step));

    // Every run's points at the levels and the stretches' starts in one pass over its samples.
    std::vector<double> wanted = levels;
    wanted.insert(wanted.end(), starts.begin(), starts.end());
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    const auto at = [&](double aLevel) {
        return static_cast<size_t>(std::lower_bound(wanted.begin(), wanted.end(), aLevel) - wanted.begin());
    };
    std::vector<std::vector<RConversionPoint>> found;
    for (const RKineticRun& run : fRuns) {
        found.push_back(ConversionPoints(run, wanted));
        fResult.peakTemperatures.push_back(PeakTemperature(run));
    }
    for (size_t k = 0; k < levels.size(); ++k) {
        std::vector<RConversionPoint> points, from;
        for (const auto& run : found) {
            points.push_back(run[at(levels[k])]);
            from.push_back(run[at(starts[k])]);
        }
        const bool reached =
            std::all_of(points.begin(), points.end(), [](const auto& p) { return p.reached; });
        if (!reached) {
            leftOut.push_back(levels[k]);
            continue;
        }
        fResult.conversions.push_back(levels[k]);
        fResult.points.push_back(std::move(points));
        fStarts.push_back(std::move(from));
        fStartLevels.push_back(starts[k]);
    }
    if (!leftOut.empty()) {
        std::sort(leftOut.begin(), leftOut.end());
        fResult.warnings.push_back("Внимание! Степени превращения " + Levels(leftOut) +
                                   " лежат вне диапазона, общего для всех экспериментов, и не рассчитаны.");
    }
    if (fResult.conversions.empty())
        throw EKineticsException("У экспериментов нет общего диапазона превращения");

    fResult.kissinger = KissingerE698(fResult.heatingRates, fResult.peakTemperatures, fOptions.confidence);
    for (TKineticMethod m : fOptions.methods)
        fResult.methods.push_back(Method(m));
    Warn();
    return fResult;
}

RMethodEnergies TAnalysis::Method(TKineticMethod aMethod) const {
    RMethodEnergies energies;
    energies.method = aMethod;
    for (size_t k = 0; k < fResult.conversions.size(); ++k) {
        RActivationEnergy e;
        if (aMethod == TKineticMethod::kmVyazovkin)
            e = Vyazovkin(k);
        else if (aMethod == TKineticMethod::kmAdvancedVyazovkin)
            e = AdvancedVyazovkin(k);
        else
            e = LineMethodLevel(aMethod, fResult.heatingRates, fResult.points[k], fMiddle,
                                fOptions.confidence);
        e.conversion = fResult.conversions[k];
        energies.levels.push_back(std::move(e));
    }
    Judge(energies);
    return energies;
}

// ωᵢ = ln(I(E,Tα,ᵢ)/βᵢ) without the common ln(E/R).
RActivationEnergy TAnalysis::Vyazovkin(size_t aLevel) const {
    const auto& points = fResult.points[aLevel];
    const auto& rates = fResult.heatingRates;
    const TLnIntegrals lnIntegrals = [&](double aEnergy, std::vector<double>& aOmega) {
        for (size_t i = 0; i < points.size(); ++i)
            aOmega[i] =
                LnTemperatureIntegral(aEnergy / (GAS_CONSTANT * points[i].temperature)) - std::log(rates[i]);
    };
    return VyazovkinLevel(lnIntegrals, points.size(), KasGuess(rates, points), fOptions.confidence);
}

// ωᵢ = ln J[E, Tᵢ(t)] over the run's own stretch from α − Δα to α.
RActivationEnergy TAnalysis::AdvancedVyazovkin(size_t aLevel) const {
    // A stretch from α = 0 takes in the heating before the first sample: runs cut at the peak's
    // start have been reacting a little before it.
    const bool fromZero = fStartLevels[aLevel] <= 0;
    std::vector<TArrheniusTimeIntegral> integrals;
    for (size_t i = 0; i < fRuns.size(); ++i) {
        const double leadIn = fromZero ? fRuns[i].heatingRate / 60 : 0;
        integrals.emplace_back(fRuns[i], fStarts[aLevel][i], fResult.points[aLevel][i], leadIn);
    }
    const TLnIntegrals lnIntegrals = [&](double aEnergy, std::vector<double>& aOmega) {
        for (size_t i = 0; i < integrals.size(); ++i)
            aOmega[i] = integrals[i].Ln(aEnergy);
    };
    return VyazovkinLevel(lnIntegrals, integrals.size(),
                          KasGuess(fResult.heatingRates, fResult.points[aLevel]), fOptions.confidence);
}

// The mean and the spread of E over 0.1 … 0.9, where the base line weighs least on α.
void TAnalysis::Judge(RMethodEnergies& aEnergies) const {
    double sum = 0, lo = HUGE_VAL, hi = -HUGE_VAL;
    int count = 0;
    for (const RActivationEnergy& e : aEnergies.levels) {
        if (e.conversion < 0.1 - kSameLevel || e.conversion > 0.9 + kSameLevel || std::isnan(e.energy))
            continue;
        sum += e.energy, ++count;
        lo = std::min(lo, e.energy), hi = std::max(hi, e.energy);
    }
    if (count == 0) {
        aEnergies.meanEnergy = std::nan("");
        return;
    }
    aEnergies.meanEnergy = sum / count;
    aEnergies.multiStep = count > 1 && (hi - lo) > fOptions.multiStepLimit * std::fabs(aEnergies.meanEnergy);
}

void TAnalysis::Warn() {
    const size_t rates = std::set<double>(fResult.heatingRates.begin(), fResult.heatingRates.end()).size();
    if (rates < 3) {
        fResult.warnings.push_back("Внимание! Скоростей нагрева " + std::to_string(rates) +
                                   ", а для надёжной оценки энергии активации нужно не менее трёх.");
    }
    std::string multiStep;
    for (const RMethodEnergies& m : fResult.methods) {
        std::vector<double> failed;
        for (const RActivationEnergy& e : m.levels) {
            if (std::isnan(e.energy)) failed.push_back(e.conversion);
        }
        if (!failed.empty()) {
            fResult.warnings.push_back("Внимание! " + KineticMethodName(m.method) +
                                       ": энергия активации не рассчитана при степенях превращения " +
                                       Levels(failed) + ".");
        }
        if (m.multiStep) multiStep += (multiStep.empty() ? "" : ", ") + KineticMethodName(m.method);
    }
    if (!multiStep.empty()) {
        fResult.warnings.push_back(
            "Внимание! Энергия активации меняется со степенью превращения более чем на " +
            FormatFloat("%.0f", fOptions.multiStepLimit * 100) + " % (" + multiStep +
            "): процесс многостадийный, одно значение энергии активации для него "
            "неприменимо.");
    }
}

}  // namespace

std::string KineticMethodName(TKineticMethod aMethod) {
    switch (aMethod) {
        case TKineticMethod::kmFriedman:
            return "Фридман";
        case TKineticMethod::kmOzawaFlynnWall:
            return "Озава–Флинн–Уолл";
        case TKineticMethod::kmKissingerAkahiraSunose:
            return "Киссинджер–Акахира–Сунозе";
        case TKineticMethod::kmStarink:
            return "Старинк";
        case TKineticMethod::kmVyazovkin:
            return "Вязовкин";
        case TKineticMethod::kmAdvancedVyazovkin:
            return "Вязовкин (усовершенствованный)";
    }
    return "";
}

const RMethodEnergies* FindMethod(const RKineticsResult& aResult, TKineticMethod aMethod) {
    for (const RMethodEnergies& m : aResult.methods) {
        if (m.method == aMethod) return &m;
    }
    return nullptr;
}

std::vector<double> StandardConversions() {
    std::vector<double> levels;
    for (int k = 1; k <= 19; ++k)
        levels.push_back(0.05 * k);
    return levels;
}

RKineticsResult AnalyseKinetics(const std::vector<RKineticRun>& aRuns, const RKineticsOptions& aOptions) {
    return TAnalysis(aRuns, aOptions).Run();
}

}  // namespace kalvero::kinetics
