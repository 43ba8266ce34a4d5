#pragma once
// The numeric routines of processing: in-place smoothing of one channel of an item array,
// derivative estimates, line geometry, the least-squares line, Bernstein (Bézier) evaluation,
// plateau centres, an integer sort, and the de-quantisation of the stepped temperature record.
// They work on raw readings (t when aForT, else dt) and write back in place.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "data/DataClass.h"
#include "data/ItemArray.h"
#include "processing/XYPoint.h"

namespace kalvero {

class TUiHooks;

// A segment (or the unbounded line through it).
struct TLine {
    long double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
using Trpoint = TXYPoint;
using TIntegers = std::vector<int32_t>;

class EMathUtilsException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// --- Smoothing (in place) ---------------------------------------------------------------------

// Samples aX1 … aX2 (clipped to the array), window by window, each window of aBezieSmoothPower
// control points aSermentStep apart replaced by its Bézier curve; windows overlap by half. Nothing
// changes below 10 control points, for a step below 1 or a range of fewer than three samples, and
// nothing outside aX1 … aX2 is written. aBar, when given, shows the progress.
void BezieSmooth(TItemArray& aChannel, int aChannelNumber, int aX1, int aX2, bool aForT,
                 int aBezieSmoothPower, int aSermentStep, TUiHooks* aBar = nullptr);

// Moving average of aWindowDotCount samples aWindowDotsStep apart, centred on points half of
// aSmoothStep apart, joined by straight lines; reads values already smoothed on its left. Writes
// only aStartX … aEndX − 1; nothing for a zero count or dot step.
void AverageSmooth(TItemArray& aChannel, int aChannelNumber, int aStartX, int aEndX, int aWindowDotCount,
                   int aWindowDotsStep, int aSmoothStep, bool aForT);

// The same windows with the median of aBufferChannel (a copy of the unsmoothed curve) instead of
// the average, written into aSourceChannel.
void MedianSmooth(TItemArray& aSourceChannel, int aSourceChannelNo, const TItemArray& aBufferChannel,
                  int aBufferChannelNo, int aStartX, int aEndX, int aWindowDotCount, int aWindowDotsStep,
                  int aSmoothStep, bool aForT);

// --- Derivatives ------------------------------------------------------------------------------

// Seven-point difference at aX0 with half-width aRange: 45 × (d1 − 9·d2 + d3) / 60 with
// dk = v[x0 + k·incr] − v[x0 − k·incr], incr = Round(max(aRange, 3) / 3), reads clipped to the
// record. A rising line gives −21 × slope × incr: the detection thresholds rely on that scale and
// sign. 0 for an empty array.
long double Derivat(const TItemArray& aChannel, int aChNo, long double aX0, long double aRange, bool aForT);

// aTarget[k] = Round(Derivat(aSource, k, aRange)) for k = aFrom … aTo (clipped): the derivative
// curve the data window and detection put into a work channel, in one pass.
void DerivatRange(const TItemArray& aSource, int aSourceChNo, TItemArray& aTarget, int aTargetChNo, int aFrom,
                  int aTo, long double aRange, bool aForT);

// Five-point difference (v[x−20] − 8v[x−10] + 8v[x+10] − v[x+20]) / 120 of channel 0 through a
// copy in work channel 2, x kept 30 items from the start and 35 from the end. 0 for records
// shorter than 51 items. Derivative reads dt; the other two dt/dtc or t/tc.
long double Derivative(TDataClass& t, long double x0);
long double ClearDerivativeDt(TDataClass& t, long double x0, bool aRealUnits);
long double ClearDerivativeT(TDataClass& t, long double x0, bool aRealUnits);

// dt[x0 + dx] − 2·dt[x0] + dt[x0 − dx], ends clipped; 0 when x0 is outside the record.
long double Derivat2(const TItemArray& channel, int channelNumber, int x0, long double dx);
long double SDerv2(const TItemArray& channel, int channelNumber, int x0);

// Slope of the secant over aRange (items, or time units) around aX0 on a Bézier-smoothed copy of
// channel 0, in the given units per time unit. EMathUtilsException "TangensDt:x2=x1" /
// "TangensT:x2=x1" when both ends fall on one item.
long double TangensDt(TDataClass& aDataClass, long double aX0, long double aRange, TDiffTempScale aDtUnits,
                      TTimeScale aTimeUnits);
long double TangensT(TDataClass& aDataClass, long double aX0, long double aRange, TTempScale aTUnits,
                     TTimeScale aTimeUnits);

// --- Geometry and fitting ---------------------------------------------------------------------

// Crossing of the two unbounded lines; (0, 0) when they are parallel.
TXYPoint LineIntersect(const TLine& l1, const TLine& l2);
// The same, telling parallel (or degenerate) lines apart: false and aResult untouched.
bool TryLineIntersect(const TLine& l1, const TLine& l2, TXYPoint& aResult);
// Crossing of y = a1·x + b1 and y = a2·x + b2; x = b1 − b2 for equal slopes.
TXYPoint LineIntersectAB(long double a1, long double b1, long double a2, long double b2);
// First point, searching start points from two thirds of begx … endx down to begx, where the line
// from (start, l.y1) to (endx, l.y2) meets channel 0's dt to the count; (−1, −1) when none.
Trpoint LineCurveIntersect(const TLine& l, const TDataClass& t, int begx, int endx);
// Least-squares line y = a·x + b. Fewer than two distinct x: a = 0 and b the mean of y (0 for no
// points).
void MinSquareLine(std::span<const TXYPoint> arr, long double& a, long double& b);
// Kept for plug-ins; does nothing.
void CalcLineEq(const TLine& aLine, long double& aA, long double& aB);

// --- Bézier support ---------------------------------------------------------------------------

// nf! in a double (1 for 0 and below; infinity beyond 170).
double Fact(double nf);
// sn^si by repeated multiplication; 1 for si <= 0.
long double Stepen(long double sn, int si);
// The Bézier curve of the control values M at pt in [0, 1] (Bernstein form, degree High(M)),
// evaluated without overflow for any number of values. 0 for no values.
long double Par(std::span<const int32_t> M, long double pt);

// --- Search, sort, misc -----------------------------------------------------------------------

// Centre of the first plateau of the largest (smallest) dt of the channel over begv … endv
// (clipped). −1 for an empty range.
int MaxCV(const TDataClass& t, int begv, int endv, int channel);
int MinCV(const TDataClass& t, int begv, int endv, int channel);
// −1 for negative n, else +1.
int Sign(int n);
// Sorts entries 0 … maxLen − 1 ascending (quicksort, middle pivot).
void SortIntArray(TIntegers& aIntArray, int maxLen);
void SortIntArray(TIntegers& aIntArray);
// The power of ten k with |v|·k in [1000, 10000); 1 for 0 and non-finite values.
long double norm10000(long double v);
// Replaces the stair-steps of channel 0's raw temperature by straight segments between anchors,
// then recalculates channel 0's calibrated values and marks the experiment changed.
void OversampleT(TDataClass& t);

}  // namespace kalvero
