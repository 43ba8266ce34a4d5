// Peak geometry and the editing operations of the dragged lines.

#include "processing/Peak.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "common/Globals.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "processing/MathUtils.h"
#include "processing/PeakUtils.h"
#include "processing/SampleView.h"

namespace kalvero {
namespace {

TLine LineOf(const TCutLine& aLine) {
    const TCoordPoint& a = aLine.points.at(0);
    const TCoordPoint& b = aLine.points.at(1);
    return {static_cast<long double>(a.x), static_cast<long double>(a.y), static_cast<long double>(b.x),
            static_cast<long double>(b.y)};
}

// The crossing rounded to item coordinates; false when there is none that fits.
bool CrossingPoint(const TCutLine& aLine, const TCutLine& aBase, TCoordPoint& aPoint) {
    TXYPoint p;
    if (!TryLineIntersect(LineOf(aLine), LineOf(aBase), p)) return false;
    constexpr long double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    if (!(p.x >= lo && p.x <= hi && p.y >= lo && p.y <= hi)) return false;
    aPoint.x = static_cast<int32_t>(Round(static_cast<double>(p.x)));
    aPoint.y = static_cast<int32_t>(Round(static_cast<double>(p.y)));
    return true;
}

}  // namespace

const TItem& TPeak::Sample(int64_t aX) const {
    if (aX < 0 || static_cast<size_t>(aX) >= fDataItems->ItemCount() || fDataItems->ChannelCount() == 0) {
        throw std::out_of_range("Peak item " + std::to_string(aX) + " is outside the record");
    }
    return (*fDataItems)[static_cast<size_t>(aX)][0];
}

int32_t TPeak::GetBaseLineCrossingYCoord(int aX) const {
    if (!fBaseReadings.empty() && aX >= begX && aX <= endX)
        return processing::RoundToInt32(BaseLineReading(aX));
    return processing::RoundToInt32(processing::Interp(begX, BasePoint(0).y, endX, BasePoint(1).y, aX));
}

int32_t TPeak::GetHeightAtPoint(int aX, int aDtValue) const {
    return static_cast<int32_t>(std::min<int64_t>(
        std::llabs(static_cast<int64_t>(aDtValue) - GetBaseLineCrossingYCoord(aX)), INT32_MAX));
}

double TPeak::SignalValue(int32_t aDt, float aTc) const {
    return fOwner ? fOwner->SignalValue(aDt, aTc) : DiffTempRealValue(aDt, aTc);
}

bool TPeak::PointsUp() const {
    if (fDataItems->ItemCount() == 0) return state == PEAK_STATE_UP;
    const int x = std::clamp<int>(top, 0, static_cast<int>(fDataItems->ItemCount()) - 1);
    return Y(x) > GetBaseLineCrossingYCoord(x) ||
           (Y(x) == GetBaseLineCrossingYCoord(x) && state == PEAK_STATE_UP);
}

void TPeak::CalcPeakTop() {
    int64_t largest = 0;
    for (int x = begX; x <= endX; ++x) {
        const int64_t d = std::llabs(static_cast<int64_t>(Y(x)) - GetBaseLineCrossingYCoord(x));
        if (d > largest) {
            largest = d;
            top = x;
        }
    }
    state = Y(top) <= Y(begX) ? PEAK_STATE_DOWN : PEAK_STATE_UP;
}

void TPeak::UpdatePeakMargin(TCutLineType aMargin, int aNewPos) {
    int lineIndex = 0, pointIndex = 0;
    if (aMargin == CUTLINE_PEAKLEFTMARGIN) {
        lineIndex = PEAK_LINE_LEFT_MARGIN, pointIndex = 0;
    } else if (aMargin == CUTLINE_PEAKRIGHTMARGIN) {
        lineIndex = PEAK_LINE_RIGHT_MARGIN, pointIndex = 1;
    } else {
        throw EPeakException("Incorrect margin type");
    }
    TCoordPoint& basePoint = cutLines.at(PEAK_LINE_BASE).points.at(pointIndex);
    TCutLine& margin = cutLines.at(lineIndex);
    const bool horizontal = gConfig && gConfig->peakBaseLineType == PEAK_BASELINE_HORIZONTAL;
    const int32_t y = horizontal ? basePoint.y : Y(aNewPos);  // read first: a bad position changes nothing
    basePoint.x = aNewPos;
    basePoint.y = y;
    (aMargin == CUTLINE_PEAKLEFTMARGIN ? begX : endX) = aNewPos;
    for (TCoordPoint& p : margin.points)
        p.x = aNewPos;
    UpdateBaseCrossingLines();
    CalcCenterPoint();
    CalcPeakIntegration();
}

void TPeak::UpdatePeakBaseLine(int aPointNumber, int aNewPos) {
    cutLines.at(PEAK_LINE_BASE).points.at(aPointNumber).y = aNewPos;
    UpdateBaseCrossingLines();
    CalcCenterPoint();
    CalcPeakIntegration();
}

void TPeak::UpdatePeakTangent(int aPointNumber, int aNewPos) {
    if (cutLines.empty()) throw std::out_of_range("The peak has no lines");
    const int32_t y = aPointNumber != 0 ? Y(aNewPos) : GetBaseLineCrossingYCoord(aNewPos);
    TCoordPoint& p = cutLines.back().points.at(aPointNumber);
    p.x = aNewPos;
    p.y = y;
    UpdateBaseCrossingLines();
}

void TPeak::UpdatePeakTop(int aObjNumber, int aNewPos) {
    const int minDistance = LLim(1, (endX - begX) / 10);
    const int x = HLLim(begX + minDistance, endX - minDistance, aNewPos);
    TCutLine& line = cutLines.at(aObjNumber);
    const int32_t curve = Y(x), base = GetBaseLineCrossingYCoord(x);
    if (aObjNumber == PEAK_LINE_TOP) top = x;
    if (line.points.size() < 2) line.points.resize(2);
    line.points[0].x = x, line.points[0].y = curve;
    line.points[1].x = x, line.points[1].y = base;
    CalcCenterPoint();
}

void TPeak::UpdateBaseCrossingLines() {
    if (cutLines.empty()) return;
    const TCutLine& base = cutLines.at(PEAK_LINE_BASE);
    for (TCutLine& line : cutLines) {
        if (line.lineType != CUTLINE_PEAKTOP && line.lineType != CUTLINE_TANGENT) continue;
        TCoordPoint crossing;
        if (!CrossingPoint(line, base, crossing)) continue;
        TCoordPoint& foot = line.points.at(line.lineType == CUTLINE_PEAKTOP ? 1 : 0);
        foot.x = crossing.x;
        foot.y = crossing.y;
    }
}

void TPeak::RemoveExternalCalculations() {
    if (cutLines.size() > 4) cutLines.resize(4);
}

}  // namespace kalvero
