#include "evaluation/ReferenceCp.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/Cp1251.h"
#include "common/DefaultFiles.h"
#include "common/FileUtil.h"

namespace kalvero::evaluation {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A number with a point or a comma; false for anything else.
bool ReadNumber(std::string aText, double& aValue) {
    std::replace(aText.begin(), aText.end(), ',', '.');
    if (aText.empty()) return false;
    char* end = nullptr;
    aValue = std::strtod(aText.c_str(), &end);
    return end == aText.c_str() + aText.size() && std::isfinite(aValue);
}

// The two numbers of a row: separated by blanks, tabs or ";" (then "," may be the decimal mark),
// or by a comma between numbers with points.
bool ReadRow(std::string_view aLine, double& aT, double& aCp) {
    std::string line(aLine);
    const bool blanks = line.find_first_of(" \t;") != std::string::npos;
    std::replace(line.begin(), line.end(), ';', ' ');
    std::replace(line.begin(), line.end(), '\t', ' ');
    if (!blanks) std::replace(line.begin(), line.end(), ',', ' ');
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < line.size()) {
        const size_t from = line.find_first_not_of(' ', at);
        if (from == std::string::npos) break;
        const size_t to = std::min(line.find(' ', from), line.size());
        parts.push_back(line.substr(from, to - from));
        at = to;
    }
    return parts.size() == 2 && ReadNumber(parts[0], aT) && ReadNumber(parts[1], aCp);
}

}  // namespace

TReferenceCp ParseReferenceCp(std::string_view aBytes, const std::string& aSource) {
    std::string text = IsValidUtf8(aBytes) ? std::string(aBytes) : Cp1251ToUtf8(aBytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    TReferenceCp table;
    table.name = std::filesystem::path(aSource).stem().string();
    double offset = 0;  // added to the file's temperatures to give kelvins
    size_t lineNo = 0, at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = Trim(std::string_view(text).substr(at, end - at));
        at = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (const size_t eq = line.find('='); eq != std::string_view::npos) {
            const std::string key(Trim(line.substr(0, eq)));
            const std::string value(Trim(line.substr(eq + 1)));
            if (strcasecmp(key.c_str(), "Name") == 0) table.name = value;
            if (strcasecmp(key.c_str(), "Source") == 0) table.source = value;
            if (strcasecmp(key.c_str(), "TemperatureUnit") == 0)
                offset = value == "C" || value == "°C" || value == "°С" ? 273.15 : 0.0;
            continue;
        }
        double T = NAN, cp = NAN;
        if (!ReadRow(line, T, cp))
            throw EEvaluationError("Таблица теплоёмкости " + aSource + ": строка " + std::to_string(lineNo) +
                                   " не читается");
        if (!table.kelvin.empty() && !(T + offset > table.kelvin.back()))
            throw EEvaluationError("Таблица теплоёмкости " + aSource +
                                   ": температуры должны возрастать (строка " + std::to_string(lineNo) + ")");
        table.kelvin.push_back(T + offset);
        table.cp.push_back(cp);
    }
    if (table.kelvin.size() < 2)
        throw EEvaluationError("Таблица теплоёмкости " + aSource + " содержит меньше двух строк");
    return table;
}

TReferenceCp ReadReferenceCpFile(const std::string& aFileName) {
    return ParseReferenceCp(ReadWholeFile(aFileName), aFileName);
}

TReferenceCp LoadReferenceCp(const std::string& aProgramDataPath, const std::string& aName) {
    const std::string relative = std::string(REFERENCE_CP_FOLDER) + "/" + aName + ".txt";
    const std::filesystem::path file = std::filesystem::path(aProgramDataPath) / relative;
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) return ReadReferenceCpFile(file.string());
    const auto& shipped = defaults::EmbeddedFiles();
    const auto it = shipped.find(relative);
    if (it == shipped.end()) throw EEvaluationError("Нет таблицы теплоёмкости " + relative);
    return ParseReferenceCp(it->second, relative);
}

}  // namespace kalvero::evaluation
