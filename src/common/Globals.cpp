#include "common/Globals.h"

namespace kalvero {

TLogger* gLogger = nullptr;
TAppConfig* gConfig = nullptr;
TTempCalibrationTable* gTempCalibrationTable = nullptr;
TCalibrationTable* gDiffTempCalibrationTable = nullptr;
THeatCalibrationTable* gHeatCalibrationTable = nullptr;
bool gCanCloseApplication = false;
bool gMustCloseApplication = false;
bool gNeedRecalcCurveRealValues = false;

}  // namespace kalvero
