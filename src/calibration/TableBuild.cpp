#include "calibration/TableBuild.h"

#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/Interpolation.h"
#include "calibration/TempCalibration.h"

namespace kalvero {
namespace {

using calibration_math::RoundToInt32;

// Runs aBuild on a copy of aTable and takes the copy over when it succeeded.
template <typename Table, typename Build>
void BuildOnCopy(Table& aTable, Build aBuild) {
    const std::unique_ptr<TCalibrationTable> copy = aTable.Clone();
    aBuild(static_cast<Table&>(*copy));
    aTable.Assign(*copy);
}

// The factor at aAt on the straight line through two points.
float MarginFactor(const TRefPoint& a, const TRefPoint& b, double aAt) {
    long double slope, intercept;
    FitLine({{static_cast<long double>(a.unitValue), a.realValue},
             {static_cast<long double>(b.unitValue), b.realValue}},
            slope, intercept);
    return static_cast<float>(slope * aAt + intercept);
}

void CalcHeat(THeatCalibrationTable& t, const std::vector<RHeatRow>& aRows, float aBegTemp, float aEndTemp,
              const RHeatOptions& o) {
    t.ClearRefPoints();
    for (const RHeatRow& row : aRows)
        t.AddHeatRefPoint(row.temp, row.area, row.mass, row.heat, false, row.description);
    if (aRows.size() < 2) throw ERefPoinsCount();
    const TCustomCollection& points = t.GetRefPoints();
    t.AddHeatRefPoint(RoundToInt32(aBegTemp), 0, 0, 0,
                      MarginFactor(points.GetItem(0), points.GetItem(1), aBegTemp), true,
                      HEAT_START_MARGIN_LABEL);
    TCustomCollection sorted = t.GetRefPoints();
    sorted.Sort();
    t.SetRefPoints(sorted);
    const int n = sorted.GetItemCount();
    t.AddHeatRefPoint(RoundToInt32(aEndTemp), 0, 0, 0,
                      MarginFactor(sorted.GetItem(n - 2), sorted.GetItem(n - 1), aEndTemp), true,
                      HEAT_END_MARGIN_LABEL);
    t.SetInterpolationType(o.method);
    t.SetTemperatureRange(aBegTemp, aEndTemp);
    t.SetUseMarginPoints(o.useMarginPoints);
    t.SetUseHeatTunePoint(o.useTunePoint);
    t.SetRecalcBaseFromTunePoint(o.recalcBase);
    t.SetTunePointMass(o.tuneMass);
    t.SetTunePointTransTemp(o.tuneTransTemp);
    t.SetTunePointDh(o.tuneDh);
    t.SetTunePointArea(o.tuneArea);
    t.Calc();
}

}  // namespace

bool IsHeatMarginLabel(const std::string& aDescription) {
    return aDescription == HEAT_START_MARGIN_LABEL || aDescription == HEAT_END_MARGIN_LABEL;
}

void BuildTempTable(TTempCalibrationTable& aTable, const std::vector<RTempRow>& aRows) {
    BuildOnCopy(aTable, [&](TTempCalibrationTable& t) {
        t.ClearRefPoints();
        for (const RTempRow& row : aRows)
            t.AddTempRefPoint(row.units, row.degrees, row.description);
        t.Calc();
    });
}

void BuildDiffTempTable(TDiffTempCalibrationTable& aTable, const std::vector<RDiffTempRow>& aRows,
                        TInterpolationType aMethod, float aBegTemp, float aEndTemp) {
    BuildOnCopy(aTable, [&](TDiffTempCalibrationTable& t) {
        t.ClearRefPoints();
        for (const RDiffTempRow& row : aRows)
            t.AddDiffTempRefPoint(row.sampleTemp, row.dT, row.height, row.description);
        t.SetInterpolationType(aMethod);
        t.SetTemperatureRange(aBegTemp, aEndTemp);
        t.Calc();
    });
}

std::vector<RHeatRow> MeasuredHeatRows(const THeatCalibrationTable& aTable) {
    std::vector<RHeatRow> rows;
    for (const TCustomCollectionItem& item : aTable.GetRefPoints().items) {
        const TRefPoint& p = item.value;
        if (IsHeatMarginLabel(p.description)) continue;
        rows.push_back({p.unitValue, static_cast<int32_t>(p.area), p.weight, p.specificHeat, p.description});
    }
    return rows;
}

void BuildHeatTable(THeatCalibrationTable& aTable, const std::vector<RHeatRow>& aRows, float aBegTemp,
                    float aEndTemp, const RHeatOptions& aOptions) {
    BuildOnCopy(aTable, [&](THeatCalibrationTable& t) {
        CalcHeat(t, aRows, aBegTemp, aEndTemp, aOptions);
        // The first run rewrote the areas; the second starts from them.
        if (aOptions.recalcBase) CalcHeat(t, MeasuredHeatRows(t), aBegTemp, aEndTemp, aOptions);
    });
}

}  // namespace kalvero
