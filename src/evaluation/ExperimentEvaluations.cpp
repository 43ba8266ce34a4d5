#include "evaluation/ExperimentEvaluations.h"

#include <algorithm>

#include "data/DataClass.h"
#include "evaluation/ExperimentCurve.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"

namespace kalvero::evaluation {
namespace {

TGlassTransitionOptions GlassOptionsOf(const TDataClass& d) {
    TGlassTransitionOptions o;
    if (!d.fPhysical) return o;  // a signal in degrees gives no ΔCp
    switch (d.fPhysical->quantity) {
        case sqHeatFlow:
            o.mass = d.fSampleWeight > 0 ? d.fSampleWeight : NAN;
            break;
        case sqHeatFlowPerMass:
            o.mass = 1;  // mW/mg: the mass is in the signal already
            break;
        default:
            break;
    }
    return o;
}

std::string Celsius(double aValue) {
    return DecimalComma(aValue, 1) + " °C";
}

}  // namespace

RGlassTransition GlassTransitionOf(const TDataClass& d, const TGlassTransitionRecord& g, int* aFirst) {
    const TExperimentCurve c = CurveOfExperiment(d, g.beforeFrom, g.afterTo);
    if (aFirst) *aFirst = c.first;
    const auto range = [&](int aFrom, int aTo) {
        if (aFrom > aTo || aFrom < g.beforeFrom || aTo > g.afterTo || aTo >= d.GetItemCount())
            throw EEvaluationError("Участки базовых линий вне записи");
        return c.Range(aFrom, aTo);
    };
    RGlassTransition r = EvaluateGlassTransitionBetween(c.View(), range(g.beforeFrom, g.beforeTo),
                                                        range(g.afterFrom, g.afterTo), GlassOptionsOf(d));
    // A heat capacity's step is ΔCp itself.
    if (d.fPhysical && d.fPhysical->quantity == sqSpecificHeat && std::isfinite(r.stepHeight))
        r.deltaCp = std::abs(r.stepHeight);
    return r;
}

TGlassTransitionRecord GlassTransitionRecordOver(const TDataClass& d, int aFrom, int aTo,
                                                 double aStretchFraction) {
    const TExperimentCurve c = CurveOfExperiment(d, aFrom, aTo);
    TGlassTransitionOptions o = GlassOptionsOf(d);
    o.stretchFraction = aStretchFraction;
    const RGlassTransition r = EvaluateGlassTransition(c.View(), c.Range(aFrom, aTo), o);
    const auto item = [&](size_t aIndex) { return c.first + static_cast<int32_t>(aIndex); };
    return {item(r.before.from), item(r.before.to), item(r.after.from), item(r.after.to)};
}

void MoveGlassTransitionEnd(TGlassTransitionRecord& g, int aEnd, int aItem, int aItemCount) {
    // The step needs two items between the stretches (the construction's least gap).
    constexpr int kGap = 3;
    const auto hold = [aItem](int aLow, int aHigh) { return std::clamp(aItem, aLow, std::max(aLow, aHigh)); };
    switch (aEnd) {
        case 0:
            g.beforeFrom = hold(0, g.beforeTo - 1);
            break;
        case 1:
            g.beforeTo = hold(g.beforeFrom + 1, g.afterFrom - kGap);
            break;
        case 2:
            g.afterFrom = hold(g.beforeTo + kGap, g.afterTo - 1);
            break;
        case 3:
            g.afterTo = hold(g.afterFrom + 1, aItemCount - 1);
            break;
        default:
            break;
    }
}

std::vector<TGlassTransitionResult> GlassTransitionResults(const TDataClass& d) {
    std::vector<TGlassTransitionResult> out;
    for (const TGlassTransitionRecord& g : d.fEvaluations.glassTransitions) {
        TGlassTransitionResult r;
        r.number = static_cast<int>(out.size()) + 1;
        r.record = g;
        try {
            r.result = GlassTransitionOf(d, g, &r.first);
        } catch (const EEvaluationError& e) {
            r.error = e.what();
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<TPurityResult> PurityResults(const TDataClass& d) {
    std::vector<TPurityResult> out;
    for (const TPurityRecord& p : d.fEvaluations.purities) {
        TPurityResult r;
        const TPeak* peak = PeakByKey(d, p.peak, &r.peak);
        if (!peak) continue;
        r.number = static_cast<int>(out.size()) + 1;
        r.record = p;
        r.first = d.ClipItemIndex(std::min(peak->begX, peak->endX));
        try {
            r.result = PurityOf(d, *peak, p.molarMass, p.lagSlope);
        } catch (const EEvaluationError& e) {
            r.error = e.what();
        }
        out.push_back(std::move(r));
    }
    return out;
}

TCrystallinityResult CrystallinityOf(const TDataClass& d, const TCrystallinityRecord& c) {
    TCrystallinityResult r;
    r.record = c;
    const TPeak* melting = PeakByKey(d, c.meltingPeak, &r.meltingPeak);
    const TPeak* cold = c.coldPeak.empty() ? nullptr : PeakByKey(d, c.coldPeak, &r.coldPeak);
    if (!melting || (!c.coldPeak.empty() && !cold)) {
        r.error = "Пик для расчёта степени кристалличности не найден";
        return r;
    }
    const auto heatOf = [&d](const TPeak& p) {
        TEffectResult e;
        SetHeatOf(d, p, e);
        return std::abs(e.specificHeat);
    };
    r.meltingHeat = heatOf(*melting);
    r.coldHeat = cold ? heatOf(*cold) : 0.0;
    if (!std::isfinite(r.meltingHeat) || !std::isfinite(r.coldHeat)) {
        r.error =
            "Теплоты пиков в Дж/г не определены: нужны тепловой поток или калибровка по теплоте и масса "
            "навески";
        return r;
    }
    try {
        r.result = EvaluateCrystallinity(r.meltingHeat, r.coldHeat, c.referenceHeat, c.polymerShare);
    } catch (const EEvaluationError& e) {
        r.error = e.what();
    }
    return r;
}

std::vector<TCrystallinityResult> CrystallinityResults(const TDataClass& d) {
    std::vector<TCrystallinityResult> out;
    for (const TCrystallinityRecord& c : d.fEvaluations.crystallinities) {
        if (!PeakByKey(d, c.meltingPeak) || (!c.coldPeak.empty() && !PeakByKey(d, c.coldPeak)))
            continue;  // a peak of it is gone
        TCrystallinityResult r = CrystallinityOf(d, c);
        r.number = static_cast<int>(out.size()) + 1;
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<TEvaluationRow> EvaluationRows(const TDataClass& d) {
    std::vector<TEvaluationRow> rows;
    for (const auto& g : GlassTransitionResults(d))
        rows.push_back({GlassTransitionCaption(g), GlassTransitionSummary(g), !g.error.empty()});
    for (const auto& p : PurityResults(d))
        rows.push_back({PurityCaption(p), PuritySummary(p), !p.error.empty()});
    for (const auto& c : CrystallinityResults(d))
        rows.push_back({CrystallinityCaption(c), CrystallinitySummary(c), !c.error.empty()});
    return rows;
}

void RemoveEvaluationRow(TDataClass& d, int aRow) {
    if (aRow < 0) return;
    TEvaluationRecords& e = d.fEvaluations;
    const auto eraseFirst = [](auto& aRecords, const auto& aRecord) {
        const auto it = std::find(aRecords.begin(), aRecords.end(), aRecord);
        if (it != aRecords.end()) aRecords.erase(it);
    };
    size_t row = static_cast<size_t>(aRow);
    if (row < e.glassTransitions.size()) {
        e.glassTransitions.erase(e.glassTransitions.begin() + static_cast<std::ptrdiff_t>(row));
        return;
    }
    row -= e.glassTransitions.size();
    // Purities and crystallinities are listed while their peaks last.
    const std::vector<TPurityResult> purities = PurityResults(d);
    if (row < purities.size()) return eraseFirst(e.purities, purities[row].record);
    row -= purities.size();
    const std::vector<TCrystallinityResult> crystallinities = CrystallinityResults(d);
    if (row < crystallinities.size()) eraseFirst(e.crystallinities, crystallinities[row].record);
}

std::string GlassTransitionCaption(const TGlassTransitionResult& r) {
    return "Стеклование " + std::to_string(r.number);
}

std::string GlassTransitionSummary(const TGlassTransitionResult& r) {
    if (!r.error.empty()) return r.error;
    const RGlassTransition& g = r.result;
    std::string text = "Tнач " + Celsius(g.onset.temperature) + " · Tg " + Celsius(g.midpoint.temperature) +
                       " · Tпер " + Celsius(g.inflection.temperature) + " · Tкон " +
                       Celsius(g.endset.temperature);
    if (std::isfinite(g.deltaCp)) text += " · ΔCp " + DecimalComma(g.deltaCp, 3) + " Дж/(г·К)";
    return text;
}

std::string GlassTransitionLabel(const TGlassTransitionResult& r) {
    if (!r.error.empty()) return r.error;
    std::string text = "Tg " + Celsius(r.result.midpoint.temperature);
    if (std::isfinite(r.result.deltaCp)) text += " · ΔCp " + DecimalComma(r.result.deltaCp, 3) + " Дж/(г·К)";
    return text;
}

std::string PurityCaption(const TPurityResult& r) {
    return "Чистота, пик " + std::to_string(r.peak);
}

std::string PuritySummary(const TPurityResult& r) {
    if (!r.error.empty()) return r.error;
    const RPurity& p = r.result;
    return DecimalComma(p.purity, 2) + " мол. % · T0 " + DecimalComma(p.meltingPoint, 2) + " °C · ΔH " +
           DecimalComma(p.heatOfFusion, 1) + " Дж/г · поправка " + DecimalComma(p.correction, 1) + " %";
}

std::string CrystallinityCaption(const TCrystallinityResult& r) {
    std::string text = "Кристалличность, пик " + std::to_string(r.meltingPeak);
    if (r.coldPeak > 0) text += " − пик " + std::to_string(r.coldPeak);
    return text;
}

std::string CrystallinitySummary(const TCrystallinityResult& r) {
    if (!r.error.empty()) return r.error;
    std::string text = DecimalComma(r.result.percent, 1) + " % · ΔHпл " + DecimalComma(r.meltingHeat, 2);
    if (r.coldPeak > 0) text += " · ΔHхк " + DecimalComma(r.coldHeat, 2);
    text += " · ΔH100 " + DecimalComma(r.record.referenceHeat, 1) + " Дж/г";
    if (!r.record.polymer.empty()) text += " (" + r.record.polymer + ")";
    return text;
}

}  // namespace kalvero::evaluation
