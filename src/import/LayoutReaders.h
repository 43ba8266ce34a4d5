#pragma once
// The readers of the four layouts of text exports and the detector that tells them apart:
//   delimited  a header row of column names (units in them) over rows of numbers, maybe with
//              "key: value" lines before it;
//   keyvalue   tab-separated key/value lines, the columns as "Sig1", "Sig2" …, ending at a
//              "StartOfData" line;
//   twoline    a line of names and a line of bracketed units ("[s]  [°C]  [mW]"), a footer line
//              beginning "!&";
//   hashkey    "#KEY:value" lines and a "##" line of column names.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/RowScanner.h"
#include "import/RunBuilder.h"

namespace kalvero::foreign {

enum TLayout { lyDelimited, lyKeyValue, lyTwoLine, lyHashKey };

TLayout DetectLayout(std::string_view aText);

TImportedRun ReadDelimited(const TImportInput& aInput);
TImportedRun ReadKeyValue(const TImportInput& aInput);
TImportedRun ReadTwoLine(const TImportInput& aInput);
TImportedRun ReadHashKey(const TImportInput& aInput);
// The program's own open export as one JSON object (data/OpenExport.h).
bool IsExportJson(std::string_view aText);
TImportedRun ReadExportJson(std::string_view aText, const TImportOptions& aOptions,
                            const std::string& aShownName);

// The units of a line made of bracketed units only ("[s]  [°C]  [mW]"), at least two; nullopt
// for any other line.
std::optional<std::vector<std::string>> BracketedUnits(std::string_view aLine);

// Lines of a header looked at, at most.
constexpr size_t kHeaderLines = 20000;

}  // namespace kalvero::foreign
