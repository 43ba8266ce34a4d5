#pragma once
// Differential-temperature calibration: dT counts × factor(T) = dT in degrees, where the factor
// (degrees per count) depends on the sample temperature T. The table holds one factor per whole
// degree over the range of the temperature table, computed from reference points (sample
// temperature, known temperature difference, measured peak height).

#include <cstdint>
#include <string>

#include "calibration/CommonCalibration.h"

namespace kalvero {

class TDiffTempCalibrationTable : public TCalibrationTable {
public:
    // The table covers the whole degrees from aBegTemp to aEndTemp (rounded), end excluded.
    TDiffTempCalibrationTable(float aBegTemp, float aEndTemp);

    // Discards the entries: every one becomes 1.0, both extreme factors 1.0. A range whose end
    // lies below its start or that is longer than MAX_TABLE_ENTRIES degrees is
    // ECalibrationException, the table then unchanged.
    std::unique_ptr<TCalibrationTable> Clone() const override {
        return std::make_unique<TDiffTempCalibrationTable>(*this);
    }
    void Assign(const TCalibrationTable& aOther) override {
        *this = SameKind<TDiffTempCalibrationTable>(aOther);
    }

    void SetTemperatureRange(float aBegTemp, float aEndTemp);

    // A point at sample temperature aSampleTemp: factor = aDiffTemp / aPeakHeight. A negative
    // height is std::range_error, a zero height std::domain_error (division by zero).
    void AddDiffTempRefPoint(int32_t aSampleTemp, float aDiffTemp, int32_t aPeakHeight,
                             const std::string& aDescription);

    using TCalibrationTable::GetRealValue;
    using TCalibrationTable::GetUnitsValue;
    // aUnitsValue counts at sample temperature aForParam degrees: the factor interpolated between
    // the two whole degrees around it (the end factors beyond the table).
    float GetRealValue(int32_t aUnitsValue, float aForParam) override;
    float GetMaxRealValue(int32_t aUnitsValue) override;
    float GetMiddleRealValue(int32_t aUnitsValue) override;
    float GetMinRealValue(int32_t aUnitsValue) override;
    // Always ECalibrationException "Do not use!": dT counts need a sample temperature.
    int32_t GetUnitsValue(float aRealValue) override;
    int32_t GetUnitsValueByHighRange(float aRealValue) override;
    int32_t GetUnitsValueByMiddleRange(float aRealValue) override;
    int32_t GetUnitsValueByLowRange(float aRealValue) override;
    // aRealValue degrees at the whole-degree sample temperature aForPoint, in counts.
    int32_t GetUnitsValue(float aRealValue, int32_t aForPoint) override;
    // The factor of the nearest whole degree, held beyond both ends.
    float GetFactor(float aRealValue) override;
    // Fills the entries from the points by interpType (line or polynomial; the other methods
    // leave every entry 0, which is shown and logged), then the extreme factors and the dT range.
    void Calc() override;

    int32_t GetBegTemp() const { return fBegTemp; }
    int32_t GetEndTemp() const { return fEndTemp; }
    float GetMaxFactor() const { return fMaxFactor; }
    float GetMinFactor() const { return fMinFactor; }

private:
    float FactorAt(double x) const;
    // The configured dT count range, or the table's own limits without a configuration.
    void AdcRange(int32_t& aMin, int32_t& aMax) const;

    int32_t fBegTemp = 0;
    int32_t fEndTemp = 0;
    float fMaxFactor = 1;
    float fMinFactor = 1;
};

}  // namespace kalvero
