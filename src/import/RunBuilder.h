#pragma once
// What every reader does once it has found the columns and where the rows are: picks the time,
// temperature, signal and segment columns, reads the rows, leaves out those that break the order
// of time, converts the units and lists every assumption made on the way.

#include <string>
#include <string_view>
#include <vector>

#include "import/ImportedRun.h"
#include "import/RowScanner.h"

namespace kalvero::foreign {

// The text a reader works on, with what it needs to know about it.
struct TImportInput {
    std::string_view text;  // UTF-8
    const TImportOptions& options;
    std::string shownName;                // the file as messages name it
    std::string encoding = "UTF-8";       // as the text was decoded
    std::vector<std::string> notes;       // assumptions of the decoding
    const TMappedPages* pages = nullptr;  // the file's mapping when text lies in it
};

// The columns a header declares and the rows that follow it.
struct TTable {
    std::vector<TImportedColumn> columns;  // as found (the rows may have more or fewer cells)
    std::string_view rows;                 // from the first line after the header to the end or a footer
    size_t firstRowLine = 1;               // line number of the first line of rows
    char separator = 0;                    // 0: found from the rows
    char decimal = 0;                      // 0: found from the rows

    // The rows as all of aText after the line aLine (a line of aText).
    void RowsAfter(std::string_view aText, const TTextLine& aLine);
};

// Reads the table into aRun (whose header fields the reader has filled); throws EImportError with
// a message for the operator when a needed column or any row of numbers is missing.
void BuildRun(const TImportInput& aInput, const TTable& aTable, TImportedRun& aRun);

// The warning of a file whose rows are not separated as its header says.
inline constexpr const char* kOtherSeparators =
    "Разделители в строках не те, что указаны в заголовке: взяты найденные по строкам";

// "В файле <name> …" errors.
[[noreturn]] void Refuse(const TImportInput& aInput, const std::string& aWhat);

}  // namespace kalvero::foreign
