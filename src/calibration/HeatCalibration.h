#pragma once
// Heat calibration: peak areas (dT counts summed over time) to heats. One factor in joules per
// area count for every whole degree over the range of the temperature table, filled from
// reference substances by one of four methods; a tune point can scale the whole table (or
// rewrite the reference areas) so that it matches one more measurement exactly.

#include <cstdint>
#include <string>

#include "calibration/CommonCalibration.h"

namespace kalvero {

// Descriptions of the two computed points at the ends of the range.
inline constexpr const char* HEAT_START_MARGIN_LABEL = "Нач. расч. точка";
inline constexpr const char* HEAT_END_MARGIN_LABEL = "Кон. расч. точка";

class THeatCalibrationTable : public TCalibrationTable {
public:
    // The table covers the whole degrees from aBegTemp to aEndTemp (rounded), end excluded.
    THeatCalibrationTable(float aBegTemp, float aEndTemp);

    // Entries are kept up to the new length, new ones are 0. A range whose end lies below its
    // start or that is too long is ECalibrationException, the table then unchanged.
    std::unique_ptr<TCalibrationTable> Clone() const override {
        return std::make_unique<THeatCalibrationTable>(*this);
    }
    void Assign(const TCalibrationTable& aOther) override { *this = SameKind<THeatCalibrationTable>(aOther); }

    void SetTemperatureRange(float aBegTemp, float aEndTemp);

    // factor = aWeight [mg] × aSpecificHeat [J/g] / 1000 / aArea [counts]; area 0 is
    // std::domain_error (division by zero).
    void AddHeatRefPoint(int32_t aSampleTemp, int32_t aArea, float aWeight, float aSpecificHeat,
                         bool aVirtyualPoint, const std::string& aDescription);
    // With the factor given; a negative area is std::range_error.
    void AddHeatRefPoint(int32_t aSampleTemp, int32_t aArea, float aWeight, float aSpecificHeat,
                         float aRealValue, bool aVirtyualPoint, const std::string& aDescription);

    // J per area count at the sample temperature: the entry of the nearest whole degree, held
    // beyond both ends. An empty table is std::range_error.
    float GetHeatFactor(float aSampleTemp) const;

    // Fills the entries by interpType, applies the tune point, sets the range ends to the first
    // and last entry. A table left all 0 is shown and logged.
    void Calc() override;

    bool IsUseHeatTunePoint() const { return useHeatTunePoint; }
    void SetUseHeatTunePoint(bool aUseHeat) { useHeatTunePoint = aUseHeat; }
    bool IsUseMarginPoints() const { return tp_useMarginPoints; }
    void SetUseMarginPoints(bool aUseMargin) { tp_useMarginPoints = aUseMargin; }
    int32_t GetTunePointArea() const { return tp_area; }
    void SetTunePointArea(int32_t aArea) { tp_area = aArea; }
    float GetTunePointDh() const { return tp_dH; }
    void SetTunePointDh(float aDh) { tp_dH = aDh; }
    float GetTunePointMass() const { return tp_mass; }
    void SetTunePointMass(float aMass) { tp_mass = aMass; }
    float GetTunePointTransTemp() const { return tp_transTemp; }
    void SetTunePointTransTemp(float aTransTemp) { tp_transTemp = aTransTemp; }
    float GetTunePointFactor() const { return tp_factor; }
    bool IsRecalcBaseFromTunePoint() const { return recalcBaseFromTunePoint; }
    void SetRecalcBaseFromTunePoint(bool aRecalc) { recalcBaseFromTunePoint = aRecalc; }

    int32_t GetBegTemp() const { return begTemp; }
    int32_t GetEndTemp() const { return endTemp; }

private:
    void FillLine();
    void FillPolynomial();
    void FillMinSquare();
    void FillBezier();
    void ApplyTunePoint();

    int32_t begTemp = 0;
    int32_t endTemp = 0;
    bool recalcBaseFromTunePoint = false;
};

}  // namespace kalvero
