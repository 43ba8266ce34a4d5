#pragma once
// What produced a result: the method, the program's version, the calibration tables the
// experiment's values went through (with the dates of their files) and the time of the
// evaluation, so that a rerun after a change of method, program or tables can be told from the
// first run.

#include <string>
#include <vector>

namespace kalvero {
class TAppConfig;
class TDataClass;
}  // namespace kalvero

namespace kalvero::methods {

struct RCalibrationInUse {
    std::string kind;  // "Температура", "dT", "Теплота"
    std::string name;  // the table's file name, or its own name when it has no file
    std::string date;  // "yyyy-mm-dd hh:nn" of the table's file; empty when it has none
};

struct RProvenance {
    std::string method;
    std::string program;      // "Kalvero 0.1.0"
    std::string evaluatedAt;  // "yyyy-mm-dd hh:nn:ss"
    // The process-wide tables with points, for a recorded run; none for one in physical units,
    // which no table touches.
    std::vector<RCalibrationInUse> tables;
};

// The provenance of results of aData evaluated now by the method aMethod.
RProvenance ProvenanceOf(const TDataClass& aData, const std::string& aMethod, const TAppConfig& aConfig);

// "temperature: T.tbl (2026-12-01 10:00); dT: ..." or "—" for none.
std::string TablesText(const std::vector<RCalibrationInUse>& aTables);

}  // namespace kalvero::methods
