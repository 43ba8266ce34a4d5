#include "KineticsTexts.h"

#include <algorithm>
#include <cmath>
#include <regex>
#include <utility>
#include <vector>

#include "KineticRun.h"
#include "common/Procs.h"

namespace kalvero::kinetics {
namespace {

constexpr double kZeroCelsius = 273.15;
constexpr double kMinute = 60, kHour = 3600, kDay = 86400, kYear = 365.25 * kDay;

[[noreturn]] void Wrong(const std::string& aText, const std::string& aField) {
    throw EKineticsException("Неверное значение «" + aText + "» поля «" + aField + "»");
}

// The number and the unit after it ("150 °С" → 150, "°С").
std::pair<double, std::string> Split(const std::string& aText, const std::string& aField) {
    static const std::regex kPattern(
        R"(^\s*([-+]?(?:[0-9]+[.,]?[0-9]*|[.,][0-9]+)(?:[eE][-+]?[0-9]+)?)\s*(.*?)\s*$)");
    std::smatch m;
    if (!std::regex_match(aText, m, kPattern)) Wrong(aText, aField);
    try {
        const double value = StrToReal(m[1].str());
        if (!std::isfinite(value)) Wrong(aText, aField);
        return {value, m[2].str()};
    } catch (const std::invalid_argument&) {
        Wrong(aText, aField);
    }
}

template <typename Names>
bool OneOf(const std::string& aUnit, const Names& aUnits) {
    return std::find(std::begin(aUnits), std::end(aUnits), aUnit) != std::end(aUnits);
}

bool OneOf(const std::string& aUnit, std::initializer_list<const char*> aUnits) {
    return std::any_of(aUnits.begin(), aUnits.end(), [&](const char* u) { return aUnit == u; });
}

int SignificantDecimals(double aValue) {
    const double magnitude = std::fabs(aValue);
    return magnitude > 0 ? std::clamp(2 - static_cast<int>(std::floor(std::log10(magnitude))), 0, 10) : 0;
}

// "года" after a fraction; after a whole number as Russian counts: 1 год, 2 года, 5 лет, 11 лет.
std::string YearsWord(double aYears, int aDecimals) {
    if (aDecimals > 0) return "года";
    const long n = std::lround(std::fabs(aYears));
    if (n % 10 == 1 && n % 100 != 11) return "год";
    if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) return "года";
    return "лет";
}

}  // namespace

double NumberOfText(const std::string& aText, const std::string& aField) {
    const auto [value, unit] = Split(aText, aField);
    if (!unit.empty()) Wrong(aText, aField);
    return value;
}

double TemperatureOfText(const std::string& aText, const std::string& aField) {
    const auto [value, unit] = Split(aText, aField);
    // The Cyrillic С and К are written as the settings write the units.
    if (OneOf(unit, {"", "C", "c", "°C", "°С", "С"})) return value + kZeroCelsius;
    if (OneOf(unit, {"K", "k", "К"})) return value;
    Wrong(aText, aField);
}

double DurationOfText(const std::string& aText, const std::string& aField) {
    const auto [value, unit] = Split(aText, aField);
    // Vectors, not initializer lists: a list's array would die with the braces that made it.
    static const std::vector<std::pair<double, std::vector<std::string>>> units{
        {1, {"", "s", "sec", "с", "сек"}},
        {kMinute, {"min", "m", "мин"}},
        {kHour, {"h", "ч"}},
        {kDay, {"d", "сут", "д"}},
        {kYear, {"y", "year", "г", "год", "года", "лет"}},
    };
    for (const auto& [factor, names] : units)
        if (OneOf(unit, names)) return value * factor;
    Wrong(aText, aField);
}

std::string FixedCaption(double aValue, int aDecimals) {
    if (!std::isfinite(aValue)) return "—";
    std::string s = FormatFixed(aValue, aDecimals);
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string SignificantCaption(double aValue) {
    return FixedCaption(aValue, std::isfinite(aValue) ? SignificantDecimals(aValue) : 0);
}

std::string DurationCaption(double aSeconds) {
    if (!std::isfinite(aSeconds)) return SignificantCaption(aSeconds);
    if (aSeconds < 2 * kMinute) return SignificantCaption(aSeconds) + " с";
    if (aSeconds < 2 * kHour) return SignificantCaption(aSeconds / kMinute) + " мин";
    if (aSeconds < 2 * kDay) return SignificantCaption(aSeconds / kHour) + " ч";
    if (aSeconds < 2 * kYear) return SignificantCaption(aSeconds / kDay) + " сут";
    const double years = aSeconds / kYear;
    return SignificantCaption(years) + " " + YearsWord(years, SignificantDecimals(years));
}

}  // namespace kalvero::kinetics
