// Calibration table files: loaded as the kind the header names (as "table show" does) and as
// every other kind, then calculated the way the start-up does after a load.

#include <exception>
#include <memory>

#include "FuzzSupport.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"

using namespace kalvero;

namespace {

void LoadAndCalc(TCalibrationTable& aTable, const std::string& aFile) {
    try {
        aTable.LoadFromPath(aFile);
        aTable.Calc();
        aTable.SaveToFile(fuzz::ScratchFolder() + "saved.tbl");
    } catch (const std::exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    fuzz::Config();
    const std::string file = fuzz::WriteInput("input.tbl", aData, aSize);
    TTempCalibrationTable temp(0, 1 << 16);
    LoadAndCalc(temp, file);
    TDiffTempCalibrationTable diff(-150, 1500);
    LoadAndCalc(diff, file);
    THeatCalibrationTable heat(-150, 1500);
    LoadAndCalc(heat, file);
    return 0;
}
