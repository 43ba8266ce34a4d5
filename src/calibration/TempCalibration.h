#pragma once
// Temperature calibration: converter counts to degrees and back along the broken line through
// the reference points (counts → degrees), extended beyond both ends by the end segments.
// Also serves as the dT table when dT is calibrated without regard to the sample temperature.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "calibration/CommonCalibration.h"

namespace kalvero {

class TTempCalibrationTable : public TCalibrationTable {
public:
    // The count range [aBegUnitsTemp, aEndUnitsTemp] to which Calc clamps the points; the count
    // limits come from the configuration (tMinADCValue, tMaxADCValue).
    TTempCalibrationTable(int32_t aBegUnitsTemp, int32_t aEndUnitsTemp);
    TTempCalibrationTable(const TTempCalibrationTable& aOther);
    TTempCalibrationTable& operator=(const TTempCalibrationTable& aOther);

    std::unique_ptr<TCalibrationTable> Clone() const override {
        return std::make_unique<TTempCalibrationTable>(*this);
    }
    void Assign(const TCalibrationTable& aOther) override { *this = SameKind<TTempCalibrationTable>(aOther); }

    // A point aUnitTemp counts → aRealTemp degrees (description cut to 255 characters).
    void AddTempRefPoint(int32_t aUnitTemp, float aRealTemp, const std::string& aDescription);

    using TCalibrationTable::GetUnitsValue;
    // No points: the counts themselves. One point: std::runtime_error, a line needs two.
    float GetRealValue(int32_t aUnitsValue) override;
    // aForParam is ignored.
    float GetRealValue(int32_t aUnitsValue, float aForParam) override;
    float GetMaxRealValue(int32_t aUnitsValue) override;
    // Degrees to counts, rounded ties to even; std::range_error beyond Int32.
    int32_t GetUnitsValue(float aRealValue) override;
    // Always ECalibrationException "Not applicable for Temparature calibration".
    float GetFactor(float aRealValue) override;
    // Sorts the points by counts, clamps them into the count range and sets the real range ends.
    void Calc() override;

    int32_t GetBegUnitsTemp() const { return fBegUnitsTemp; }
    int32_t GetEndUnitsTemp() const { return fEndUnitsTemp; }

private:
    int32_t fBegUnitsTemp;
    int32_t fEndUnitsTemp;
    // The segment of the last conversion (checked before use, so any value is safe).
    std::atomic<size_t> fSegmentHint{0};
};

}  // namespace kalvero
