#pragma once
// What header lines say about a run, whatever the layout: the sample and its mass, the heating
// rate, the direction of thermal effects, the instrument, the operator, the date, a comment.
// Keys are matched without regard to case, with a unit in the key understood ("Sample mass (mg)",
// "SAMPLE MASS /mg").

#include <optional>
#include <string>
#include <string_view>

#include "import/ImportedRun.h"

namespace kalvero::foreign {

// Fills the field aKey names from aValue (the first value of a field wins); false when the key is
// none of the vocabulary's. Assumptions (a mass without a unit) become warnings of the run.
bool ApplyHeaderField(std::string_view aKey, std::string_view aValue, TImportedRun& aRun);

// A free header line ("Sample: PE film", "Exotherm Up", "OrgMethod<TAB>Ramp 10.00 °C/min to 300 °C"):
// its key and value as above, the direction of effects and a ramp rate in its words.
void ApplyHeaderLine(std::string_view aLine, TImportedRun& aRun);

// The direction of endothermic effects in words such as "Exotherm Up", "Endo Down", "экзо вверх":
// true when endothermic effects point up; nullopt when the text says nothing of it.
std::optional<bool> EndoUpOfText(std::string_view aText);

// The first heating rate written in a text, in K/min: a number and a rate unit, as in
// "Ramp 10.00 °C/min to 300.00 °C" or "30°C/10.0(K/min)/200°C".
std::optional<double> RateInText(std::string_view aText);

// The number at the start of a text (blanks before it allowed), with a decimal point or comma;
// aRest gets what follows it.
std::optional<double> LeadingNumber(std::string_view aText, std::string_view* aRest = nullptr);

// A header line split into key and value at the first tab, colon, equals sign or semicolon (a
// comma when there is none of those); false, with the whole line as the key, when there is none.
bool SplitKeyValue(std::string_view aLine, std::string_view& aKey, std::string_view& aValue);

}  // namespace kalvero::foreign
