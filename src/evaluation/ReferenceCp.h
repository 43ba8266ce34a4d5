#pragma once
// The specific heat capacity of reference materials as editable tables: text files of rows
// "temperature cp" (K and J/(g·K) unless the file says "TemperatureUnit=C"), with "Name=" and
// "Source=" lines and "#" or ";" comments. Synthetic sapphire ships as ReferenceCp/Sapphire.txt,
// copied into the program-data folder at the first start; another material is a file of the same
// layout.

#include <string>
#include <string_view>

#include "evaluation/HeatCapacity.h"

namespace kalvero::evaluation {

inline constexpr const char* REFERENCE_CP_FOLDER = "ReferenceCp";
inline constexpr const char* SAPPHIRE_CP = "Sapphire";

// The table's text; aSource names it in errors. EEvaluationError for a row that is not two numbers,
// temperatures that do not ascend or fewer than two rows.
TReferenceCp ParseReferenceCp(std::string_view aText, const std::string& aSource);
// A table file (UTF-8 or Windows-1251).
TReferenceCp ReadReferenceCpFile(const std::string& aFileName);
// ReferenceCp/<aName>.txt of the program-data folder, or the shipped copy when the folder has none.
TReferenceCp LoadReferenceCp(const std::string& aProgramDataPath, const std::string& aName = SAPPHIRE_CP);

}  // namespace kalvero::evaluation
