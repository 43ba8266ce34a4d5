#include "import/ColumnNames.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/Cp1251.h"

namespace kalvero::foreign {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool Contains(std::string_view aText, std::string_view aPart) {
    return aText.find(aPart) != std::string_view::npos;
}

template <size_t N>
bool OneOf(std::string_view aText, const std::array<std::string_view, N>& aWords) {
    return std::find(aWords.begin(), aWords.end(), aText) != aWords.end();
}

// Cyrillic and other spellings of units, longest first where one begins another.
constexpr std::pair<std::string_view, std::string_view> kUnitSpellings[] = {
    {"°с", "c"},  {"°c", "c"},   {"°f", "f"},  {"°k", "k"},      {"°", ""},    {"º", ""},      {"˚", ""},
    {"µ", "u"},   {"μ", "u"},    {"⁻¹", "-1"}, {"·", ""},        {"⋅", ""},    {"мквт", "uw"}, {"мвт", "mw"},
    {"вт", "w"},  {"мкв", "uv"}, {"мв", "mv"}, {"мкг", "ug"},    {"мг", "mg"}, {"кг", "kg"},   {"мин", "min"},
    {"мс", "ms"}, {"сек", "s"},  {"час", "h"}, {"ч", "h"},       {"г", "g"},   {"в", "v"},     {"к", "k"},
    {"с", "s"},   {"мк", "u"},   {"м", "m"},   {"celsius", "c"},
};

// Whole-word spellings of the same units.
constexpr std::pair<std::string_view, std::string_view> kUnitWords[] = {
    {"sec", "s"},      {"secs", "s"},      {"second", "s"}, {"seconds", "s"}, {"msec", "ms"}, {"mins", "min"},
    {"minute", "min"}, {"minutes", "min"}, {"hr", "h"},     {"hrs", "h"},     {"hour", "h"},  {"hours", "h"},
    {"degc", "c"},     {"degk", "k"},      {"kelvin", "k"}, {"degf", "f"},
};

struct TUnitFactor {
    std::string_view key;
    double factor;
};

constexpr std::array<TUnitFactor, 4> kSeconds = {{{"s", 1}, {"ms", 0.001}, {"min", 60}, {"h", 3600}}};
constexpr std::array<TUnitFactor, 4> kMilligrams = {{{"mg", 1}, {"g", 1000}, {"ug", 0.001}, {"kg", 1e6}}};
constexpr std::array<TUnitFactor, 6> kRates = {
    {{"k/min", 1}, {"c/min", 1}, {"k/s", 60}, {"c/s", 60}, {"k/h", 1.0 / 60}, {"c/h", 1.0 / 60}}};

template <size_t N>
std::optional<double> FactorOf(std::string_view aUnit, const std::array<TUnitFactor, N>& aTable) {
    const std::string key = UnitKey(aUnit);
    for (const TUnitFactor& f : aTable)
        if (f.key == key) return f.factor;
    return std::nullopt;
}

// "x^-1" written as a power: "wg-1" → "w/g", "mwmg-1" → "mw/mg".
std::string PowerToQuotient(std::string aKey) {
    if (aKey.size() < 3 || aKey.compare(aKey.size() - 2, 2, "-1") != 0) return aKey;
    aKey.resize(aKey.size() - 2);
    for (std::string_view per : {"min", "kg", "mg", "g", "s"}) {
        if (aKey.size() > per.size() && aKey.compare(aKey.size() - per.size(), per.size(), per) == 0) {
            const size_t at = aKey.size() - per.size();
            if (aKey[at - 1] != '/') aKey.insert(at, "/");
            return aKey;
        }
    }
    return aKey + "-1";
}

// Whether every bracket opened in the text is closed in it: a unit never starts inside brackets.
bool Balanced(std::string_view aText) {
    int depth = 0;
    for (const char c : aText)
        depth += (c == '(' || c == '[') - (c == ')' || c == ']');
    return depth == 0;
}

}  // namespace

std::string_view Trim(std::string_view aText) {
    while (!aText.empty() && IsBlank(aText.front()))
        aText.remove_prefix(1);
    while (!aText.empty() && IsBlank(aText.back()))
        aText.remove_suffix(1);
    if (aText.size() >= 2 && aText.front() == '"' && aText.back() == '"')
        return Trim(aText.substr(1, aText.size() - 2));
    return aText;
}

std::string CleanText(std::string_view aText) {
    aText = aText.substr(0, 4096);
    std::string out;
    for (size_t i = 0; i < aText.size();) {
        const auto b = static_cast<unsigned char>(aText[i]);
        if (b < 0x80) {
            if (b == '\t')
                out += ' ';
            else if (b >= 0x20 && b != 0x7F)
                out += static_cast<char>(b);
            ++i;
            continue;
        }
        // A byte that starts no well-formed character shows as '?'.
        const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        const std::string_view character = aText.substr(i, length);
        if (length > 1 && IsValidUtf8(character)) {
            out += character;
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return Utf8Left(std::string(Trim(out)), 200);
}

TImportedColumn ColumnOfHeader(std::string_view aCell) {
    TNameAndUnit split = SplitNameAndUnit(CleanText(aCell));
    return {std::move(split.name), std::move(split.unit)};
}

std::string_view Unbracket(std::string_view aUnit) {
    aUnit = Trim(aUnit);
    if (aUnit.size() >= 2 &&
        ((aUnit.front() == '[' && aUnit.back() == ']') || (aUnit.front() == '(' && aUnit.back() == ')')))
        return Trim(aUnit.substr(1, aUnit.size() - 2));
    return aUnit;
}

std::string FoldCase(std::string_view aText) {
    std::string out(aText);
    for (size_t i = 0; i < out.size(); ++i) {
        auto& c = out[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (i + 1 < out.size() && static_cast<unsigned char>(c) == 0xD0) {
            auto& d = out[i + 1];
            const auto b = static_cast<unsigned char>(d);
            if (b >= 0x90 && b <= 0x9F) {  // А … П
                d = static_cast<char>(b + 0x20);
            } else if (b >= 0xA0 && b <= 0xAF) {  // Р … Я
                c = static_cast<char>(0xD1), d = static_cast<char>(b - 0x20);
            } else if (b == 0x81) {  // Ё
                c = static_cast<char>(0xD1), d = static_cast<char>(0x91);
            }
            ++i;
        }
    }
    return out;
}

std::string UnitKey(std::string_view aUnit) {
    const std::string folded = FoldCase(Trim(aUnit));
    std::string key;
    key.reserve(folded.size());
    for (size_t i = 0; i < folded.size();) {
        bool replaced = false;
        for (const auto& [from, to] : kUnitSpellings) {
            if (folded.compare(i, from.size(), from) == 0) {
                key += to, i += from.size(), replaced = true;
                break;
            }
        }
        if (replaced) continue;
        const char c = folded[i++];
        if (!IsBlank(c) && c != '.' && c != '*' && c != '^' && c != '(' && c != ')' && c != '[' && c != ']')
            key += c;
    }
    for (const auto& [from, to] : kUnitWords)
        if (key == from) return std::string(to);
    return PowerToQuotient(std::move(key));
}

std::optional<double> SecondsPerUnit(std::string_view aUnit) {
    return FactorOf(aUnit, kSeconds);
}

std::optional<double> MilligramsPerUnit(std::string_view aUnit) {
    return FactorOf(aUnit, kMilligrams);
}

std::optional<double> KelvinPerMinutePerUnit(std::string_view aUnit) {
    return FactorOf(aUnit, kRates);
}

std::optional<TLinearScale> CelsiusScale(std::string_view aUnit) {
    const std::string key = UnitKey(aUnit);
    if (key == "c") return TLinearScale{1, 0};
    if (key == "k") return TLinearScale{1, -273.15};
    if (key == "f") return TLinearScale{5.0 / 9.0, -32 * 5.0 / 9.0};
    return std::nullopt;
}

std::optional<TSignalUnit> SignalUnit(std::string_view aUnit) {
    struct TEntry {
        std::string_view key;
        TSignalQuantity quantity;
        std::string_view unit;
        double factor;
    };
    // W/kg and mW/g are W/g by a thousandth; mW/mg and W/g are the same number in other words.
    static constexpr std::array<TEntry, 17> kTable = {{
        {"mw", sqHeatFlow, "mW", 1},
        {"w", sqHeatFlow, "mW", 1000},
        {"uw", sqHeatFlow, "mW", 0.001},
        {"mw/mg", sqHeatFlowPerMass, "mW/mg", 1},
        {"uw/mg", sqHeatFlowPerMass, "mW/mg", 0.001},
        {"w/mg", sqHeatFlowPerMass, "mW/mg", 1000},
        {"w/g", sqHeatFlowPerMass, "W/g", 1},
        {"mw/g", sqHeatFlowPerMass, "W/g", 0.001},
        {"w/kg", sqHeatFlowPerMass, "W/g", 0.001},
        {"k", sqDiffTemp, "K", 1},
        {"c", sqDiffTemp, "K", 1},
        {"mk", sqDiffTemp, "K", 0.001},
        {"uv", sqVoltage, "µV", 1},
        {"mv", sqVoltage, "µV", 1000},
        {"v", sqVoltage, "µV", 1e6},
        {"uv/mg", sqVoltagePerMass, "µV/mg", 1},
        {"mv/mg", sqVoltagePerMass, "µV/mg", 1000},
    }};
    const std::string key = UnitKey(aUnit);
    for (const TEntry& e : kTable)
        if (e.key == key) return TSignalUnit{e.quantity, std::string(e.unit), e.factor};
    return std::nullopt;
}

bool IsKnownUnit(std::string_view aUnit) {
    return SecondsPerUnit(aUnit) || CelsiusScale(aUnit) || SignalUnit(aUnit) || MilligramsPerUnit(aUnit) ||
           KelvinPerMinutePerUnit(aUnit);
}

TNameAndUnit SplitNameAndUnit(std::string_view aHeader) {
    const std::string_view text = Trim(aHeader);
    const auto result = [](std::string_view aName, std::string_view aUnit) {
        aName = Trim(aName);
        while (!aName.empty() && (aName.back() == '/' || aName.back() == ','))
            aName = Trim(aName.substr(0, aName.size() - 1));
        return TNameAndUnit{std::string(aName), std::string(Trim(aUnit))};
    };
    if (!text.empty() && (text.back() == ')' || text.back() == ']')) {
        const char close = text.back(), open = close == ')' ? '(' : '[';
        int depth = 0;
        for (size_t i = text.size(); i-- > 0;) {
            depth += text[i] == close ? 1 : text[i] == open ? -1 : 0;
            if (depth == 0) {
                const std::string_view unit = text.substr(i + 1, text.size() - i - 2);
                if (i > 0 && (open == '[' || IsKnownUnit(unit))) return result(text.substr(0, i), unit);
                break;
            }
        }
    }
    for (const std::string_view marker :
         {std::string_view(" in "), std::string_view(", "), std::string_view("/")}) {
        const size_t at = marker == "/" ? text.find(marker) : text.rfind(marker);
        if (at == std::string_view::npos || at == 0 || !Balanced(text.substr(0, at))) continue;
        const std::string_view unit = text.substr(at + marker.size());
        if (IsKnownUnit(unit)) return result(text.substr(0, at), unit);
    }
    return {std::string(text), ""};
}

TColumnRole RoleOfColumn(std::string_view aName, std::string_view aUnit, bool& aByUnit) {
    aByUnit = false;
    std::string_view raw = Trim(aName);
    while (!raw.empty() && (raw.back() == '.' || raw.back() == ':'))
        raw.remove_suffix(1);
    // One-letter names differ by case: t is time, T temperature.
    if (raw == "t") return crTime;
    if (raw == "T" || raw == "Ts" || raw == "TS" || raw == "Tsample") return crTemperature;
    if (raw == "Tr" || raw == "TR" || raw == "Tref" || raw == "Tp" || raw == "Tprog") return crRefTemperature;
    const std::string f = FoldCase(raw);
    static constexpr std::array<std::string_view, 7> kDiff = {"dt", "dta", "delta t",  "δt",
                                                              "Δt", "дта", "dt signal"};
    static constexpr std::array<std::string_view, 7> kSegment = {"segment", "seg",        "сегмент", "сег",
                                                                 "step",    "segment no", "seg no"};
    static constexpr std::array<std::string_view, 12> kIndex = {
        "index", "#", "no", "nr", "n", "№", "point", "pt", "индекс", "номер", "nummer", "counter"};
    static constexpr std::array<std::string_view, 5> kSignal = {"value", "signal", "сигнал", "y", "значение"};
    if (Contains(f, "heat flow") || Contains(f, "heatflow") || Contains(f, "тепловой поток") ||
        Contains(f, "wärmestrom") || f == "dsc" || f.starts_with("dsc ") || f == "hf" || f == "дск")
        return crHeatFlow;
    if (OneOf(f, kDiff) || f.starts_with("dta ")) return crDiffTemp;
    if (OneOf(f, kSegment)) return crSegment;
    if (OneOf(f, kIndex)) return crIndex;
    if (Contains(f, "differ") || Contains(f, "разност")) return crDiffTemp;
    if (Contains(f, "temp") || Contains(f, "температур")) {
        const bool other = Contains(f, "ref") || Contains(f, "program") || Contains(f, "furnace") ||
                           Contains(f, "эталон") || Contains(f, "программ") || Contains(f, "печ");
        return other ? crRefTemperature : crTemperature;
    }
    if (f.starts_with("time") || f.starts_with("zeit") || f.starts_with("время") || f == "elapsed time")
        return crTime;
    if (OneOf(f, kSignal)) return crSignal;
    if (aUnit.empty()) return crOther;
    aByUnit = true;
    if (SecondsPerUnit(aUnit)) return crTime;
    if (CelsiusScale(aUnit)) return crTemperature;
    if (SignalUnit(aUnit)) return crSignal;
    aByUnit = false;
    return crOther;
}

}  // namespace kalvero::foreign
