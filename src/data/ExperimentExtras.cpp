#include "data/ExperimentExtras.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero {
namespace {

using TJson = nlohmann::ordered_json;

// NaN travels as null.
TJson Number(double aValue) {
    return std::isfinite(aValue) ? TJson(aValue) : TJson(nullptr);
}

double NumberOf(const nlohmann::json& aObject, const char* aKey) {
    const auto it = aObject.find(aKey);
    return it == aObject.end() || it->is_null() ? NAN : it->get<double>();
}

bool HasPeak(const TDataClass& d, const std::string& aKey) {
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (d.peaks.GetItemByIndex(k).key == aKey &&
            dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value))
            return true;
    return false;
}

TJson PeaksToJson(const TDataClass& d) {
    TJson list = TJson::array();
    for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
        const auto item = d.peaks.GetItemByIndex(k);
        const auto* p = dynamic_cast<const TPeak*>(item.value);
        if (!p) continue;
        const TPeakRecord r = PeakRecordOf(*p, item.key);
        TJson lines = TJson::array();
        for (const TCutLine& line : r.cutLines) {
            TJson points = TJson::array();
            for (const TCoordPoint& point : line.points)
                points.push_back({point.x, point.y});
            lines.push_back({{"type", line.lineType},
                             {"drag", line.dragType},
                             {"invalid", line.invalid},
                             {"points", points}});
        }
        list.push_back({{"key", r.key},
                        {"begX", r.begX},
                        {"endX", r.endX},
                        {"top", r.top},
                        {"baseLine", PeakBaseLineKey(static_cast<TPeakBaseLineKind>(r.kind))},
                        {"state", r.state},
                        {"comment", r.comment},
                        {"cutLines", lines}});
    }
    return list;
}

std::vector<TPeakRecord> PeaksFromJson(const nlohmann::json& aList) {
    std::vector<TPeakRecord> peaks;
    for (const auto& j : aList) {
        TPeakRecord r;
        r.key = j.at("key").get<std::string>();
        r.begX = j.at("begX").get<int32_t>();
        r.endX = j.at("endX").get<int32_t>();
        r.top = j.at("top").get<int32_t>();
        const auto kind = PeakBaseLineFromKey(j.value("baseLine", "line"));
        r.kind = kind ? *kind : PEAK_BASELINE_KIND_COUNT;  // an unknown kind leaves the peak out
        r.state = j.value("state", uint8_t{0});
        r.comment = j.value("comment", "");
        for (const auto& l : j.at("cutLines")) {
            TCutLine line;
            line.lineType = static_cast<TCutLineType>(l.at("type").get<uint8_t>());
            line.dragType = static_cast<TDragType>(l.at("drag").get<uint8_t>());
            line.invalid = l.value("invalid", false);
            for (const auto& point : l.at("points")) {
                TCoordPoint c;
                c.x = point.at(0).get<int32_t>();
                c.y = point.at(1).get<int32_t>();
                line.points.push_back(c);
            }
            r.cutLines.push_back(line);
        }
        peaks.push_back(std::move(r));
    }
    return peaks;
}

// The evaluations whose peaks the experiment still has.
TJson EvaluationsToJson(const TDataClass& d) {
    const TEvaluationRecords& e = d.fEvaluations;
    TJson j = TJson::object();
    TJson glass = TJson::array();
    for (const TGlassTransitionRecord& g : e.glassTransitions)
        glass.push_back({{"before", {g.beforeFrom, g.beforeTo}}, {"after", {g.afterFrom, g.afterTo}}});
    TJson purity = TJson::array();
    for (const TPurityRecord& p : e.purities)
        if (HasPeak(d, p.peak))
            purity.push_back(
                {{"peak", p.peak}, {"molarMass", Number(p.molarMass)}, {"lagSlope", Number(p.lagSlope)}});
    TJson crystallinity = TJson::array();
    for (const TCrystallinityRecord& c : e.crystallinities)
        if (HasPeak(d, c.meltingPeak) && (c.coldPeak.empty() || HasPeak(d, c.coldPeak)))
            crystallinity.push_back({{"meltingPeak", c.meltingPeak},
                                     {"coldPeak", c.coldPeak},
                                     {"polymer", c.polymer},
                                     {"referenceHeat", Number(c.referenceHeat)},
                                     {"polymerShare", Number(c.polymerShare)}});
    if (!glass.empty()) j["glassTransitions"] = glass;
    if (!purity.empty()) j["purity"] = purity;
    if (!crystallinity.empty()) j["crystallinity"] = crystallinity;
    return j;
}

TEvaluationRecords EvaluationsFromJson(const nlohmann::json& j) {
    TEvaluationRecords e;
    for (const auto& g : j.value("glassTransitions", nlohmann::json::array()))
        e.glassTransitions.push_back({g.at("before").at(0).get<int32_t>(),
                                      g.at("before").at(1).get<int32_t>(), g.at("after").at(0).get<int32_t>(),
                                      g.at("after").at(1).get<int32_t>()});
    for (const auto& p : j.value("purity", nlohmann::json::array()))
        e.purities.push_back(
            {p.at("peak").get<std::string>(), NumberOf(p, "molarMass"), NumberOf(p, "lagSlope")});
    for (const auto& c : j.value("crystallinity", nlohmann::json::array())) {
        TCrystallinityRecord r;
        r.meltingPeak = c.at("meltingPeak").get<std::string>();
        r.coldPeak = c.value("coldPeak", "");
        r.polymer = c.value("polymer", "");
        r.referenceHeat = NumberOf(c, "referenceHeat");
        r.polymerShare = c.contains("polymerShare") ? NumberOf(c, "polymerShare") : 1.0;
        e.crystallinities.push_back(r);
    }
    return e;
}

}  // namespace

bool HasExtras(const TDataClass& d) {
    return d.fPhysical || d.fEndoUp || !d.fInstrument.empty() || !d.fSourceFile.empty() ||
           !d.fSegmentStarts.empty() || d.peaks.GetItemCount() > 0 || !d.fEvaluations.Empty();
}

std::string ExtrasToJson(const TDataClass& d, int32_t aItemCount) {
    nlohmann::ordered_json j;
    j["format"] = "Kalvero experiment extension";
    j["version"] = 1;
    j["itemCount"] = aItemCount;
    if (d.fPhysical) {
        const TPhysicalScale& p = *d.fPhysical;
        j["physical"] = {{"tStep", p.tStep},
                         {"signalStep", p.signalStep},
                         {"quantity", SignalQuantityKey(p.quantity)},
                         {"unit", p.unit}};
    }
    if (d.fEndoUp) j["endoUp"] = *d.fEndoUp;
    if (!d.fInstrument.empty()) j["instrument"] = d.fInstrument;
    if (!d.fSourceFile.empty()) j["sourceFile"] = d.fSourceFile;
    if (!d.fSegmentStarts.empty()) j["segmentStarts"] = d.fSegmentStarts;
    if (d.peaks.GetItemCount() > 0) j["peaks"] = PeaksToJson(d);
    if (TJson evaluations = EvaluationsToJson(d); !evaluations.empty()) j["evaluations"] = evaluations;
    return j.dump();
}

TExperimentExtras ExtrasFromJson(const std::string& aJson, const std::string& aFileName) {
    const auto damaged = [&](const std::string& aWhat) {
        return EDataClassException("Файл " + aFileName + " повреждён или не является файлом ДСК: " + aWhat);
    };
    const nlohmann::json j = nlohmann::json::parse(aJson, nullptr, false);
    if (!j.is_object()) throw damaged("блок дополнительных данных не читается");
    TExperimentExtras e;
    try {
        e.itemCount = j.value("itemCount", -1);
        if (j.contains("physical")) {
            const auto& p = j.at("physical");
            TPhysicalScale s;
            s.tStep = p.at("tStep").get<double>();
            s.signalStep = p.at("signalStep").get<double>();
            const auto quantity = SignalQuantityFromKey(p.at("quantity").get<std::string>());
            if (!quantity) throw damaged("неизвестная величина сигнала");
            s.quantity = *quantity;
            s.unit = p.at("unit").get<std::string>();
            if (!(s.tStep > 0) || !(s.signalStep > 0)) throw damaged("неверный масштаб");
            e.physical = s;
        }
        if (j.contains("endoUp")) e.endoUp = j.at("endoUp").get<bool>();
        e.instrument = j.value("instrument", "");
        e.sourceFile = j.value("sourceFile", "");
        if (j.contains("segmentStarts")) e.segmentStarts = j.at("segmentStarts").get<std::vector<int32_t>>();
        if (j.contains("peaks")) e.peaks = PeaksFromJson(j.at("peaks"));
        if (j.contains("evaluations")) e.evaluations = EvaluationsFromJson(j.at("evaluations"));
    } catch (const nlohmann::json::exception&) {
        throw damaged("блок дополнительных данных не читается");
    }
    return e;
}

void ApplyExtras(TDataClass& d, const TExperimentExtras& e) {
    d.fPhysical = e.physical;
    d.fEndoUp = e.endoUp;
    d.fInstrument = e.instrument;
    d.fSourceFile = e.sourceFile;
    d.fSegmentStarts = e.segmentStarts;
}

void ApplyExtrasObjects(TDataClass& d, const TExperimentExtras& e, std::vector<std::string>& aWarnings) {
    for (const TPeakRecord& r : e.peaks)
        if (!AddPeakFromRecord(d, r))
            aWarnings.push_back("Пик " + std::to_string(r.begX) + " ... " + std::to_string(r.endX) +
                                " не соответствует записи и не загружен\n");
    d.fEvaluations = e.evaluations;
    const int last = d.GetItemCount() - 1;
    std::erase_if(d.fEvaluations.glassTransitions, [&](const TGlassTransitionRecord& g) {
        return g.beforeFrom < 0 || g.afterTo > last || g.beforeFrom > g.beforeTo || g.afterFrom > g.afterTo;
    });
    std::erase_if(d.fEvaluations.purities, [&](const TPurityRecord& p) { return !HasPeak(d, p.peak); });
    std::erase_if(d.fEvaluations.crystallinities, [&](const TCrystallinityRecord& c) {
        return !HasPeak(d, c.meltingPeak) || (!c.coldPeak.empty() && !HasPeak(d, c.coldPeak));
    });
}

}  // namespace kalvero
