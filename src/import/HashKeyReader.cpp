// "#KEY:value" header lines ("#SAMPLE:", "#SAMPLE MASS /mg:", "#EXO:-1", "#DECIMAL:COMMA",
// "#SEPARATOR:;", "#SEG. 1:30°C/10.0(K/min)/200°C" …) and a "##" line of column names
// ("##Temp./°C;Time/min;DSC/(mW/mg);Segment") over the rows.

#include "common/Procs.h"
#include "import/ColumnNames.h"
#include "import/HeaderFields.h"
#include "import/LayoutReaders.h"

namespace kalvero::foreign {
namespace {

// The separator a "#SEPARATOR:" value names; 0 when it names none.
char SeparatorOf(std::string_view aValue) {
    const std::string v = FoldCase(Trim(aValue));
    if (v == "tab" || v == "\\t" || aValue == "\t") return '\t';
    if (v == ";" || v == "," || v == "|") return v[0];
    if (v == "space" || v == "blank" || (!aValue.empty() && Trim(aValue).empty())) return kBlanks;
    return 0;
}

struct THashHeader {
    char separator = 0, decimal = 0;
    std::vector<double> rates;  // of the declared segments, in order
};

void ApplyKey(std::string_view aKey, std::string_view aValue, THashHeader& aHeader, TImportedRun& aRun) {
    const std::string key = FoldCase(Trim(aKey));
    if (key == "decimal") {
        const std::string v = FoldCase(Trim(aValue));
        aHeader.decimal = v == "comma" || v == "," ? ',' : v == "point" || v == "." ? '.' : 0;
    } else if (key == "separator") {
        aHeader.separator = SeparatorOf(aValue);
    } else if (key.starts_with("seg")) {
        aRun.declaredSegments.push_back(CleanText(aValue));
        if (const auto rate = RateInText(aValue)) aHeader.rates.push_back(*rate);
    } else if (key == "range") {
        if (const auto rate = RateInText(aValue)) aHeader.rates.push_back(*rate);
    } else {
        ApplyHeaderField(aKey, aValue, aRun);
    }
}

}  // namespace

TImportedRun ReadHashKey(const TImportInput& aInput) {
    TImportedRun run{.layout = "hashkey"};
    const std::vector<TTextLine> lines = HeadLines(aInput.text, kHeaderLines);
    THashHeader header;
    size_t names = 0;
    while (names < lines.size() && !lines[names].text.starts_with("##")) {
        const std::string_view line = lines[names++].text;
        if (!line.starts_with("#")) continue;
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos)
            ApplyKey(line.substr(1, colon - 1), line.substr(colon + 1), header, run);
    }
    if (names == lines.size()) Refuse(aInput, "нет строки с названиями столбцов (##…)");
    if (!header.rates.empty()) {
        run.heatingRate = header.rates.front();
        for (const double rate : header.rates)
            if (rate != header.rates.front()) {
                run.warnings.push_back("Скорость нагрева в сегментах разная: указана первая, " +
                                       FormatFixed(header.rates.front(), 2) + " K/мин");
                break;
            }
    }
    TTable table;
    const std::string_view namesLine = lines[names].text.substr(2);
    table.separator = header.separator ? header.separator : SeparatorOfNames(namesLine);
    if (header.separator && header.separator != kBlanks &&
        namesLine.find(header.separator) == std::string_view::npos &&
        SeparatorOfNames(namesLine) != kBlanks) {
        table.separator = SeparatorOfNames(namesLine);
        run.warnings.push_back(kOtherSeparators);
    }
    table.decimal = table.separator == ',' && header.decimal == ',' ? 0 : header.decimal;
    for (const std::string_view cell : SplitCells(namesLine, table.separator))
        table.columns.push_back(ColumnOfHeader(cell));
    table.RowsAfter(aInput.text, lines[names]);
    BuildRun(aInput, table, run);
    return run;
}

}  // namespace kalvero::foreign
