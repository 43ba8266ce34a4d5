#include "import/RowFormat.h"

#include <array>

namespace kalvero::foreign {
namespace {

struct TCandidate {
    char separator, decimal;
};
// In order of preference when several read the rows equally well.
constexpr std::array<TCandidate, 7> kCandidates = {
    {{'\t', '.'}, {'\t', ','}, {';', '.'}, {';', ','}, {',', '.'}, {kBlanks, '.'}, {kBlanks, ','}}};

bool IsBlankLine(std::string_view aLine) {
    return aLine.find_first_not_of(" \t\r\f\v") == std::string_view::npos;
}

}  // namespace

bool IsNumberRow(std::string_view aLine, char aSeparator, char aDecimal, size_t& aCells, bool& aDecimalSeen) {
    const std::vector<std::string_view> cells = SplitCells(aLine, aSeparator);
    size_t numbers = 0;
    aDecimalSeen = false;
    for (const std::string_view cell : cells) {
        double value;
        switch (ParseCell(cell, aDecimal, value)) {
            case csNumber:
            case csNotFinite:  // NaN, inf: a row of numbers all the same, whose cell will be left out
                ++numbers;
                aDecimalSeen = aDecimalSeen || cell.find(aDecimal) != std::string_view::npos;
                break;
            case csEmpty:
                break;
            default:
                return false;
        }
    }
    aCells = cells.size();
    return numbers >= 2;
}

std::optional<TRowFormat> RowFormatAt(const std::vector<TTextLine>& aLines, size_t aIndex, char aSeparator,
                                      char aDecimal) {
    std::optional<TRowFormat> best;
    for (const TCandidate& c : kCandidates) {
        if ((aSeparator && c.separator != aSeparator) || (aDecimal && c.decimal != aDecimal)) continue;
        if (c.separator == ',' && c.decimal == ',') continue;
        size_t cells = 0;
        bool seen = false;
        if (!IsNumberRow(aLines[aIndex].text, c.separator, c.decimal, cells, seen)) continue;
        size_t checked = 0, agreeing = 0;
        for (size_t i = aIndex + 1; i < aLines.size() && checked < 4; ++i) {
            if (IsBlankLine(aLines[i].text)) continue;
            ++checked;
            size_t n = 0;
            bool s = false;
            if (IsNumberRow(aLines[i].text, c.separator, c.decimal, n, s) && n == cells) {
                ++agreeing;
                seen = seen || s;
            }
        }
        if (agreeing * 2 < checked) continue;
        const bool known = seen || aDecimal != 0 || c.separator == ',';
        if (!best || (known && !best->decimalKnown)) best = TRowFormat{c.separator, c.decimal, cells, known};
    }
    return best;
}

std::optional<TRowsStart> FindRows(const std::vector<TTextLine>& aLines, size_t aFrom, char aSeparator,
                                   char aDecimal) {
    for (size_t i = aFrom; i < aLines.size(); ++i) {
        if (IsBlankLine(aLines[i].text)) continue;
        if (const auto format = RowFormatAt(aLines, i, aSeparator, aDecimal)) return TRowsStart{i, *format};
    }
    return std::nullopt;
}

void SettleDecimal(const std::vector<TTextLine>& aLines, size_t aIndex, TRowFormat& aFormat) {
    if (aFormat.decimalKnown) return;
    for (size_t i = aIndex; i < aLines.size(); ++i) {
        size_t cells = 0;
        bool pointSeen = false, commaSeen = false;
        const bool point = IsNumberRow(aLines[i].text, aFormat.separator, '.', cells, pointSeen);
        const bool comma = IsNumberRow(aLines[i].text, aFormat.separator, ',', cells, commaSeen);
        if (point != comma || pointSeen != commaSeen) {
            aFormat.decimal = (point && pointSeen) || !comma ? '.' : ',';
            aFormat.decimalKnown = true;
            return;
        }
    }
}

}  // namespace kalvero::foreign
