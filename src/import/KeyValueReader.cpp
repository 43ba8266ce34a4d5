// Key/value header: one "key<TAB>value" per line ("Sample<TAB>PE film", "Size<TAB>9.0 mg",
// "Sig1<TAB>Time (min)"), a line may be a bare phrase ("Exotherm Up"); a "StartOfData" line ends
// it, and the rows that follow hold the Sig columns in their order.

#include <map>

#include "import/ColumnNames.h"
#include "import/HeaderFields.h"
#include "import/LayoutReaders.h"

namespace kalvero::foreign {
namespace {

bool IsStartOfData(std::string_view aLine) {
    return FoldCase(Trim(aLine)) == "startofdata";
}

// The n of a "Sig<n>" key, 0 for any other key.
int SignalNumber(std::string_view aKey) {
    aKey = Trim(aKey);
    if (aKey.size() < 4 || aKey.size() > 7 || FoldCase(aKey.substr(0, 3)) != "sig") return 0;
    int n = 0;
    for (const char c : aKey.substr(3)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

TImportedRun ReadKeyValue(const TImportInput& aInput) {
    TImportedRun run{.layout = "keyvalue"};
    const std::vector<TTextLine> lines = HeadLines(aInput.text, kHeaderLines);
    size_t end = 0;
    while (end < lines.size() && !IsStartOfData(lines[end].text))
        ++end;
    if (end == lines.size()) Refuse(aInput, "нет строки StartOfData");
    std::map<int, std::string_view> signals;
    for (size_t i = 0; i < end; ++i) {
        const std::string_view line = lines[i].text;
        const size_t tab = line.find('\t');
        const std::string_view key = line.substr(0, tab);
        if (const int n = SignalNumber(key); n > 0 && tab != std::string_view::npos)
            signals.emplace(n, line.substr(tab + 1));
        else
            ApplyHeaderLine(line, run);
    }
    TTable table;
    for (const auto& [n, header] : signals) {
        table.columns.push_back(ColumnOfHeader(header));
        if (table.columns.size() > kMaxColumns) break;
    }
    table.RowsAfter(aInput.text, lines[end]);
    BuildRun(aInput, table, run);
    return run;
}

}  // namespace kalvero::foreign
