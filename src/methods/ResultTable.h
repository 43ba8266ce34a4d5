#pragma once
// The results of a batch as a table, one row per file and result, each row with what produced it:
// CSV (comma-separated, decimal points, texts quoted where needed) or JSON ({"method", "rows"}).

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "methods/Batch.h"

namespace kalvero::methods {

// The columns, in order: file, evaluation, kind, range, result, value, unit, low, high, verdict,
// error, method, program, tables, evaluatedAt. A file that failed is one row with its error.
const std::vector<std::string>& ResultColumns();

std::string BatchCsv(const std::vector<TBatchFile>& aFiles);
nlohmann::ordered_json BatchJson(const std::string& aMethod, const std::vector<TBatchFile>& aFiles);

// The table written to aFileName, CSV or JSON by its extension (".json"; anything else CSV),
// whole or not at all.
void WriteResultTable(const std::string& aFileName, const std::string& aMethod,
                      const std::vector<TBatchFile>& aFiles);

}  // namespace kalvero::methods
