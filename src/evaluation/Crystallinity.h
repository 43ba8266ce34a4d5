#pragma once
// The degree of crystallinity of ISO 11357-3: (ΔHm − ΔHc) / ΔH100, with ΔHm the heat of melting,
// ΔHc that of the cold crystallisation during the same heating and ΔH100 the heat of fusion of the
// fully crystalline polymer; for a filled material the polymer's mass share divides the result.
// The reference heats of common polymers ship in ReferencePolymers.ini, an editable list.

#include <cmath>
#include <string>
#include <vector>

namespace kalvero::evaluation {

struct RCrystallinity {
    double percent = NAN;
    std::vector<std::string> warnings;
};

// Heats in J/g as magnitudes; aPolymerShare the polymer's mass share of the sample (0 … 1].
// EEvaluationError without a positive reference heat or share.
RCrystallinity EvaluateCrystallinity(double aMeltingHeat, double aColdCrystallisationHeat,
                                     double aReferenceHeat, double aPolymerShare = 1);

inline constexpr const char* REFERENCE_POLYMERS_FILE = "ReferencePolymers.ini";

struct RReferencePolymer {
    std::string id;      // the section: "PET"
    std::string name;    // as the operator reads it
    double heat = NAN;   // heat of fusion of the fully crystalline polymer, J/g
    std::string source;  // where the value was published
};

// The polymers of the program-data folder's file, or the shipped ones when the folder has none;
// in file order. A section without its heat is left out.
std::vector<RReferencePolymer> LoadReferencePolymers(const std::string& aProgramDataPath);

// The polymer whose id (letter case aside) or name is aIdOrName, or null.
const RReferencePolymer* FindReferencePolymer(const std::vector<RReferencePolymer>& aPolymers,
                                              const std::string& aIdOrName);

}  // namespace kalvero::evaluation
