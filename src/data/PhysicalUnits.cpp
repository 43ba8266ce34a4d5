#include "data/PhysicalUnits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kalvero {
namespace {

struct RQuantityNames {
    TSignalQuantity quantity;
    const char* key;
    const char* unit;
    const char* caption;
};

constexpr std::array<RQuantityNames, 6> kQuantities{{
    {sqHeatFlow, "heatFlow", "mW", "Тепловой поток"},
    {sqHeatFlowPerMass, "heatFlowPerMass", "W/g", "Тепловой поток"},
    {sqDiffTemp, "diffTemp", "K", "dT"},
    {sqVoltage, "voltage", "µV", "ДСК"},
    {sqVoltagePerMass, "voltagePerMass", "µV/mg", "ДСК"},
    {sqSpecificHeat, "specificHeat", "J/(g·K)", "Теплоёмкость"},
}};

const RQuantityNames* Names(TSignalQuantity aQuantity) {
    for (const auto& n : kQuantities)
        if (n.quantity == aQuantity) return &n;
    return nullptr;
}

struct RUnitCaption {
    const char* unit;
    const char* caption;
    TSignalQuantity quantity;
};

constexpr std::array<RUnitCaption, 7> kUnits{{
    {"mW", "мВт", sqHeatFlow},
    {"mW/mg", "мВт/мг", sqHeatFlowPerMass},
    {"W/g", "Вт/г", sqHeatFlowPerMass},
    {"K", "К", sqDiffTemp},
    {"µV", "мкВ", sqVoltage},
    {"µV/mg", "мкВ/мг", sqVoltagePerMass},
    {"J/(g·K)", "Дж/(г·К)", sqSpecificHeat},
}};

}  // namespace

const char* SignalQuantityKey(TSignalQuantity aQuantity) {
    const RQuantityNames* n = Names(aQuantity);
    return n ? n->key : "heatFlow";
}

std::optional<TSignalQuantity> SignalQuantityFromKey(std::string_view aKey) {
    for (const auto& n : kQuantities)
        if (aKey == n.key) return n.quantity;
    return std::nullopt;
}

std::string DefaultSignalUnit(TSignalQuantity aQuantity) {
    const RQuantityNames* n = Names(aQuantity);
    return n ? n->unit : "mW";
}

std::optional<TSignalQuantity> QuantityOfUnit(std::string_view aUnit) {
    for (const auto& u : kUnits)
        if (aUnit == u.unit) return u.quantity;
    return std::nullopt;
}

std::string SignalQuantityCaption(TSignalQuantity aQuantity) {
    const RQuantityNames* n = Names(aQuantity);
    return n ? n->caption : "";
}

std::string SignalUnitCaption(std::string_view aUnit) {
    for (const auto& u : kUnits)
        if (aUnit == u.unit) return u.caption;
    return std::string(aUnit);
}

bool IsHeatFlow(TSignalQuantity aQuantity) {
    return aQuantity == sqHeatFlow || aQuantity == sqHeatFlowPerMass;
}

bool IsPerMass(TSignalQuantity aQuantity) {
    return aQuantity == sqHeatFlowPerMass || aQuantity == sqVoltagePerMass;
}

double ReadingStep(double aMaxAbs) {
    constexpr int kReadingBits = 26;
    if (!(aMaxAbs > 0) || !std::isfinite(aMaxAbs)) return 1.0 / 65536;
    int exponent = 0;
    std::frexp(aMaxAbs, &exponent);  // aMaxAbs < 2^exponent
    return std::ldexp(1.0, std::clamp(exponent - kReadingBits, -1000, 1000));
}

int32_t ToReading(double aValue, double aStep) {
    if (!std::isfinite(aValue) || !(aStep > 0)) return 0;
    const double r = std::nearbyint(aValue / aStep);
    constexpr double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(r, lo, hi));
}

}  // namespace kalvero
