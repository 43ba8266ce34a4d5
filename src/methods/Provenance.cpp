#include "methods/Provenance.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "calibration/CommonCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Config.h"
#include "common/DateTime.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "data/Version.h"

namespace kalvero::methods {
namespace {

std::string FileDate(const std::filesystem::path& aPath) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(aPath, ec);
    if (ec) return "";
    const auto system = std::chrono::file_clock::to_sys(written);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    return FormatDateTime("yyyy-mm-dd hh:nn", UnixToDateTime(seconds));
}

void AddTable(std::vector<RCalibrationInUse>& aOut, const char* aKind, const TCalibrationTable* aTable,
              const TAppConfig& aConfig) {
    if (!aTable || aTable->GetRefPointsCount() == 0) return;
    RCalibrationInUse t{aKind, aTable->GetFileName(), ""};
    if (t.name.empty()) {
        t.name = aTable->GetName();
    } else {
        const std::filesystem::path file(t.name);
        t.date = FileDate(file.is_absolute() ? file
                                             : std::filesystem::path(aConfig.fCalibrationTablesPath) / file);
    }
    aOut.push_back(std::move(t));
}

}  // namespace

RProvenance ProvenanceOf(const TDataClass& d, const std::string& aMethod, const TAppConfig& aConfig) {
    RProvenance p{aMethod, "Kalvero " + ProductVersion(), FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()), {}};
    if (!d.IsPhysical()) {
        AddTable(p.tables, "Температура", gTempCalibrationTable, aConfig);
        AddTable(p.tables, "dT", gDiffTempCalibrationTable, aConfig);
        AddTable(p.tables, "Теплота", gHeatCalibrationTable, aConfig);
    }
    return p;
}

std::string TablesText(const std::vector<RCalibrationInUse>& aTables) {
    std::string out;
    for (const RCalibrationInUse& t : aTables) {
        if (!out.empty()) out += "; ";
        out += t.kind + ": " + t.name;
        if (!t.date.empty()) out += " (" + t.date + ")";
    }
    return out.empty() ? "—" : out;
}

}  // namespace kalvero::methods
