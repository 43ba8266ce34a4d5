#include "methods/EvaluationSteps.h"

#include "common/Config.h"
#include "data/DataClass.h"
#include "evaluation/Crystallinity.h"
#include "evaluation/EvaluationTypes.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"

namespace kalvero::methods {

TPeak& AddPeakBetween(TDataClass& d, const TAppConfig& aConfig, TLogger* aLogger, int aFrom, int aTo,
                      const std::string& aRange, bool aTangent) {
    TPeak* p = TPeakUtils(d, aConfig, aLogger, nullptr).AddPeakManually(aFrom, aTo, nullptr, aTangent);
    if (!p) throw evaluation::EEvaluationError("Пик " + aRange + " не построен: в диапазоне нет точек");
    return *p;
}

void SetReferenceHeat(TCrystallinityRecord& aRecord, const std::string& aPolymer, double aHeat,
                      const std::string& aProgramDataPath) {
    aRecord.referenceHeat = aHeat;
    if (aPolymer.empty()) return;
    const auto polymers = evaluation::LoadReferencePolymers(aProgramDataPath);
    const evaluation::RReferencePolymer* p = evaluation::FindReferencePolymer(polymers, aPolymer);
    if (!p)
        throw evaluation::EEvaluationError("Полимер " + aPolymer + " не найден в списке " +
                                           evaluation::REFERENCE_POLYMERS_FILE);
    aRecord.polymer = p->id;
    aRecord.referenceHeat = p->heat;
}

std::vector<double> ResultValues(EEvaluationKind aKind, const nlohmann::ordered_json& aJson) {
    std::vector<double> out;
    for (const RResultName& r : ResultNames(aKind)) {
        const auto it = aJson.find(r.name);
        out.push_back(it != aJson.end() && it->is_number() ? it->get<double>() : NAN);
    }
    return out;
}

}  // namespace kalvero::methods
