#include "calibration/ReferenceSubstances.h"

#include <strings.h>

#include <cmath>
#include <filesystem>

#include "common/IniFile.h"

namespace kalvero {

std::vector<RReferenceSubstance> LoadReferenceSubstances(const std::string& aProgramDataPath) {
    TIniFile ini(std::filesystem::path(aProgramDataPath) / REFERENCE_SUBSTANCES_FILE);
    ini.LoadShippedIfMissing();
    std::vector<RReferenceSubstance> substances;
    for (const std::string& id : ini.Sections()) {
        RReferenceSubstance s;
        s.id = id;
        s.name = ini.ReadString(id, "Name", id);
        s.meltingTemp = ini.ReadFloat(id, "MeltingTemp", NAN);
        s.meltingHeat = ini.ReadFloat(id, "MeltingHeat", NAN);
        if (std::isfinite(s.meltingTemp) && std::isfinite(s.meltingHeat)) substances.push_back(s);
    }
    return substances;
}

const RReferenceSubstance* FindReferenceSubstance(const std::vector<RReferenceSubstance>& aSubstances,
                                                  const std::string& aIdOrName) {
    for (const RReferenceSubstance& s : aSubstances)
        if (strcasecmp(s.id.c_str(), aIdOrName.c_str()) == 0 || s.name == aIdOrName) return &s;
    return nullptr;
}

}  // namespace kalvero
