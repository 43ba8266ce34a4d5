#include "evaluation/ResultsJson.h"

#include <cmath>

#include "data/DataClass.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"

namespace kalvero {
namespace {

using TJson = nlohmann::ordered_json;

const char* StateName(TPeakState aState) {
    switch (aState) {
        case PEAK_STATE_UP:
            return "PEAK_STATE_UP";
        case PEAK_STATE_DOWN:
            return "PEAK_STATE_DOWN";
        default:
            return "PEAK_STATE_INVALID";
    }
}

TJson Temperature(const evaluation::RPoint& aPoint) {
    return aPoint.Valid() ? JsonNumber(aPoint.temperature) : TJson(nullptr);
}

// An evaluation computed, or its error in the system's words.
template <typename F>
TJson OrError(const std::string& aError, F aJson) {
    return aError.empty() ? aJson() : TJson{{"error", aError}};
}

}  // namespace

TJson JsonNumber(double aValue) {
    return std::isfinite(aValue) ? TJson(aValue) : TJson(nullptr);
}

TJson PeakToJson(const TDataClass& d, const TPeak& p, const TEffectResult& r) {
    TJson j;
    j["number"] = r.number;
    j["begX"] = p.begX;
    j["endX"] = p.endX;
    j["topX"] = p.top;
    j["topY"] = d.items[p.top][0].dt;
    j["topTemp"] = r.topTemp;
    j["topTime"] = r.topTime;
    j["state"] = StateName(p.state);
    j["effect"] = EffectKey(r.endothermic);
    const bool hasTangent =
        p.cutLines.size() > PEAK_LINE_TANGENT && p.cutLines.back().lineType == CUTLINE_TANGENT;
    // onsetTemp: the extrapolated onset of ISO 11357-1, as the results list and the labels show
    // it (extrapolatedOnsetTemp says the same); onsetX and tangentOnsetTemp: the foot of the
    // tangent the detector draws, which the operator may move.
    if (hasTangent) {
        const int onset = p.cutLines.back().points.at(0).x;
        j["onsetX"] = onset;
        j["tangentOnsetTemp"] =
            onset >= 0 && onset < d.GetItemCount() ? TJson(d.items[onset][0].tc) : TJson(nullptr);
    } else {
        j["onsetX"] = nullptr;
        j["tangentOnsetTemp"] = nullptr;
    }
    j["onsetTemp"] = JsonNumber(r.onsetTemp);
    j["extrapolatedOnsetTemp"] = JsonNumber(r.onsetTemp);
    long double byTime = 0;
    for (const RPeakAreaValue& e : p.fAreas)
        byTime += e.timeRelatedRawArea;
    j["endsetTemp"] = JsonNumber(r.endsetTemp);
    j["initialTemp"] = JsonNumber(r.initialTemp);
    j["finalTemp"] = JsonNumber(r.finalTemp);
    j["halfWidth"] = JsonNumber(r.halfWidth);
    j["baseLine"] = r.baseLine;
    j["area"] = static_cast<double>(p.GetSummaryArea());
    j["areaByTime"] = static_cast<double>(byTime);
    j["areaDegrees"] = static_cast<double>(p.GetSummaryAreaInRealUnits());
    j["heat"] = JsonNumber(r.heat);
    j["specificHeat"] = JsonNumber(r.specificHeat);
    // The text in the experiment's area unit; counts when joules cannot be had.
    const TAreaScale scale = HeatAvailable(d) ? d.areaScale : asUnits;
    j["text"] = p.GetPeakSizeStr(scale, d.fSampleWeight);
    j["warnings"] = r.warnings;
    return j;
}

TJson ConversionToJson(const evaluation::RConversion& c) {
    return {{"area", JsonNumber(c.area)}, {"time", c.time}, {"temperature", c.temperature},
            {"alpha", c.alpha},           {"rate", c.rate}, {"warnings", c.warnings}};
}

TJson GlassTransitionToJson(const evaluation::RGlassTransition& g, int aFirst) {
    const auto items = [aFirst](evaluation::TItemRange aRange) {
        return TJson::array({aFirst + static_cast<int>(aRange.from), aFirst + static_cast<int>(aRange.to)});
    };
    return {{"onset", Temperature(g.onset)},
            {"midpoint", Temperature(g.midpoint)},
            {"inflection", Temperature(g.inflection)},
            {"endset", Temperature(g.endset)},
            {"step", JsonNumber(g.stepHeight)},
            {"deltaCp", JsonNumber(g.deltaCp)},
            {"rate", JsonNumber(g.rate)},
            {"before", items(g.before)},
            {"after", items(g.after)},
            {"warnings", g.warnings}};
}

TJson PurityToJson(const evaluation::RPurity& p) {
    return {{"purity", JsonNumber(p.purity)},       {"impurity", JsonNumber(p.impurity)},
            {"T0", JsonNumber(p.meltingPoint)},     {"deltaH", JsonNumber(p.heatOfFusion)},
            {"molarHeat", JsonNumber(p.molarHeat)}, {"correction", JsonNumber(p.correction)},
            {"rSquared", JsonNumber(p.rSquared)},   {"warnings", p.warnings}};
}

TJson CrystallinityToJson(const evaluation::TCrystallinityResult& c) {
    return {{"crystallinity", JsonNumber(c.result.percent)},
            {"meltingHeat", JsonNumber(c.meltingHeat)},
            {"coldCrystallisationHeat", JsonNumber(c.coldHeat)},
            {"referenceHeat", JsonNumber(c.record.referenceHeat)},
            {"polymer", c.record.polymer},
            {"polymerShare", JsonNumber(c.record.polymerShare)},
            {"meltingPeak", c.meltingPeak},
            {"coldCrystallisationPeak", c.coldPeak > 0 ? TJson(c.coldPeak) : TJson(nullptr)},
            {"warnings", c.result.warnings}};
}

TJson ResultsToJson(const TDataClass& d) {
    TJson effects = TJson::array();
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value))
            effects.push_back(PeakToJson(d, *p, EffectResultOf(d, *p, static_cast<int>(effects.size()) + 1)));
    TJson glass = TJson::array();
    for (const auto& g : evaluation::GlassTransitionResults(d))
        glass.push_back(OrError(g.error, [&] { return GlassTransitionToJson(g.result, g.first); }));
    TJson purity = TJson::array();
    for (const auto& p : evaluation::PurityResults(d)) {
        TJson j = OrError(p.error, [&] { return PurityToJson(p.result); });
        j["peak"] = p.peak;
        j["molarMass"] = JsonNumber(p.record.molarMass);
        purity.push_back(j);
    }
    TJson crystallinity = TJson::array();
    for (const auto& c : evaluation::CrystallinityResults(d))
        crystallinity.push_back(OrError(c.error, [&] { return CrystallinityToJson(c); }));
    return {{"effects", effects},
            {"glassTransitions", glass},
            {"purity", purity},
            {"crystallinity", crystallinity}};
}

}  // namespace kalvero
