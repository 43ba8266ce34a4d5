#pragma once
// Experiments whose samples are already physical values (an export of another instrument, a
// computed curve): time in seconds, sample temperature in °C and a DSC signal in a unit of its own.
// Such an experiment keeps integer readings like a recorded one, so that processing and drawing
// work on readings as they always do, and carries its own linear conversion instead of the
// process-wide calibration tables: value = reading × step. Steps are powers of two (the product is
// exact in a double) chosen so that a reading keeps more digits than the single-precision values
// computed from it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

enum TSignalQuantity : uint8_t {
    sqHeatFlow = 0,         // mW
    sqHeatFlowPerMass = 1,  // mW/mg or W/g (numerically equal)
    sqDiffTemp = 2,         // K
    sqVoltage = 3,          // µV
    sqVoltagePerMass = 4,   // µV/mg
    sqSpecificHeat = 5,     // J/(g·K): a computed heat-capacity curve
};

struct TPhysicalScale {
    double tStep = 1.0 / 65536;       // °C per temperature reading
    double signalStep = 1.0 / 65536;  // signal unit per signal reading
    TSignalQuantity quantity = sqHeatFlow;
    std::string unit = "mW";  // "mW", "mW/mg", "W/g", "K", "µV", "µV/mg", "J/(g·K)"
    bool operator==(const TPhysicalScale&) const = default;
};

// "heatFlow", "heatFlowPerMass", "diffTemp", "voltage", "voltagePerMass", "specificHeat".
const char* SignalQuantityKey(TSignalQuantity aQuantity);
std::optional<TSignalQuantity> SignalQuantityFromKey(std::string_view aKey);
// The unit a quantity is stored in when the source gives none of its own.
std::string DefaultSignalUnit(TSignalQuantity aQuantity);
// The quantity a canonical unit belongs to ("mW" → sqHeatFlow, ...); nothing for another text.
std::optional<TSignalQuantity> QuantityOfUnit(std::string_view aUnit);

// The axis caption of a quantity: "Тепловой поток", "ДСК", "dT", "Теплоёмкость".
std::string SignalQuantityCaption(TSignalQuantity aQuantity);
// A unit as the operator reads it: "мВт", "мВт/мг", "Вт/г", "К", "мкВ", "мкВ/мг", "Дж/(г·К)".
std::string SignalUnitCaption(std::string_view aUnit);

// Heat flow (absolute or per mass): a peak of it is a heat without a heat table.
bool IsHeatFlow(TSignalQuantity aQuantity);
bool IsPerMass(TSignalQuantity aQuantity);

// The power-of-two step for values of magnitude up to aMaxAbs: at most 2^26 readings cover
// aMaxAbs, so readings stay far from the 32-bit limits through differences and sums.
double ReadingStep(double aMaxAbs);
// aValue / aStep rounded to the nearest reading (ties to even), held inside the 32-bit range.
int32_t ToReading(double aValue, double aStep);

}  // namespace kalvero
