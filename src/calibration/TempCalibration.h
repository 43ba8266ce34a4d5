#pragma once
// Temperature calibration: converter counts to degrees through reference points.

#include "calibration/CommonCalibration.h"

namespace kalvero {

class TTempCalibrationTable : public TCalibrationTable {};

}  // namespace kalvero
