#include "evaluation/Crystallinity.h"

#include <strings.h>

#include <cmath>
#include <filesystem>

#include "common/IniFile.h"
#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

RCrystallinity EvaluateCrystallinity(double aMeltingHeat, double aColdCrystallisationHeat,
                                     double aReferenceHeat, double aPolymerShare) {
    if (!(aReferenceHeat > 0))
        throw EEvaluationError("Не задана теплота плавления полностью кристаллического полимера");
    if (!(aPolymerShare > 0 && aPolymerShare <= 1))
        throw EEvaluationError("Доля полимера в образце должна быть больше 0 и не больше 1");
    if (!std::isfinite(aMeltingHeat)) throw EEvaluationError("Не задана теплота плавления образца");
    const double cold = std::isfinite(aColdCrystallisationHeat) ? std::abs(aColdCrystallisationHeat) : 0.0;
    RCrystallinity r;
    r.percent = 100 * (std::abs(aMeltingHeat) - cold) / (aReferenceHeat * aPolymerShare);
    if (r.percent < 0)
        r.warnings.push_back(
            "Теплота холодной кристаллизации больше теплоты плавления: образец был аморфным");
    if (r.percent > 100)
        r.warnings.push_back("Степень кристалличности больше 100 %: проверьте эталонную теплоту");
    return r;
}

std::vector<RReferencePolymer> LoadReferencePolymers(const std::string& aProgramDataPath) {
    TIniFile ini(std::filesystem::path(aProgramDataPath) / REFERENCE_POLYMERS_FILE);
    ini.LoadShippedIfMissing();
    std::vector<RReferencePolymer> polymers;
    for (const std::string& id : ini.Sections()) {
        RReferencePolymer p;
        p.id = id;
        p.name = ini.ReadString(id, "Name", id);
        p.heat = ini.ReadFloat(id, "MeltingHeat", NAN);
        p.source = ini.ReadString(id, "Source", "");
        if (std::isfinite(p.heat) && p.heat > 0) polymers.push_back(p);
    }
    return polymers;
}

const RReferencePolymer* FindReferencePolymer(const std::vector<RReferencePolymer>& aPolymers,
                                              const std::string& aIdOrName) {
    for (const RReferencePolymer& p : aPolymers)
        if (strcasecmp(p.id.c_str(), aIdOrName.c_str()) == 0 || p.name == aIdOrName) return &p;
    return nullptr;
}

}  // namespace kalvero::evaluation
