#pragma once
// The reference substances the program ships ("ReferenceSubstances.ini"): pure metals with a
// well-known melting point and heat of fusion, for the calibration tables and the simulated cell.

#include <string>
#include <vector>

namespace kalvero {

inline constexpr const char* REFERENCE_SUBSTANCES_FILE = "ReferenceSubstances.ini";

struct RReferenceSubstance {
    std::string id;          // the section: "indium"
    std::string name;        // as the operator reads it: "Индий"
    double meltingTemp = 0;  // °C
    double meltingHeat = 0;  // J/g
};

// The substances of the program-data folder's file, or the shipped ones when the folder has
// none; in file order. A section without both numbers is left out.
std::vector<RReferenceSubstance> LoadReferenceSubstances(const std::string& aProgramDataPath);

// The substance whose id (letter case aside) or name is aIdOrName, or null.
const RReferenceSubstance* FindReferenceSubstance(const std::vector<RReferenceSubstance>& aSubstances,
                                                  const std::string& aIdOrName);

}  // namespace kalvero
