#pragma once
// "Расчёт": a table calculated from the points the operator gives, the same way wherever they
// come from (the calibration dialog's grid, the command line). Every build runs on a copy of the
// table and takes the result over only when the whole calculation succeeded, so a failure leaves
// the table in force — the one every open experiment converts through — exactly as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "calibration/CommonCalibration.h"

namespace kalvero {

class TTempCalibrationTable;
class TDiffTempCalibrationTable;
class THeatCalibrationTable;

struct RTempRow {
    int32_t units = 0;  // converter counts
    float degrees = 0;
    std::string description;
};

struct RDiffTempRow {
    int32_t sampleTemp = 0;  // whole degrees
    float dT = 0;            // the known temperature difference, degrees
    int32_t height = 0;      // dT peak height, counts
    std::string description;
};

struct RHeatRow {
    int32_t temp = 0;  // transition temperature, whole degrees
    int32_t area = 0;  // peak area, counts
    float mass = 0;    // mg
    float heat = 0;    // J/g
    std::string description;
};

struct RHeatOptions {
    TInterpolationType method = itLine;
    bool useMarginPoints = false;
    bool useTunePoint = false;
    bool recalcBase = false;  // the tune point rewrites the reference areas
    float tuneMass = 0, tuneDh = 0, tuneTransTemp = 0;
    int32_t tuneArea = 0;
};

// The points from the rows, then Calc (sorting and clamping into the count range).
void BuildTempTable(TTempCalibrationTable& aTable, const std::vector<RTempRow>& aRows);

// The points from the rows over the temperature range aBegTemp … aEndTemp, filled by aMethod.
void BuildDiffTempTable(TDiffTempCalibrationTable& aTable, const std::vector<RDiffTempRow>& aRows,
                        TInterpolationType aMethod, float aBegTemp, float aEndTemp);

// The measured points, a computed margin point at each end of aBegTemp … aEndTemp on the line
// through the two nearest points, the options, then Calc. With recalcBase the calculation runs a
// second time from the areas the first one rewrote. Fewer than two rows: ERefPoinsCount.
void BuildHeatTable(THeatCalibrationTable& aTable, const std::vector<RHeatRow>& aRows, float aBegTemp,
                    float aEndTemp, const RHeatOptions& aOptions);

// The measured points of a heat table (the margin points left out), as rows.
std::vector<RHeatRow> MeasuredHeatRows(const THeatCalibrationTable& aTable);

// Whether aDescription is the label of a computed margin point.
bool IsHeatMarginLabel(const std::string& aDescription);

}  // namespace kalvero
