#include "methods/MethodFromExperiment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/DataClass.h"
#include "evaluation/PeakEvaluation.h"
#include "processing/Peak.h"
#include "processing/RangeText.h"

namespace kalvero::methods {
namespace {

// aDegrees with aDecimals decimals ("148C"), or with three, nudged a thousandth of a degree back
// towards the item before (aDirection), so that the first item reaching it is the item itself.
std::string DegreesText(double aDegrees, int aDecimals, int aDirection = 0) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*fC", aDecimals, aDegrees - aDirection * 0.001);
    return text;
}

std::string SecondsText(const TDataClass& d, int aItem) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3fs", aItem / static_cast<double>(d.frequency));
    return text;
}

// Whether ItemRangeOf reads aText as items aFrom … aTo, within aSlack items.
bool ReadsBack(const TDataClass& d, const std::string& aText, int aFrom, int aTo, int aSlack) {
    try {
        const auto [a, b] = ItemRangeOf(d, aText);
        return std::abs(a - aFrom) <= aSlack && std::abs(b - aTo) <= aSlack;
    } catch (const ERangeText&) {
        return false;
    }
}

const TPeak* PeakOf(const TDataClass& d, const std::string& aKey) {
    return aKey.empty() ? nullptr : evaluation::PeakByKey(d, aKey);
}

std::string BaseLineOf(const TPeak& p) {
    return PeakBaseLineKey(p.baseLineKind);
}

std::string PeakRange(const TDataClass& d, const TPeak& p) {
    return RangeTextOf(d, std::min(p.begX, p.endX), std::max(p.begX, p.endX));
}

void KeepLimits(TMethodEvaluation& e, const TMethod* aFrom) {
    if (!aFrom) return;
    for (const TMethodEvaluation& old : aFrom->evaluations)
        if (old.kind == e.kind && old.range == e.range) e.limits = old.limits;
}

}  // namespace

std::string RangeTextOf(const TDataClass& d, int aFrom, int aTo) {
    aFrom = d.ClipItemIndex(aFrom), aTo = d.ClipItemIndex(aTo);
    const double a = d.items[aFrom][0].tc, b = d.items[aTo][0].tc;
    // Degrees where the temperature moves a kelvin over the range and the text names these items:
    // the fewest decimals that name them exactly, else the nudged thousandths.
    if (std::abs(b - a) >= 1) {
        for (int decimals = 0; decimals <= 2; ++decimals) {
            const std::string text = DegreesText(a, decimals) + ":" + DegreesText(b, decimals);
            if (ReadsBack(d, text, aFrom, aTo, 0)) return text;
        }
        const int direction = b > a ? 1 : -1;
        const std::string text = DegreesText(a, 3, direction) + ":" + DegreesText(b, 3, direction);
        if (ReadsBack(d, text, aFrom, aTo, 1)) return text;
    }
    return SecondsText(d, aFrom) + ":" + SecondsText(d, aTo);
}

TMethod MethodOf(const TDataClass& d, const std::string& aName, const TMethod* aLimitsFrom) {
    TMethod m;
    m.name = aName;
    const auto add = [&](TMethodEvaluation e) {
        KeepLimits(e, aLimitsFrom);
        m.evaluations.push_back(std::move(e));
    };
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value))
            add({.kind = EEvaluationKind::Peak, .range = PeakRange(d, *p), .baseLine = BaseLineOf(*p)});
    for (const TGlassTransitionRecord& g : d.fEvaluations.glassTransitions)
        add({.kind = EEvaluationKind::GlassTransition,
             .range = RangeTextOf(d, g.beforeFrom, g.afterTo),
             .before = RangeTextOf(d, g.beforeFrom, g.beforeTo),
             .after = RangeTextOf(d, g.afterFrom, g.afterTo)});
    for (const TPurityRecord& r : d.fEvaluations.purities)
        if (const TPeak* p = PeakOf(d, r.peak))
            add({.kind = EEvaluationKind::Purity,
                 .range = PeakRange(d, *p),
                 .baseLine = BaseLineOf(*p),
                 .molarMass = r.molarMass,
                 .lagSlope = r.lagSlope});
    for (const TCrystallinityRecord& c : d.fEvaluations.crystallinities) {
        const TPeak* melting = PeakOf(d, c.meltingPeak);
        if (!melting) continue;
        const TPeak* cold = PeakOf(d, c.coldPeak);
        add({.kind = EEvaluationKind::Crystallinity,
             .range = PeakRange(d, *melting),
             .baseLine = BaseLineOf(*melting),
             .coldRange = cold ? PeakRange(d, *cold) : "",
             .polymer = c.polymer,
             .referenceHeat = c.polymer.empty() ? c.referenceHeat : NAN,
             .polymerShare = c.polymerShare});
    }
    if (m.evaluations.empty()) throw EMethodError("В опыте нет оценок для методики");
    return m;
}

}  // namespace kalvero::methods
