#include "methods/ResultTable.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/FileUtil.h"

namespace kalvero::methods {
namespace {

using TJson = nlohmann::ordered_json;

TJson Value(double aValue) {
    return std::isfinite(aValue) ? TJson(aValue) : TJson(nullptr);
}

// Every row of the table as a JSON object of the columns.
std::vector<TJson> Rows(const std::vector<TBatchFile>& aFiles) {
    std::vector<TJson> rows;
    for (const TBatchFile& f : aFiles) {
        const RProvenance& p = f.run.provenance;
        const auto row = [&](const TMethodResult* r) {
            const bool limited = r && r->limited;
            return TJson{{"file", f.file},
                         {"evaluation", r ? TJson(r->evaluation) : TJson(nullptr)},
                         {"kind", r ? TJson(KindKey(r->kind)) : TJson(nullptr)},
                         {"range", r ? TJson(r->range) : TJson(nullptr)},
                         {"result", r && !r->name.empty() ? TJson(r->name) : TJson(nullptr)},
                         {"value", r ? Value(r->value) : TJson(nullptr)},
                         {"unit", r ? TJson(r->unit) : TJson(nullptr)},
                         {"low", limited ? Value(r->limit.low) : TJson(nullptr)},
                         {"high", limited ? Value(r->limit.high) : TJson(nullptr)},
                         {"verdict", VerdictKey(r ? r->verdict : EVerdict::Error)},
                         {"error", r ? r->error : f.error},
                         {"method", p.method},
                         {"program", p.program},
                         {"tables", TablesText(p.tables)},
                         {"evaluatedAt", p.evaluatedAt}};
        };
        if (!f.error.empty()) {
            rows.push_back(row(nullptr));
            continue;
        }
        for (const TMethodResult& r : f.run.results)
            rows.push_back(row(&r));
    }
    return rows;
}

std::string CsvField(const TJson& aValue) {
    if (aValue.is_null()) return "";
    if (aValue.is_number_float()) {
        char text[40];
        std::snprintf(text, sizeof text, "%.10g", aValue.get<double>());
        return text;
    }
    if (!aValue.is_string()) return aValue.dump();
    const std::string s = aValue.get<std::string>();
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string quoted = "\"";
    for (const char c : s)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

const std::vector<std::string>& ResultColumns() {
    static const std::vector<std::string> kColumns{"file",  "evaluation", "kind",    "range",  "result",
                                                   "value", "unit",       "low",     "high",   "verdict",
                                                   "error", "method",     "program", "tables", "evaluatedAt"};
    return kColumns;
}

std::string BatchCsv(const std::vector<TBatchFile>& aFiles) {
    std::string out;
    const auto& columns = ResultColumns();
    for (size_t c = 0; c < columns.size(); ++c)
        out += (c ? "," : "") + columns[c];
    out += "\n";
    for (const TJson& row : Rows(aFiles)) {
        for (size_t c = 0; c < columns.size(); ++c)
            out += (c ? "," : "") + CsvField(row.at(columns[c]));
        out += "\n";
    }
    return out;
}

TJson BatchJson(const std::string& aMethod, const std::vector<TBatchFile>& aFiles) {
    const std::vector<TJson> rows = Rows(aFiles);
    return {{"method", aMethod}, {"rows", rows}};
}

void WriteResultTable(const std::string& aFileName, const std::string& aMethod,
                      const std::vector<TBatchFile>& aFiles) {
    std::string extension = std::filesystem::path(aFileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    WriteFileAtomic(aFileName,
                    extension == ".json" ? BatchJson(aMethod, aFiles).dump(2) + "\n" : BatchCsv(aFiles));
}

}  // namespace kalvero::methods
