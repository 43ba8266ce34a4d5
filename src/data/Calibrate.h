#pragma once
// Conversions of raw readings through the process-wide calibration tables. Without a table
// (no start-up has created them) a reading stands for itself.

#include <cstdint>

#include "calibration/CommonCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"

namespace kalvero {

inline TCalibrationTable* TempTable() {
    return gTempCalibrationTable;
}

// A temperature table that turns counts into degrees: one with reference points. Without it
// the "temperatures" are counts.
inline bool TemperatureTableInForce() {
    const TCalibrationTable* table = TempTable();
    return table && table->GetRefPointsCount() >= 2;
}

inline float TempRealValue(int32_t aT) {
    TCalibrationTable* table = TempTable();
    return table ? table->GetRealValue(aT) : static_cast<float>(aT);
}

inline float DiffTempRealValue(int32_t aDt, float aTc) {
    return gDiffTempCalibrationTable ? gDiffTempCalibrationTable->GetRealValue(aDt, aTc)
                                     : static_cast<float>(aDt);
}

}  // namespace kalvero
