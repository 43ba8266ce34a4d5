#include "methods/MethodApply.h"

#include <algorithm>
#include <map>
#include <optional>

#include "common/Config.h"
#include "data/DataClass.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "evaluation/ResultsJson.h"
#include "methods/EvaluationSteps.h"
#include "methods/MethodFromExperiment.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/RangeText.h"
#include "processing/Segments.h"

namespace kalvero::methods {
namespace {

using TJson = nlohmann::ordered_json;

// Makes the evaluations of one method on one experiment; the peaks it adds are kept by their
// ranges, so that a purity or a crystallinity over a peak's range evaluates that very peak.
class TApplication {
public:
    TApplication(TDataClass& aData, const TAppConfig& aConfig, TLogger* aLogger, bool aConstructions)
        : d(aData), fConfig(aConfig), fLogger(aLogger), fConstructions(aConstructions) {}

    // The results of aEvaluation under the command line's JSON names.
    TJson Evaluate(const TMethodEvaluation& e) {
        switch (e.kind) {
            case EEvaluationKind::GlassTransition:
                return GlassTransition(e);
            case EEvaluationKind::Purity:
                return Purity(e);
            case EEvaluationKind::Crystallinity:
                return Crystallinity(e);
            default:
                return Peak(e);
        }
    }

private:
    // The evaluations add objects, never samples: the record's segments are found once, and each
    // range text is read once (a crystallinity names its peak's range again).
    std::pair<int, int> Range(const std::string& aText) {
        if (const auto it = fRanges.find(aText); it != fRanges.end()) return it->second;
        const auto items = ItemRangeOf(d, aText, [this]() -> const std::vector<TSegment>& {
            if (!fSegments) fSegments = SegmentsOf(d);
            return *fSegments;
        });
        fRanges.emplace(aText, items);
        return items;
    }

    TPeak& PeakOver(const std::string& aRange, const std::string& aBaseLine, int* aNumber = nullptr) {
        const auto [a, b] = Range(aRange);
        auto it = fPeaks.find({a, b});
        if (it == fPeaks.end()) {
            TPeak& added = AddPeakBetween(d, fConfig, fLogger, a, b, aRange, fConstructions);
            it = fPeaks.emplace(std::pair{a, b}, RMade{&added, added.top, added.state == PEAK_STATE_UP, {}})
                     .first;
        }
        RMade& made = it->second;
        TPeak& p = *made.peak;
        // A base line of the kind set last is there already (a sigmoid one is iterated: a purity
        // and a crystallinity over the peak's range would compute it again).
        if (const auto kind = PeakBaseLineFromKey(aBaseLine); kind && kind != made.baseLine) {
            p.SetBaseLineKind(*kind);
            made.baseLine = kind;
        }
        if (aNumber) evaluation::PeakByKey(d, evaluation::KeyOfPeak(d, &p), aNumber);
        return p;
    }

    TJson Peak(const TMethodEvaluation& e) {
        int number = 0;
        TPeak& p = PeakOver(e.range, e.baseLine, &number);
        TJson json = PeakToJson(d, p, EffectResultOf(d, p, number));
        // A peak without its extrapolated onset reports the tangent's foot: drawn after all, over
        // the rise and on the base line's ends it had when added, as if drawn with it.
        if (!fConstructions && !json["onsetTemp"].is_number() && !TPeakUtils::HasTangent(p)) {
            const RMade& made = fPeaks.at(Range(e.range));
            TPeakUtils(d, fConfig, fLogger, nullptr).AddOnsetTangent(p, made.top, made.up);
            json = PeakToJson(d, p, EffectResultOf(d, p, number));
        }
        return json;
    }

    TJson GlassTransition(const TMethodEvaluation& e) {
        TGlassTransitionRecord record;
        if (!e.before.empty()) {
            const auto [b0, b1] = Range(e.before);
            const auto [a0, a1] = Range(e.after);
            record = {b0, b1, a0, a1};
        } else {
            const auto [a, b] = Range(e.range);
            const double share = std::isfinite(e.stretch) ? e.stretch : evaluation::GLASS_TRANSITION_STRETCH;
            record = evaluation::GlassTransitionRecordOver(d, a, b, share);
        }
        int first = 0;
        const evaluation::RGlassTransition g = evaluation::GlassTransitionOf(d, record, &first);
        d.fEvaluations.glassTransitions.push_back(record);
        return GlassTransitionToJson(g, first);
    }

    TJson Purity(const TMethodEvaluation& e) {
        const TPeak& p = PeakOver(e.range, e.baseLine);
        const evaluation::RPurity r = evaluation::PurityOf(d, p, e.molarMass, e.lagSlope);
        d.fEvaluations.purities.push_back({evaluation::KeyOfPeak(d, &p), e.molarMass, e.lagSlope});
        return PurityToJson(r);
    }

    TJson Crystallinity(const TMethodEvaluation& e) {
        TCrystallinityRecord record;
        record.polymerShare = e.polymerShare;
        SetReferenceHeat(record, e.polymer, e.referenceHeat, fConfig.fProgramDataPath);
        record.meltingPeak = evaluation::KeyOfPeak(d, &PeakOver(e.range, e.baseLine));
        if (!e.coldRange.empty())
            record.coldPeak = evaluation::KeyOfPeak(d, &PeakOver(e.coldRange, e.baseLine));
        const evaluation::TCrystallinityResult r = evaluation::CrystallinityOf(d, record);
        if (!r.error.empty()) throw evaluation::EEvaluationError(r.error);
        d.fEvaluations.crystallinities.push_back(record);
        return CrystallinityToJson(r);
    }

    TDataClass& d;
    const TAppConfig& fConfig;
    TLogger* fLogger;
    bool fConstructions;
    // The peaks added, with the top and direction they had then and the base line set last.
    struct RMade {
        TPeak* peak;
        int top;
        bool up;
        std::optional<TPeakBaseLineKind> baseLine;
    };
    std::map<std::pair<int, int>, RMade> fPeaks;
    std::optional<std::vector<TSegment>> fSegments;
    std::map<std::string, std::pair<int, int>> fRanges;
};

// The unit of a result in the signal's unit (a glass transition's step).
std::string SignalUnitOf(const TDataClass& d) {
    return d.fPhysical ? d.fPhysical->unit : "К";
}

// The results of one evaluation under their names, checked against aEvaluation's limits (none
// when it is null).
void AddResults(TMethodRun& aRun, const TMethodResult& aBase, const TJson& aJson,
                const TMethodEvaluation* aEvaluation, const std::string& aSignalUnit) {
    const std::vector<double> values = ResultValues(aBase.kind, aJson);
    const auto& names = ResultNames(aBase.kind);
    for (size_t i = 0; i < names.size(); ++i) {
        TMethodResult r = aBase;
        r.name = names[i].name;
        r.unit = *names[i].unit ? names[i].unit : aSignalUnit;
        r.value = values[i];
        if (aEvaluation) r.verdict = VerdictOf(*aEvaluation, r.name, r.value, &r.limit);
        r.limited = r.verdict != EVerdict::None;
        // A result the experiment cannot give is left out unless a limit asks for it.
        if (std::isfinite(r.value) || r.limited) aRun.results.push_back(r);
    }
}

}  // namespace

std::string VerdictCaption(EVerdict aVerdict) {
    switch (aVerdict) {
        case EVerdict::Pass:
            return "годен";
        case EVerdict::Fail:
            return "не годен";
        case EVerdict::Error:
            return "ошибка";
        default:
            return "—";
    }
}

std::string VerdictKey(EVerdict aVerdict) {
    switch (aVerdict) {
        case EVerdict::Pass:
            return "pass";
        case EVerdict::Fail:
            return "fail";
        case EVerdict::Error:
            return "error";
        default:
            return "none";
    }
}

bool TMethodRun::Failed() const {
    return std::any_of(results.begin(), results.end(),
                       [](const TMethodResult& r) { return r.verdict == EVerdict::Error; });
}

bool TMethodRun::LimitFailed() const {
    return std::any_of(results.begin(), results.end(),
                       [](const TMethodResult& r) { return r.verdict == EVerdict::Fail; });
}

EVerdict VerdictOf(const TMethodEvaluation& e, const std::string& aName, double aValue, RLimit* aLimit) {
    const auto it =
        std::find_if(e.limits.begin(), e.limits.end(), [&](const auto& l) { return l.first == aName; });
    if (it == e.limits.end()) return EVerdict::None;
    if (aLimit) *aLimit = it->second;
    return it->second.Holds(aValue) ? EVerdict::Pass : EVerdict::Fail;
}

TMethodRun ApplyMethod(TDataClass& d, const TMethod& aMethod, const TAppConfig& aConfig, TLogger* aLogger,
                       bool aConstructions) {
    TMethodRun run;
    run.provenance = ProvenanceOf(d, aMethod.name, aConfig);
    // Peaks are found and evaluated on the signal over time, whatever the window shows.
    struct TModeBack {
        TDataClass& d;
        TCurveMode mode;
        ~TModeBack() { d.mode = mode; }
    } back{d, d.mode};
    d.mode = vm_view_dT_by_time;
    d.peaks.Clear();
    d.fEvaluations.Clear();
    TApplication application(d, aConfig, aLogger, aConstructions);
    for (size_t k = 0; k < aMethod.evaluations.size(); ++k) {
        const TMethodEvaluation& e = aMethod.evaluations[k];
        TMethodResult base;
        base.evaluation = static_cast<int>(k) + 1;
        base.kind = e.kind;
        base.range = e.range;
        TJson json;
        try {
            json = application.Evaluate(e);
        } catch (const evaluation::EEvaluationError& error) {
            base.error = error.what();
        } catch (const ERangeText& error) {
            base.error = error.what();
        }
        if (!base.error.empty()) {
            base.verdict = EVerdict::Error;
            run.results.push_back(base);
            continue;
        }
        AddResults(run, base, json, &e, SignalUnitOf(d));
    }
    return run;
}

TMethodRun ResultsOf(const TDataClass& d, const TAppConfig& aConfig) {
    TMethodRun run;
    run.provenance = ProvenanceOf(d, "", aConfig);
    const std::string signalUnit = SignalUnitOf(d);
    int number = 0;
    const auto base = [&](EEvaluationKind aKind, std::string aRange, const std::string& aError = "") {
        TMethodResult r;
        r.evaluation = ++number;
        r.kind = aKind;
        r.range = std::move(aRange);
        r.error = aError;
        r.verdict = aError.empty() ? EVerdict::None : EVerdict::Error;
        return r;
    };
    const auto add = [&](const TMethodResult& aBase, const TJson& aJson) {
        if (aBase.error.empty()) {
            AddResults(run, aBase, aJson, nullptr, signalUnit);
        } else {
            run.results.push_back(aBase);
        }
    };
    const auto peakRange = [&](const TPeak& p) {
        return RangeTextOf(d, std::min(p.begX, p.endX), std::max(p.begX, p.endX));
    };
    for (int k = 0, n = 0; k < d.peaks.GetItemCount(); ++k)
        if (const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value))
            add(base(EEvaluationKind::Peak, peakRange(*p)), PeakToJson(d, *p, EffectResultOf(d, *p, ++n)));
    for (const auto& g : evaluation::GlassTransitionResults(d))
        add(base(EEvaluationKind::GlassTransition, RangeTextOf(d, g.record.beforeFrom, g.record.afterTo),
                 g.error),
            g.error.empty() ? GlassTransitionToJson(g.result, g.first) : TJson());
    for (const auto& p : evaluation::PurityResults(d)) {
        const TPeak* peak = evaluation::PeakByKey(d, p.record.peak);
        add(base(EEvaluationKind::Purity, peak ? peakRange(*peak) : "", p.error),
            p.error.empty() ? PurityToJson(p.result) : TJson());
    }
    for (const auto& c : evaluation::CrystallinityResults(d)) {
        const TPeak* peak = evaluation::PeakByKey(d, c.record.meltingPeak);
        add(base(EEvaluationKind::Crystallinity, peak ? peakRange(*peak) : "", c.error),
            c.error.empty() ? CrystallinityToJson(c) : TJson());
    }
    return run;
}

}  // namespace kalvero::methods
