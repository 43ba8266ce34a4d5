#include "data/OpenExport.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/DateTime.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "data/Version.h"

namespace kalvero {
namespace {

// The shortest text that reads back to the same double.
std::string Exact(double aValue) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", aValue);
    return buffer;
}

// A field under its key in the JSON object and under the words of the text's header, which the
// importers read back ("# sample mass (mg): 5").
struct RField {
    const char* key;
    const char* words;
    std::string value;
};

std::string TableName(const TCalibrationTable* aTable) {
    if (!aTable || aTable->GetRefPointsCount() == 0) return "";
    return aTable->GetFileName().empty() ? aTable->GetName() : aTable->GetFileName();
}

// Every descriptive field, in the order the header lists them.
std::vector<RField> Fields(const TDataClass& d, const TPhysicalRun& r) {
    std::vector<RField> f = {
        {"program", "program", "Kalvero " + ProductVersion()},
        {"sample", "sample", d.fSampleName},
        {"mass_mg", "sample mass (mg)", d.fSampleWeight > 0 ? Exact(d.fSampleWeight) : ""},
        {"heating_rate_K_per_min", "heating rate (K/min)", d.fHeatSpeed != 0 ? Exact(d.fHeatSpeed) : ""},
        {"endothermic", "endothermic", d.EndoUp() ? "up" : "down"},
        {"signal_quantity", "signal", SignalQuantityKey(r.quantity)},
        {"signal_unit", "signal unit", r.unit},
        {"operator", "operator", d.fOperatorName},
        {"laboratory", "laboratory", d.fLaboratoryName},
        {"instrument", "instrument", d.fInstrument},
        {"date", "date", FormatDateTime("yyyy-mm-dd hh:nn:ss", d.fDateCreate)},
        {"description", "description", d.fDescription},
        {"source", "source", d.fSourceFile},
    };
    if (!d.IsPhysical()) {
        f.push_back({"temperature_table", "temperature table", TableName(gTempCalibrationTable)});
        f.push_back({"dt_table", "dT table", TableName(gDiffTempCalibrationTable)});
        f.push_back({"heat_table", "heat table", TableName(gHeatCalibrationTable)});
    }
    return f;
}

std::string SignalColumnName(TSignalQuantity aQuantity) {
    switch (aQuantity) {
        case sqHeatFlow:
        case sqHeatFlowPerMass:
            return "heat flow";
        case sqDiffTemp:
            return "dT";
        case sqSpecificHeat:
            return "cp";
        default:
            return "DSC";
    }
}

// A header value on one line.
std::string OneLine(std::string aText) {
    for (char& c : aText)
        if (c == '\n' || c == '\r') c = ' ';
    return aText;
}

}  // namespace

std::string OpenExportText(const TDataClass& d, TOpenExportFormat aFormat, int aChannel) {
    const TPhysicalRun r = PhysicalRunOf(d, aChannel);
    const std::vector<RField> fields = Fields(d, r);
    // The signal column named as the importers recognise it.
    const std::string signalColumn = SignalColumnName(r.quantity) + " (" + r.unit + ")";
    if (aFormat == TOpenExportFormat::Json) {
        nlohmann::ordered_json j;
        j["format"] = "Kalvero export";
        for (const RField& f : fields)
            j[f.key] = f.value;
        j["time_s"] = r.time;
        j["temperature_C"] = r.temperature;
        j["signal"] = r.signal;
        return j.dump(1) + "\n";
    }
    std::string out = "# Kalvero export\n";
    for (const RField& f : fields)
        out += "# " + std::string(f.words) + ": " + OneLine(f.value) + "\n";
    out += "time (s),temperature (°C)," + signalColumn + "\n";
    out.reserve(out.size() + r.time.size() * 48);
    for (size_t i = 0; i < r.time.size(); ++i)
        out += Exact(r.time[i]) + "," + Exact(r.temperature[i]) + "," + Exact(r.signal[i]) + "\n";
    return out;
}

void WriteOpenExport(const TDataClass& d, const std::string& aFileName, TOpenExportFormat aFormat,
                     int aChannel) {
    WriteFileAtomic(aFileName, OpenExportText(d, aFormat, aChannel));
}

}  // namespace kalvero
