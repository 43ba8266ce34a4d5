#pragma once
// What the plot code shares: the classes of display modes, axis titles, conversions of readings
// to degrees for the axes, and the state of the pass being drawn.

#include <cstdint>
#include <string>

#include "data/DataClass.h"

namespace kalvero {

class TDataCanvas;

bool IsScanMode(TCurveMode aMode);         // 2, 5, 9: only new samples are drawn
bool IsRepaintScanMode(TCurveMode aMode);  // 3, 6, 10
TCurveMode RepaintModeOf(TCurveMode aMode);
bool IsTempXMode(TCurveMode aMode);   // 1, 5, 6: temperature on x
bool IsTCurveMode(TCurveMode aMode);  // 4, 8, 9, 10: temperature curves

// The pass being drawn: the combined view draws a dT pass and a temperature pass.
struct TPlotPass {
    bool combined = false;
    int xTitleLeft = 1 << 30;  // where the x title starts on the label row: labels stop short of it
};
TPlotPass& PlotPass();

// The experiment's surface; EDataClassException when none is attached.
TDataCanvas& CanvasOf(const TDataClass& aData);

std::string TimeUnitText(TTimeScale aScale);  // "сек.", "мин.", "час." or "отсч."
std::string XAxisTitle(const TDataClass& aData);
std::string DtAxisTitle(const TDataClass& aData);  // "dT, отсч."
std::string TAxisTitle(const TDataClass& aData);   // "T, °С"
std::string YAxisTitle(const TDataClass& aData);   // by the current mode

// Readings as the experiment converts them (PhysicalUnits.h or the process-wide tables); when the
// conversion fails a reading stands for itself.
double TDegrees(const TDataClass& aData, int32_t aUnits);
double DtDegrees(const TDataClass& aData, int32_t aUnits, double aTemperature);

// The value range of the y axis in real units for the current mode (what AssignDrawMargins
// stores in begYr/endYr), and the x range in real units.
void RealYRange(const TDataClass& aData, long double& aBeg, long double& aEnd);
void RealXRange(const TDataClass& aData, long double& aBeg, long double& aEnd);

// The item range [aFirst, aLast] of channel aChannel that the current mode shows (empty when
// aLast < aFirst); always inside the items.
void ShownItems(const TDataClass& aData, int aChannel, int& aFirst, int& aLast);

// The graph pixel of item aItem of channel aChannel on the curve the current mode shows.
void CurvePoint(const TDataClass& aData, int aItem, int aChannel, int& x, int& y);

// A value formatted by a "%8.Nf" pattern, without the padding.
std::string FormatLabel(const std::string& aPattern, double aValue);

}  // namespace kalvero
