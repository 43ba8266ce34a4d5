#pragma once
// The process-wide calibration tables (gTempCalibrationTable, gDiffTempCalibrationTable,
// gHeatCalibrationTable), created and loaded from the configuration at start-up.

#include <string>
#include <vector>

#include "common/Config.h"

namespace kalvero {

inline constexpr const char* INCORRECT_DIFF_TABLE_TYPE_MSG = "Incorrect type for DiffTempCalibrationTable";

// Creates the three tables as the program's start-up does: the temperature table for the count
// range tMinADCValue … tMaxADCValue × tADCMultiplier, the dT table (a TDiffTempCalibrationTable
// over the temperature table's real range for type 1, a TTempCalibrationTable over the dT count
// range for type 0), the heat table over the same real range when showHeatCalibration is set.
// Each is named, loaded from its configured file in the calibration folder and recalculated; an
// empty file name leaves the table as created (the identity), opening no file.
//
// A table whose file cannot be loaded or calculated is shown in the error box, logged, and left
// as created, so that a damaged file does not keep the program from starting; the messages are
// returned. Any other dT table type is ECalibrationException "Incorrect type for
// DiffTempCalibrationTable", with nothing left created. Existing tables are freed first.
std::vector<std::string> CreateGlobalCalibrationTables(TAppConfig& aConfig);

// The temperature range of the dT and heat tables: the real range of the temperature table in
// force, or the configured count range without one.
void TemperatureTableRange(float& aBegTemp, float& aEndTemp);

// Frees the three tables and clears the globals.
void FreeGlobalCalibrationTables();

}  // namespace kalvero
