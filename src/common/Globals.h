#pragma once
// Process-wide objects, created at start-up and freed at shutdown; null until then.

namespace kalvero {

class TLogger;
class TAppConfig;
class TCalibrationTable;
class TTempCalibrationTable;
class THeatCalibrationTable;

extern TLogger* gLogger;
extern TAppConfig* gConfig;
// The three calibration tables. The dT table is held through the base type: it may be a
// temperature table. Code that converts samples treats a missing table as the identity.
extern TTempCalibrationTable* gTempCalibrationTable;
extern TCalibrationTable* gDiffTempCalibrationTable;
extern THeatCalibrationTable* gHeatCalibrationTable;

// Set when the program is asked to close / must close; set when the calibrated values of every
// open experiment must be recomputed (after a table was exchanged).
extern bool gCanCloseApplication;
extern bool gMustCloseApplication;
extern bool gNeedRecalcCurveRealValues;

}  // namespace kalvero
