#include "processing/RangeText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "data/DataClass.h"
#include "processing/Segments.h"

namespace kalvero {
namespace {

enum class TUnit { Item, Second, Minute, Hour, Celsius, Kelvin };

struct REnd {
    double value = 0;
    TUnit unit = TUnit::Item;
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void Bad(std::string_view aText) {
    throw ERangeSyntax("Неверный диапазон «" + std::string(aText) +
                       "»: ожидается A:B в точках, секундах (300s), минутах (5min) или градусах (150C)");
}

std::optional<REnd> ParseEnd(std::string_view aText) {
    std::string_view s = Trim(aText);
    std::string number(s);
    std::replace(number.begin(), number.end(), ',', '.');  // a decimal comma is a decimal point
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end == number.data() || !std::isfinite(value)) return std::nullopt;
    const std::string_view suffix =
        Trim(std::string_view(number).substr(static_cast<size_t>(end - number.data())));
    static constexpr std::array<std::pair<std::string_view, TUnit>, 11> kSuffixes{{
        {"", TUnit::Item},
        {"s", TUnit::Second},
        {"sec", TUnit::Second},
        {"min", TUnit::Minute},
        {"m", TUnit::Minute},
        {"h", TUnit::Hour},
        {"C", TUnit::Celsius},
        {"c", TUnit::Celsius},
        {"°C", TUnit::Celsius},
        {"°С", TUnit::Celsius},  // a Cyrillic С, as the settings write the unit
        {"K", TUnit::Kelvin},
    }};
    for (const auto& [text, unit] : kSuffixes)
        if (suffix == text) return REnd{value, unit};
    return std::nullopt;
}

bool IsTemperature(TUnit aUnit) {
    return aUnit == TUnit::Celsius || aUnit == TUnit::Kelvin;
}

double Celsius(const REnd& e) {
    return e.unit == TUnit::Kelvin ? e.value - 273.15 : e.value;
}

int ItemOfTime(const TDataClass& d, const REnd& e) {
    const double seconds = e.unit == TUnit::Minute ? e.value * 60
                           : e.unit == TUnit::Hour ? e.value * 3600
                                                   : e.value;
    if (e.unit == TUnit::Item)
        return d.ClipItemIndex(static_cast<int>(std::lround(std::clamp(e.value, -1e9, 1e9))));
    return d.ClipItemIndex(static_cast<int>(std::lround(std::clamp(seconds * d.frequency, -1e9, 1e9))));
}

// The first item of aFrom … aTo at which the temperature reaches aTemp from where it started.
std::optional<int> Crossing(const TDataClass& d, int aFrom, int aTo, double aTemp) {
    if (aFrom > aTo) return std::nullopt;
    const double first = d.items[aFrom][0].tc;
    const bool rising = aTemp >= first;
    for (int i = aFrom; i <= aTo; ++i) {
        const double t = d.items[i][0].tc;
        if (rising ? t >= aTemp : t <= aTemp) return i;
    }
    return std::nullopt;
}

std::string TempText(double aCelsius) {
    std::string s = std::to_string(aCelsius);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s + " °С";
}

std::pair<int, int> TemperatureRange(const TDataClass& d, const std::vector<TSegment>& aSegments, double a,
                                     double b) {
    const int last = d.GetItemCount() - 1;
    for (const TSegment& s : aSegments) {
        const double lo = std::min(s.beginTemp, s.endTemp), hi = std::max(s.beginTemp, s.endTemp);
        if (std::min(a, b) < lo || std::max(a, b) > hi) continue;
        const auto x = Crossing(d, s.begin, s.end, a), y = Crossing(d, s.begin, s.end, b);
        if (x && y) return {std::min(*x, *y), std::max(*x, *y)};
    }
    const auto x = Crossing(d, 0, last, a);
    if (!x) throw ERangeText("Температура " + TempText(a) + " в опыте не достигается");
    const auto y = Crossing(d, *x, last, b);
    if (!y)
        throw ERangeText("Температура " + TempText(b) + " после " + TempText(a) + " в опыте не достигается");
    return {std::min(*x, *y), std::max(*x, *y)};
}

}  // namespace

namespace {

// The two ends of a range text; ERangeSyntax for anything else.
std::pair<REnd, REnd> RangeEnds(std::string_view aText) {
    const size_t colon = aText.find(':');
    if (colon == std::string_view::npos) Bad(aText);
    const auto a = ParseEnd(aText.substr(0, colon)), b = ParseEnd(aText.substr(colon + 1));
    if (!a || !b || IsTemperature(a->unit) != IsTemperature(b->unit)) Bad(aText);
    return {*a, *b};
}

}  // namespace

void CheckRangeSyntax(std::string_view aText) {
    RangeEnds(aText);
}

std::pair<int, int> ItemRangeOf(const TDataClass& d, std::string_view aText) {
    std::vector<TSegment> segments;
    return ItemRangeOf(d, aText, [&]() -> const std::vector<TSegment>& { return segments = SegmentsOf(d); });
}

std::pair<int, int> ItemRangeOf(const TDataClass& d, std::string_view aText,
                                const std::function<const std::vector<TSegment>&()>& aSegments) {
    const auto [a, b] = RangeEnds(aText);
    if (d.GetItemCount() == 0) throw ERangeText("В опыте нет данных");
    if (IsTemperature(a.unit)) return TemperatureRange(d, aSegments(), Celsius(a), Celsius(b));
    const int x = ItemOfTime(d, a), y = ItemOfTime(d, b);
    return {std::min(x, y), std::max(x, y)};
}

int ItemOf(const TDataClass& d, std::string_view aText) {
    const auto e = ParseEnd(aText);
    if (!e) Bad(aText);
    if (d.GetItemCount() == 0) throw ERangeText("В опыте нет данных");
    if (!IsTemperature(e->unit)) return ItemOfTime(d, *e);
    const auto x = Crossing(d, 0, d.GetItemCount() - 1, Celsius(*e));
    if (!x) throw ERangeText("Температура " + TempText(Celsius(*e)) + " в опыте не достигается");
    return *x;
}

}  // namespace kalvero
