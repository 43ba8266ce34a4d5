// Delimited text: the last line before the first rows of numbers names the columns (a line of
// units only may stand between them); the lines above it may say "key: value" about the run.

#include "import/ColumnNames.h"
#include "import/HeaderFields.h"
#include "import/LayoutReaders.h"
#include "import/RowFormat.h"

namespace kalvero::foreign {
namespace {

bool IsBlankLine(std::string_view aLine) {
    return Trim(aLine).empty();
}

// Header cells split like the rows. With blanks between the rows' cells a name may hold a blank
// itself ("Heat Flow"): then names are taken as separated by two blanks or a tab when that gives
// the rows' count.
std::vector<std::string_view> HeaderCells(std::string_view aLine, char aSeparator, size_t aCells) {
    std::vector<std::string_view> cells = SplitCells(aLine, aSeparator);
    if (aSeparator != kBlanks || cells.size() == aCells) return cells;
    std::vector<std::string_view> wide;
    size_t pos = 0;
    while (pos < aLine.size() && wide.size() <= kMaxColumns) {
        while (pos < aLine.size() && (aLine[pos] == ' ' || aLine[pos] == '\t'))
            ++pos;
        if (pos == aLine.size()) break;
        size_t end = pos;
        while (end < aLine.size() && aLine[end] != '\t' &&
               !(aLine[end] == ' ' && end + 1 < aLine.size() && aLine[end + 1] == ' '))
            ++end;
        wide.push_back(Trim(aLine.substr(pos, end - pos)));
        pos = end;
    }
    return wide.size() == aCells ? wide : cells;
}

// Whether every cell that is not empty is a unit ("min", "°C", "[mW]") and there are at least two.
bool IsUnitsRow(const std::vector<std::string_view>& aCells) {
    size_t units = 0;
    for (const std::string_view cell : aCells) {
        if (Trim(cell).empty()) continue;
        if (!IsKnownUnit(cell)) return false;
        ++units;
    }
    return units >= 2;
}

size_t PreviousText(const std::vector<TTextLine>& aLines, size_t aIndex) {
    while (aIndex > 0 && IsBlankLine(aLines[aIndex - 1].text))
        --aIndex;
    return aIndex;  // one past the line found; 0 when there is none
}

// Whether a header line names a column the import needs.
bool NamesNeededColumn(const std::vector<std::string_view>& aCells) {
    for (const std::string_view cell : aCells) {
        const TImportedColumn column = ColumnOfHeader(cell);
        bool byUnit = false;
        const TColumnRole role = RoleOfColumn(column.name, column.unit, byUnit);
        if (!byUnit && (role == crTime || role == crTemperature || role == crHeatFlow || role == crDiffTemp))
            return true;
    }
    return false;
}

// One past the line of column names above the rows at aRows (0: none): the nearest line of text,
// or, when a decoration ("---", "[Data]") stands between the names and the rows, the nearest of
// the three above them that names a column the import needs. A line of units counts with the names.
size_t FindHeader(const std::vector<TTextLine>& aLines, size_t aRows, const TRowFormat& aFormat) {
    const size_t nearest = PreviousText(aLines, aRows);
    size_t at = nearest;
    for (int tries = 0; tries < 3 && at > 0; ++tries, at = PreviousText(aLines, at - 1)) {
        const std::vector<std::string_view> cells =
            HeaderCells(aLines[at - 1].text, aFormat.separator, aFormat.cells);
        if (NamesNeededColumn(cells) || IsUnitsRow(cells)) return at;
    }
    return nearest;
}

}  // namespace

TImportedRun ReadDelimited(const TImportInput& aInput) {
    TImportedRun run{.layout = "delimited"};
    const std::vector<TTextLine> lines = HeadLines(aInput.text, kHeaderLines);
    const std::optional<TRowsStart> start = FindRows(lines, 0);
    if (!start) Refuse(aInput, "нет строк с числами");
    const TRowFormat& format = start->format;

    TTable table;
    size_t preamble = FindHeader(lines, start->index, format);
    if (preamble > 0) {
        std::vector<std::string_view> names =
            HeaderCells(lines[preamble - 1].text, format.separator, format.cells);
        std::vector<std::string_view> units;
        if (IsUnitsRow(names) && PreviousText(lines, preamble - 1) > 0) {
            units = std::move(names);
            preamble = PreviousText(lines, preamble - 1);
            names = HeaderCells(lines[preamble - 1].text, format.separator, format.cells);
        }
        for (size_t i = 0; i < names.size(); ++i) {
            if (i < units.size())
                table.columns.push_back({CleanText(names[i]), CleanText(Unbracket(units[i]))});
            else
                table.columns.push_back(ColumnOfHeader(names[i]));
        }
        --preamble;
    }
    for (size_t i = 0; i < preamble; ++i)
        ApplyHeaderLine(lines[i].text, run);

    table.rows = aInput.text.substr(lines[start->index].offset);
    table.firstRowLine = lines[start->index].number;
    table.separator = format.separator;
    if (format.decimalKnown) table.decimal = format.decimal;
    BuildRun(aInput, table, run);
    return run;
}

}  // namespace kalvero::foreign
