// The program's own open export as JSON (data/OpenExport.h): one object with the description and
// the arrays, read back to the same values.

#include <nlohmann/json.hpp>

#include <cmath>

#include "import/LayoutReaders.h"

namespace kalvero::foreign {

bool IsExportJson(std::string_view aText) {
    const size_t first = aText.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || aText[first] != '{') return false;
    return aText.substr(first, 4096).find("\"Kalvero export\"") != std::string_view::npos;
}

TImportedRun ReadExportJson(std::string_view aText, const TImportOptions& aOptions,
                            const std::string& aShownName) {
    const nlohmann::json j = nlohmann::json::parse(aText, nullptr, false);
    const auto refuse = [&](const std::string& aWhat) {
        return EImportError("Файл " + aShownName + " не читается как экспорт этой программы: " + aWhat);
    };
    // A text field, empty when it is absent or no text at all.
    const auto text = [&j](const char* aKey) {
        const auto at = j.find(aKey);
        return at != j.end() && at->is_string() ? at->get<std::string>() : std::string();
    };
    if (!j.is_object() || text("format") != "Kalvero export") throw refuse("нет описания формата");
    TImportedRun run;
    run.layout = "json";
    run.encoding = "UTF-8";
    try {
        run.time = j.at("time_s").get<std::vector<double>>();
        run.temperature = j.at("temperature_C").get<std::vector<double>>();
        run.signal = j.at("signal").get<std::vector<double>>();
        const auto quantity = SignalQuantityFromKey(text("signal_quantity"));
        run.signalUnit = text("signal_unit");
        if (!quantity || run.signalUnit.empty()) throw refuse("не указана величина сигнала");
        run.quantity = *quantity;
        const auto number = [&](const char* aKey) -> std::optional<double> {
            const std::string field = text(aKey);
            if (field.empty()) return std::nullopt;
            const double v = std::strtod(field.c_str(), nullptr);
            return std::isfinite(v) && v > 0 ? std::optional<double>(v) : std::nullopt;
        };
        run.mass = number("mass_mg");
        run.heatingRate = number("heating_rate_K_per_min");
        const std::string endo = text("endothermic");
        if (endo == "up" || endo == "down") run.endoUp = endo == "up";
        run.sampleName = text("sample");
        run.operatorName = text("operator");
        run.instrument = text("instrument");
        run.dateText = text("date");
        run.comment = text("description");
    } catch (const nlohmann::json::exception&) {
        throw refuse("нет массивов времени, температуры и сигнала");
    }
    if (run.time.size() != run.temperature.size() || run.time.size() != run.signal.size() ||
        run.time.size() < 2)
        throw refuse("массивы разной длины или меньше двух точек");
    for (size_t i = 0; i < run.time.size(); ++i) {
        if (!std::isfinite(run.time[i]) || !std::isfinite(run.temperature[i]) ||
            !std::isfinite(run.signal[i]) || (i > 0 && !(run.time[i] > run.time[i - 1])))
            throw refuse("точка " + std::to_string(i + 1) + " не годится");
    }
    run.columns = {{"time", "s"}, {"temperature", "°C"}, {"signal", run.signalUnit}};
    run.timeColumn = 0, run.temperatureColumn = 1, run.signalColumn = 2;
    for (size_t i = 0; i < run.time.size() && i < 20; ++i)
        run.firstRows.push_back(
            {std::to_string(run.time[i]), std::to_string(run.temperature[i]), std::to_string(run.signal[i])});
    run.rowsRead = run.time.size();
    if (aOptions.mass) run.mass = aOptions.mass;
    if (aOptions.endoUp) run.endoUp = aOptions.endoUp;
    if (!run.endoUp) run.warnings.push_back("Направление эндотермических эффектов в файле не указано");
    return run;
}

}  // namespace kalvero::foreign
