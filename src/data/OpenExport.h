#pragma once
// The open export of an experiment for other programs and scripts: every sample of a channel as
// time (s), temperature (°C) and signal in named units, with every descriptive field, as
// comma-separated text under a commented header or as one JSON object with arrays. What it writes
// the importers read back to the same values (a physical experiment's readings in full double
// precision).

#include <string>

namespace kalvero {

class TDataClass;

enum class TOpenExportFormat { Csv, Json };

// The export's text. aCalibration names the calibration tables a recorded run is converted with
// (empty for a physical experiment, which needs none).
std::string OpenExportText(const TDataClass& aData, TOpenExportFormat aFormat, int aChannel = 0);
// The same written to aFileName (crash-safe: a failed write leaves the old file).
void WriteOpenExport(const TDataClass& aData, const std::string& aFileName, TOpenExportFormat aFormat,
                     int aChannel = 0);

}  // namespace kalvero
