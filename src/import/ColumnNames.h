#pragma once
// The words of foreign headers: what a column holds by its name ("Temp./°C", "Heat Flow [Wg^-1]",
// "Время, мин") and what its unit means ("min", "°С", "мВт/мг", "Wg^-1").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/ImportedRun.h"

namespace kalvero::foreign {

enum TColumnRole : uint8_t {
    crOther,
    crIndex,
    crTime,
    crTemperature,     // the sample's temperature
    crRefTemperature,  // reference, program or furnace temperature
    crHeatFlow,        // a DSC signal by its name
    crDiffTemp,        // a dT or DTA signal by its name
    crSignal,          // a signal by its unit only ("Value [mW]")
    crSegment,
};

struct TNameAndUnit {
    std::string name, unit;
};

// The name and the unit of a header cell: "Time (min)", "t [s]", "DSC/(mW/mg)", "Temp./°C",
// "Temperature in K", "Время, мин". Brackets at the end always hold the unit; the other forms only
// when what follows is a known unit.
TNameAndUnit SplitNameAndUnit(std::string_view aHeader);

// What the column holds by its name; a name the vocabulary does not know gives what its unit
// suggests, and aByUnit is then set.
TColumnRole RoleOfColumn(std::string_view aName, std::string_view aUnit, bool& aByUnit);

// A text for the operator's eyes: control characters removed, blanks trimmed, at most 200
// characters.
std::string CleanText(std::string_view aText);

// A column of a header cell: its text cleaned, then split into name and unit.
TImportedColumn ColumnOfHeader(std::string_view aCell);

// A unit without the brackets or parentheses around it: "[mW]" → "mW".
std::string_view Unbracket(std::string_view aUnit);

// ASCII and Cyrillic letters in lower case; other bytes as they are.
std::string FoldCase(std::string_view aText);
// Blanks (and a pair of enclosing quotes) off both ends.
std::string_view Trim(std::string_view aText);

// A unit as a plain key: lower case, no blanks, degree signs and dots, µ as "u", Cyrillic units
// in Latin, "x^-1" as "/x": "°С" → "c", "мВт/мг" → "mw/mg", "Wg^-1" → "w/g".
std::string UnitKey(std::string_view aUnit);

// Seconds in one unit of time; nullopt when aUnit is not a unit of time.
std::optional<double> SecondsPerUnit(std::string_view aUnit);

struct TLinearScale {
    double factor = 1, offset = 0;  // value in the target unit = factor × value + offset
};
// The way to degrees Celsius (°C, K, °F); nullopt when aUnit is not a unit of temperature.
std::optional<TLinearScale> CelsiusScale(std::string_view aUnit);

struct TSignalUnit {
    TSignalQuantity quantity = sqHeatFlow;
    std::string unit;  // the canonical unit of TImportedRun::signalUnit
    double factor = 1;
};
// What a signal unit measures and its factor to the canonical unit; nullopt when unknown.
std::optional<TSignalUnit> SignalUnit(std::string_view aUnit);

// Milligrams in one unit of mass.
std::optional<double> MilligramsPerUnit(std::string_view aUnit);
// K/min in one unit of heating rate ("K/min", "°C/s", ...).
std::optional<double> KelvinPerMinutePerUnit(std::string_view aUnit);

// Whether any of the above knows the unit.
bool IsKnownUnit(std::string_view aUnit);

}  // namespace kalvero::foreign
