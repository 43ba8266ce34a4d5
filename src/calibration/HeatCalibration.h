#pragma once
// Heat calibration: peak areas to heats.

#include "calibration/CommonCalibration.h"

namespace kalvero {

class THeatCalibrationTable : public TCalibrationTable {};

}  // namespace kalvero
