// Two header lines, names over bracketed units ("Index  t  Ts  Tr  Value" / "[s]  [°C]  [°C]  [mW]"),
// "key: value" lines before them, and a footer from a line beginning "!&" to the end. An index
// column first has no unit, so units are matched to names from the right.

#include "import/ColumnNames.h"
#include "import/HeaderFields.h"
#include "import/LayoutReaders.h"

namespace kalvero::foreign {
namespace {

constexpr std::string_view kFooter = "!&";

// The rows end where the footer begins.
std::string_view CutFooter(std::string_view aText) {
    if (aText.starts_with(kFooter)) return {};
    const size_t at = aText.find("\n!&");
    return at == std::string_view::npos ? aText : aText.substr(0, at + 1);
}

}  // namespace

std::optional<std::vector<std::string>> BracketedUnits(std::string_view aLine) {
    std::vector<std::string> units;
    size_t pos = 0;
    while (pos < aLine.size()) {
        const char c = aLine[pos];
        if (c == ' ' || c == '\t' || c == ';' || c == ',' || c == '\r') {
            ++pos;
            continue;
        }
        if (c != '[' || units.size() > kMaxColumns) return std::nullopt;
        const size_t close = aLine.find(']', pos);
        if (close == std::string_view::npos) return std::nullopt;
        units.emplace_back(Trim(aLine.substr(pos + 1, close - pos - 1)));
        pos = close + 1;
    }
    if (units.size() < 2) return std::nullopt;
    return units;
}

TImportedRun ReadTwoLine(const TImportInput& aInput) {
    const std::string_view text = CutFooter(aInput.text);
    const std::vector<TTextLine> lines = HeadLines(text, kHeaderLines);
    size_t unitsLine = 0;
    std::optional<std::vector<std::string>> units;
    for (size_t i = 1; i < lines.size() && !units; ++i)
        if (!Trim(lines[i - 1].text).empty() && (units = BracketedUnits(lines[i].text))) unitsLine = i;
    if (!units) {  // only the footer: names in one line, as in delimited text
        TImportInput cut{text, aInput.options, aInput.shownName, aInput.encoding, aInput.notes, aInput.pages};
        TImportedRun run = ReadDelimited(cut);
        run.layout = "twoline";
        return run;
    }
    TImportedRun run{.layout = "twoline"};
    const std::string_view namesLine = lines[unitsLine - 1].text;
    const std::vector<std::string_view> names = SplitCells(namesLine, SeparatorOfNames(namesLine));
    const size_t shift = names.size() > units->size() ? names.size() - units->size() : 0;
    bool byUnit = false;
    if (shift > 1 || (shift == 1 && RoleOfColumn(names[0], "", byUnit) != crIndex))
        run.warnings.push_back(
            "Единиц в заголовке меньше, чем столбцов: единицы отнесены к последним столбцам");
    if (units->size() > names.size())
        run.warnings.push_back("Единиц в заголовке больше, чем столбцов: лишние не учтены");
    for (size_t i = 0; i < names.size(); ++i)
        run.columns.push_back({CleanText(names[i]), i >= shift ? CleanText((*units)[i - shift]) : ""});
    for (size_t i = 0; i + 1 < unitsLine; ++i)
        ApplyHeaderLine(lines[i].text, run);

    TTable table;
    table.columns = std::move(run.columns);
    table.RowsAfter(text, lines[unitsLine]);
    BuildRun(aInput, table, run);
    return run;
}

}  // namespace kalvero::foreign
