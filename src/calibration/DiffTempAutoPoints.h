#pragma once
// Differential-temperature reference points taken from a measured curve of reference substances:
// one point per melting peak of channel 0, with the temperature difference the peak produced and
// its height in counts.

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kalvero {

class TDataClass;
class TDiffTempCalibrationTable;
class TAppConfig;

inline constexpr const char* NO_PEAKS_FOR_AUTO_CALIBRATION_MSG =
    "На данной кривой не обнаружено пиков. Автоматическая калибровка невозможна.";

class ENoPeaksForCalibration : public std::runtime_error {
public:
    ENoPeaksForCalibration() : std::runtime_error(NO_PEAKS_FOR_AUTO_CALIBRATION_MSG) {}
};

struct RDiffTempAutoPoint {
    double temp = 0;     // sample temperature at the peak top, degrees (fractions kept)
    double dT = 0;       // the temperature difference the peak produced, degrees
    int32_t height = 0;  // peak height, counts
    double factor = 0;   // dT / height; 0 for a peak without height
};

// Detects the peaks of aExperiment's channel 0 over the whole record and measures one point per
// peak, in detection order. The experiment is only read: detection runs on a scratch copy of
// channel 0, so the operator's peaks, markers, tangents and channels stay as they are.
// ENoPeaksForCalibration when the curve has no peak.
std::vector<RDiffTempAutoPoint> DiffTempPointsFromCurve(const TDataClass& aExperiment,
                                                        const TAppConfig& aConfig);

// The whole degree a sample temperature with fractions is keyed by: the nearest one, halves away
// from zero. std::range_error beyond Int32.
int32_t WholeDegree(double aTemp);

// Replaces aTable's points by aPoints and calculates it. The table keys points by whole degrees:
// a temperature is rounded to the nearest one; points without height carry no factor and are left
// out. The number of points used.
int FillDiffTempTable(TDiffTempCalibrationTable& aTable, const std::vector<RDiffTempAutoPoint>& aPoints);

}  // namespace kalvero
