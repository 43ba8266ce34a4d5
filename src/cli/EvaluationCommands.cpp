// "tg", "purity", "crystallinity" and "results": the standards' evaluations of an experiment file
// without a window, each kept with the experiment when it is saved (--out), and the list of what
// a file keeps.

#include <CLI/CLI.hpp>

#include <cmath>
#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "cli/PeakOptions.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "evaluation/ResultsJson.h"
#include "methods/EvaluationSteps.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"

namespace kalvero::cli {
namespace {

// An evaluation that cannot be made is an error in the system's words.
template <typename F>
decltype(auto) Evaluated(F aEvaluate) {
    try {
        return aEvaluate();
    } catch (const evaluation::EEvaluationError& e) {
        throw ECliError(e.what());
    }
}

// The peak over A:B added by hand.
TPeak& ManualPeak(TCliContext& aContext, TDataClass& d, const std::string& aRange,
                  const std::string& aOption) {
    const auto [a, b] = ParseRange(d, aRange, aOption);
    return Evaluated([&]() -> TPeak& {
        return methods::AddPeakBetween(d, aContext.Process().Config(), gLogger, a, b, aRange);
    });
}

// The melting peak of a run: of the peaks detection finds, the endothermic one of the largest heat
// (area where there is no heat).
TPeak& MeltingPeak(TCliContext& aContext, TDataClass& d) {
    TPeakUtils(d, aContext.Process().Config(), gLogger, nullptr).DetectPeaks(0, d.GetItemCount() - 1);
    TPeak* best = nullptr;
    double largest = 0;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
        auto* p = dynamic_cast<TPeak*>(d.peaks.GetItemByIndex(k).value);
        if (!p) continue;
        const TEffectResult r = EffectResultOf(d, *p, k + 1);
        const double size = std::isfinite(r.heat) ? std::abs(r.heat) : std::abs(r.area);
        if (r.endothermic && size > largest) best = p, largest = size;
    }
    if (!best) throw ECliError("Пик плавления не найден: задайте его диапазон (--manual)");
    return *best;
}

void SaveIfAsked(TDataClass& d, const std::string& aOut) {
    if (!aOut.empty()) d.SaveToFile(aOut, false);
}

}  // namespace

void RegisterEvaluationCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string file, out, range, manual, baseLine, melting, cold, polymer;
        double stretch = evaluation::GLASS_TRANSITION_STRETCH, molarMass = NAN, lagSlope = NAN,
               referenceHeat = NAN, share = 1;
    };
    auto args = std::make_shared<TArgs>();

    auto* tg =
        aApp.add_subcommand("tg", "Glass transition by the tangent construction (ISO 11357-2, ASTM E1356)");
    tg->add_option("FILE", args->file, "Experiment file")->required();
    tg->add_option("--range", args->range,
                   "The step with flat stretches on either side: A:B (items, 300s:360s, "
                   "5min:6min or 150C:170C)")
        ->required();
    tg->add_option("--stretch", args->stretch, "Share of the range each base line is fitted over")
        ->check(CLI::Range(0.01, 0.45));
    tg->add_option("--out", args->out, "Save the experiment with the glass transition kept");
    tg->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        const auto [a, b] = ParseRange(*d, args->range, "--range");
        const TGlassTransitionRecord record =
            Evaluated([&] { return evaluation::GlassTransitionRecordOver(*d, a, b, args->stretch); });
        int first = 0;
        const evaluation::RGlassTransition g =
            Evaluated([&] { return evaluation::GlassTransitionOf(*d, record, &first); });
        d->fEvaluations.glassTransitions.push_back(record);
        SaveIfAsked(*d, args->out);
        aContext.Print(GlassTransitionToJson(g, first));
    });

    auto* purity = aApp.add_subcommand("purity", "Purity by van't Hoff on the melting peak (ASTM E928)");
    purity->add_option("FILE", args->file, "Experiment file")->required();
    purity->add_option("--manual", args->manual,
                       "The melting peak over A:B (default: the largest endothermic one)");
    purity->add_option("--molar-mass", args->molarMass, "Molar mass of the main component, g/mol")
        ->required()
        ->check(CLI::PositiveNumber);
    purity->add_option("--lag-slope", args->lagSlope, "Slope of a pure metal's leading edge, mW/K");
    AddBaseLineOption(*purity, args->baseLine);
    purity->add_option("--out", args->out, "Save the experiment with the purity kept");
    purity->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        d->peaks.Clear();
        TPeak& peak = args->manual.empty() ? MeltingPeak(aContext, *d)
                                           : ManualPeak(aContext, *d, args->manual, "--manual");
        ApplyBaseLine(*d, args->baseLine);
        const evaluation::RPurity r =
            Evaluated([&] { return evaluation::PurityOf(*d, peak, args->molarMass, args->lagSlope); });
        d->fEvaluations.purities.push_back(
            {evaluation::KeyOfPeak(*d, &peak), args->molarMass, args->lagSlope});
        SaveIfAsked(*d, args->out);
        nlohmann::ordered_json j = PurityToJson(r);
        j["begX"] = peak.begX;
        j["endX"] = peak.endX;
        aContext.Print(j);
    });

    auto* crystallinity = aApp.add_subcommand(
        "crystallinity", "Degree of crystallinity from the heats of melting (ISO 11357-3)");
    crystallinity->add_option("FILE", args->file, "Experiment file")->required();
    crystallinity->add_option("--melting", args->melting, "The melting peak over A:B")->required();
    crystallinity->add_option("--cold-crystallisation", args->cold, "The cold crystallisation peak over C:D");
    auto* polymer = crystallinity->add_option(
        "--polymer", args->polymer, "Polymer of the shipped list (ReferencePolymers.ini): id or name");
    auto* heat = crystallinity
                     ->add_option("--reference-heat", args->referenceHeat,
                                  "Heat of fusion of the fully crystalline polymer, J/g")
                     ->check(CLI::PositiveNumber);
    polymer->excludes(heat);
    crystallinity->add_option("--polymer-share", args->share, "Mass share of the polymer in the sample")
        ->check(CLI::Range(0.0001, 1.0));
    AddBaseLineOption(*crystallinity, args->baseLine);
    crystallinity->add_option("--out", args->out, "Save the experiment with the crystallinity kept");
    crystallinity->callback([&aContext, args] {
        if (args->polymer.empty() && !std::isfinite(args->referenceHeat))
            throw CLI::ValidationError("--polymer", "нужен --polymer или --reference-heat");
        const auto d = LoadSignalOverTime(aContext, args->file);
        TCrystallinityRecord record;
        record.polymerShare = args->share;
        Evaluated([&] {
            methods::SetReferenceHeat(record, args->polymer, args->referenceHeat,
                                      aContext.Process().Config().fProgramDataPath);
        });
        d->peaks.Clear();
        const TPeak& melting = ManualPeak(aContext, *d, args->melting, "--melting");
        record.meltingPeak = evaluation::KeyOfPeak(*d, &melting);
        if (!args->cold.empty())
            record.coldPeak =
                evaluation::KeyOfPeak(*d, &ManualPeak(aContext, *d, args->cold, "--cold-crystallisation"));
        ApplyBaseLine(*d, args->baseLine);
        const evaluation::TCrystallinityResult r = evaluation::CrystallinityOf(*d, record);
        if (!r.error.empty()) throw ECliError(r.error);
        d->fEvaluations.crystallinities.push_back(record);
        SaveIfAsked(*d, args->out);
        aContext.Print(CrystallinityToJson(r));
    });

    auto* results = aApp.add_subcommand("results", "The peaks and the evaluations an experiment file keeps");
    results->add_option("FILE", args->file, "Experiment file")->required();
    results->callback([&aContext, args] {
        const auto d = LoadSignalOverTime(aContext, args->file);
        if (aContext.Options().json) {
            aContext.Print(ResultsToJson(*d));
            return;
        }
        // The lines of the results list: each effect, then each evaluation.
        for (const TEffectResult& r : EffectResults(*d))
            std::cout << "Пик " << r.number << ": " << EffectLabel(r) << '\n';
        for (const evaluation::TEvaluationRow& row : evaluation::EvaluationRows(*d))
            std::cout << row.caption << ": " << row.summary << '\n';
    });
}

}  // namespace kalvero::cli
