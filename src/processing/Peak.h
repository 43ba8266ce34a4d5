#pragma once
// A peak: one thermal effect on the dT curve between a left and a right margin, with its base
// line, top, optional onset tangent and its area cut into sub-areas. TPeak holds the geometry and
// the editing operations the data window calls when a line is dragged; TStandardPeak computes the
// centre, the integration, the area sums and the size text.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Object.h"
#include "data/DataClass.h"
#include "data/ItemArray.h"
#include "processing/CurveObjects.h"

namespace kalvero {

class EPeakException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Indexes of the cut lines every peak has; the tangent, when there is one, is the last line.
inline constexpr int PEAK_LINE_LEFT_MARGIN = 0;
inline constexpr int PEAK_LINE_RIGHT_MARGIN = 1;
inline constexpr int PEAK_LINE_BASE = 2;
inline constexpr int PEAK_LINE_TOP = 3;
inline constexpr int PEAK_LINE_TANGENT = 4;

// The virtual base line a peak is integrated over: the straight line between the base line's two
// points, which the operator may drag, or one of the lines the standards' evaluations build from
// the curve between the margins (evaluation/BaseLines.h): level with the left or the right margin,
// sigmoidal between the margin levels, or sigmoidal between lines fitted inside either margin.
enum TPeakBaseLineKind : uint8_t {
    pbkStraight = 0,
    pbkHorizontalLeft = 1,
    pbkHorizontalRight = 2,
    pbkSigmoidal = 3,
    pbkTangentialSigmoidal = 4
};
inline constexpr int PEAK_BASELINE_KIND_COUNT = 5;

// "line", "left", "right", "sigmoid", "tangent-sigmoid": the names of files and the command line.
const char* PeakBaseLineKey(TPeakBaseLineKind aKind);
std::optional<TPeakBaseLineKind> PeakBaseLineFromKey(const std::string& aKey);
// "Прямая", "Горизонтальная слева", …: as the operator chooses it.
const char* PeakBaseLineCaption(TPeakBaseLineKind aKind);

class TPeak : public TObject {
public:
    // aDataItems is the experiment's sample array, read (channel 0) and never copied: the peak
    // lives in the experiment's collection and dies with it. aOwner, the experiment, converts
    // readings to values (its own scale or the process-wide tables); without it the tables do.
    TPeak(const TItemArray& aDataItems, float aFreq, const TDataClass* aOwner = nullptr)
        : fFreq(aFreq), fDataItems(&aDataItems), fOwner(aOwner) {}

    virtual void CalcCenterPoint() = 0;
    virtual void CalcPeakIntegration() = 0;
    virtual long double GetSummaryArea() const = 0;
    virtual long double GetSummaryAreaInRealUnits() const = 0;
    virtual long double GetSummaryAreaCalibrated() const = 0;
    virtual std::string GetPeakSizeStr(TAreaScale aAreaScale, double aWeight) const = 0;

    // top: the first item of the largest deviation from the base line; state from the curve at
    // top against the curve at begX.
    void CalcPeakTop();
    // Whether the curve at the top lies above the base line (towards larger readings).
    bool PointsUp() const;
    TCutLine CutlinesLeftMargin() const { return cutLines.at(PEAK_LINE_LEFT_MARGIN); }
    TCutLine CutlinesRightMargin() const { return cutLines.at(PEAK_LINE_RIGHT_MARGIN); }
    TCutLine CutlinesBaseLine() const { return cutLines.at(PEAK_LINE_BASE); }
    // The base line (spanning begX … endX) at aX, rounded.
    int32_t GetBaseLineCrossingYCoord(int aX) const;
    // The same unrounded, in readings: the straight line, or the computed one inside the margins.
    double BaseLineReading(int64_t aX) const;

    // Another kind of base line: integrated anew over it, the top sought again and its line moved.
    void SetBaseLineKind(TPeakBaseLineKind aKind);
    // Whether the base line in force is one computed from the curve (a kind other than the
    // straight one that could be computed); its two points are then not the operator's to drag.
    bool HasComputedBaseLine() const { return !fBaseReadings.empty(); }
    // Why the kind chosen could not be computed (the straight line stands in), or what to mind.
    const std::vector<std::string>& BaseLineWarnings() const { return fBaseLineWarnings; }
    int32_t GetHeightAtPoint(int aX, int aDtValue) const;

    // Editing. Margins and the base line re-integrate; the top and the tangent only move lines.
    // EPeakException "Incorrect margin type" for a line that is not a margin.
    void UpdatePeakMargin(TCutLineType aMargin, int aNewPos);
    void UpdatePeakBaseLine(int aPointNumber, int aNewPos);
    void UpdatePeakTangent(int aPointNumber, int aNewPos);
    void UpdatePeakTop(int aObjNumber, int aNewPos);
    // Re-attaches the top line and the tangent to the base line. A line parallel to the base line,
    // or crossing it too far out for an item index, keeps its point.
    void UpdateBaseCrossingLines();
    // Keeps the first four lines: drops the tangent.
    void RemoveExternalCalculations();

    float fFreq;
    const TItemArray* fDataItems;
    const TDataClass* fOwner;
    std::string comment;
    int32_t minY = 0, maxY = 0;
    int32_t begX = 0, endX = 0;
    int32_t top = 0;
    bool active = false;
    TPeakState state = PEAK_STATE_UP;
    int32_t height = 0;
    std::vector<RPeakAreaValue> fAreas;
    TPeakCutType cutType = PEAK_CUTTYPE_FULLAREA;
    TPoint fullAreaStartPoint;
    TPoint peakCenter;
    std::vector<TCutLine> cutLines;
    TCurveMode actualMode = vm_view_dT_by_time;
    TPeakBaseLineKind baseLineKind = pbkStraight;

protected:
    // The base line of a kind other than the straight one, in readings over begX … endX, computed
    // from the curve; the top line's foot follows it. Integration calls it first.
    void ComputeBaseLine();
    // Channel 0 sample aX; std::out_of_range outside the record.
    const TItem& Sample(int64_t aX) const;
    // A signal reading as a value at a temperature in degrees (the owner's conversion).
    double SignalValue(int32_t aDt, float aTc) const;
    int32_t Y(int64_t aX) const { return Sample(aX).dt; }
    // The base line's two ends.
    const TCoordPoint& BasePoint(int aIndex) const { return cutLines.at(PEAK_LINE_BASE).points.at(aIndex); }

    std::vector<double> fBaseReadings;  // the computed base line, one reading per item begX … endX
    std::vector<std::string> fBaseLineWarnings;
};

class TStandardPeak : public TPeak {
public:
    using TPeak::TPeak;

    // peakCenter: the middle item and the middle of the curve's range over the peak.
    void CalcCenterPoint() override;
    // The base line of the peak's kind, then sub-areas of about a hundredth of the width, each
    // summing |base line − curve| in counts, in counts × seconds (trapezoids) and in degrees ×
    // seconds. A peak without width has none.
    void CalcPeakIntegration() override;
    // Counts, or counts × seconds with the by-time area type.
    long double GetSummaryArea() const override;
    // Degrees × seconds.
    long double GetSummaryAreaInRealUnits() const override;
    // Joules: every sub-area through the heat factor at its own temperature. EPeakException
    // without a heat table. A peak of a physical heat-flow signal is a heat by itself: mW·s are
    // mJ, and a signal per mass gives J/g, turned into J by the sample mass.
    long double GetSummaryAreaCalibrated() const override;
    // "1 234 отсч.", "12.35 Дж", "494.00 Дж/г" (aWeight in mg), or "Не задана масса навески".
    std::string GetPeakSizeStr(TAreaScale aAreaScale, double aWeight) const override;
};

// The number format of the size texts: 16 significant digits, aDecimals after the point, groups
// of three digits separated by a space.
std::string FormatAreaNumber(long double aValue, int aDecimals);

}  // namespace kalvero
