#pragma once
// Calibration table files made for tests.

#include <string>

#include "calibration/TempCalibration.h"

namespace kalvero::test {

// A temperature table file aFile of counts 0 … 4000 to aLow … aHigh degrees.
inline void WriteTempTableFile(const std::string& aFile, float aLow, float aHigh) {
    TTempCalibrationTable t(0, 4095);
    t.AddTempRefPoint(0, aLow, "");
    t.AddTempRefPoint(4000, aHigh, "");
    t.Calc();
    t.SaveToFile(aFile);
}

}  // namespace kalvero::test
