#include "data/ExperimentExtras.h"

#include <nlohmann/json.hpp>

#include "data/DataClass.h"

namespace kalvero {

bool HasExtras(const TDataClass& d) {
    return d.fPhysical || d.fEndoUp || !d.fInstrument.empty() || !d.fSourceFile.empty() ||
           !d.fSegmentStarts.empty();
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

}  // namespace kalvero
