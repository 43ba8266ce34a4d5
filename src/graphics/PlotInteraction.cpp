#include "graphics/PlotInteraction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "evaluation/ExperimentEvaluations.h"
#include "graphics/DataCanvas.h"
#include "processing/Peak.h"

namespace kalvero {
namespace {

bool Near(int a, int b) {
    return std::abs(static_cast<int64_t>(a) - b) <= HIT_DISTANCE;
}

bool Within(int v, int a, int b) {
    return v >= std::min(a, b) - HIT_DISTANCE && v <= std::max(a, b) + HIT_DISTANCE;
}

// What a point of this drag type needs to be taken hold of at (x, y).
bool Matches(const TScreenCoord& e, int x, int y) {
    switch (e.dragType) {
        case DRAGTYPE_Y_moveYfixedX:
            return Near(y, e.y) && (e.x < 0 || Near(x, e.x));  // a zero line spans the graph
        case DRAGTYPE_X_moveXfixedY:
        case DRAGTYPE_pointXrangeY_moveXfixedY:
            return Near(x, e.x) && Within(y, e.y, e.y1);
        case DRAGTYPE_XY_moveYfixedX:
        case DRAGTYPE_XY_moveXcrossedY:
        case DRAGTYPE_XY_MOVEXY:
            return Near(x, e.x) && Near(y, e.y);
        case DRAGTYPE_NONE:
            break;
    }
    return false;
}

TScreenHit HitOf(const TScreenCoord& e) {
    TScreenHit hit{e};
    switch (e.dragType) {
        case DRAGTYPE_Y_moveYfixedX:
        case DRAGTYPE_XY_moveYfixedX:
            hit.modifyMode = MM_MODIFY_HORZ, hit.cursor = TDragCursor::dcUpDown;
            break;
        case DRAGTYPE_X_moveXfixedY:
        case DRAGTYPE_pointXrangeY_moveXfixedY:
            hit.modifyMode = MM_MODIFY_VERT, hit.cursor = TDragCursor::dcLeftRight;
            break;
        case DRAGTYPE_XY_moveXcrossedY:
            hit.modifyMode = MM_MODIFY_POINT, hit.cursor = TDragCursor::dcFourWay;
            break;
        case DRAGTYPE_XY_MOVEXY:
            hit.modifyMode = MM_MODIFY_MOVE, hit.cursor = TDragCursor::dcFourWay;
            break;
        case DRAGTYPE_NONE:
            break;
    }
    return hit;
}

int32_t Clamp32(int64_t v, int64_t lo, int64_t hi) {
    return static_cast<int32_t>(std::clamp(v, std::min(lo, hi), std::max(lo, hi)));
}

// The window b … e widened (or narrowed) by 5 % of its span on each side, at least one unit.
void StepWindow(int64_t& b, int64_t& e, bool aWiden) {
    const int64_t delta = std::max<int64_t>(1, Round(static_cast<double>(e - b) * 0.05));
    b += aWiden ? -delta : delta;
    e += aWiden ? delta : -delta;
}

// In the combined view the x windows of both passes show the same items.
void FollowFirstXWindow(TDataClass& d) {
    if (d.mode != vm_view_dt_and_temp_by_time) return;
    d.begXSel1 = d.begXSel, d.endXSel1 = d.endXSel;
}

}  // namespace

std::optional<TScreenHit> FindScreenObject(const std::vector<TScreenCoord>& aCoords, TCurveMode aMode, int x,
                                           int y) {
    std::optional<TScreenHit> found;
    for (const TScreenCoord& e : aCoords) {
        if (e.disableForAllModes || !(e.alowedModes & (1u << aMode)) || !Matches(e, x, y)) continue;
        found = HitOf(e);
        // A peak margin spans the whole graph: a point on it (a base-line end) takes precedence.
        if (e.dragType != DRAGTYPE_X_moveXfixedY) break;
    }
    return found;
}

double PixelToItemReal(const TDataClass& d, const TDataCanvas& c, int x, bool aSecondWindow) {
    const double a = aSecondWindow ? d.begXSel1 : d.begXSel, b = aSecondWindow ? d.endXSel1 : d.endXSel;
    if (c.GetGraphicWidth() <= 0) return a;
    return c.GetScaledXr(a, b, x);
}

int PixelToItem(const TDataClass& d, const TDataCanvas& c, int x, bool aSecondWindow) {
    const double v = PixelToItemReal(d, c, x, aSecondWindow);
    return Clamp32(Round(v), 0, std::max(0, d.GetItemCount() - 1));
}

int PixelToCounts(const TDataClass& d, const TDataCanvas& c, int y, bool aSecondWindow) {
    const int a = aSecondWindow ? d.begYSel1 : d.begYSel, b = aSecondWindow ? d.endYSel1 : d.endYSel;
    if (c.GetGraphicHeight() <= 0) return a;
    return c.GetScaledY(a, b, y);
}

double PixelToReal(const TDataClass& d, const TDataCanvas& c, int y, bool aSecondWindow) {
    const double a = static_cast<double>(aSecondWindow ? d.begYr1 : d.begYr),
                 b = static_cast<double>(aSecondWindow ? d.endYr1 : d.endYr);
    if (c.GetGraphicHeight() <= 0) return a;
    return c.GetScaledYr(a, b, y);
}

bool DropScreenObject(TDataClass& d, const TDataCanvas& c, const TScreenCoord& aCoord, int aItem, int aY) {
    // The temperature curve of the combined view stands on the second y window.
    const bool tSecond = d.mode == vm_view_dt_and_temp_by_time;
    switch (aCoord.objType) {
        case CUTLINE_VIRTUALBASELINE_DT:
            d.SetDTZeroLine(d.diffTempScale == dtsDegrees ? PixelToReal(d, c, aY) : PixelToCounts(d, c, aY));
            break;
        case CUTLINE_VIRTUALBASELINE_T:
            d.SetTZeroLine(d.tempScale == tsDegrees ? PixelToReal(d, c, aY, tSecond)
                                                    : PixelToCounts(d, c, aY, tSecond));
            break;
        case CUTLINE_GLASSTRANSITION_STRETCH: {
            auto& glass = d.fEvaluations.glassTransitions;
            if (aCoord.objID < 0 || static_cast<size_t>(aCoord.objID) >= glass.size()) return false;
            evaluation::MoveGlassTransitionEnd(glass[aCoord.objID], aCoord.pointID, aItem, d.GetItemCount());
            d.fHasUnsavedChanges = true;
            return true;
        }
        default: {
            if (aCoord.objID < 0 || aCoord.objID >= d.peaks.GetItemCount()) return false;
            auto* peak = dynamic_cast<TPeak*>(d.peaks.GetItemByIndex(aCoord.objID).value);
            if (!peak) return false;
            switch (aCoord.objType) {
                case CUTLINE_PEAKLEFTMARGIN:
                case CUTLINE_PEAKRIGHTMARGIN:
                    peak->UpdatePeakMargin(aCoord.objType, aItem);
                    break;
                case CUTLINE_PEAKBASELINE: {
                    int32_t counts = PixelToCounts(d, c, aY);
                    if (d.diffTempScale == dtsDegrees) {
                        const auto& line = peak->cutLines.at(aCoord.objSubID);
                        const int at = d.ClipItemIndex(line.points.at(aCoord.pointID).x);
                        counts = d.SignalReading(PixelToReal(d, c, aY), d.items[at][0].tc);
                    }
                    peak->UpdatePeakBaseLine(aCoord.pointID, counts);
                    break;
                }
                case CUTLINE_TANGENT:
                    peak->UpdatePeakTangent(aCoord.pointID, aItem);
                    break;
                case CUTLINE_PEAKTOP:
                    peak->UpdatePeakTop(aCoord.objSubID, aItem);
                    break;
                default:
                    return false;
            }
        }
    }
    d.FillTempValues(0);
    return true;
}

bool ZoomXWindow(TDataClass& d, bool aWiden) {
    int64_t b = d.begXSel, e = d.endXSel;
    StepWindow(b, e, aWiden);
    if (e <= b) return false;
    // Time windows are item numbers and never start below 0; a temperature axis may.
    const int64_t lo = d.IsTempBasedMode() ? d.begX : std::max<int64_t>(d.begX, 0);
    b = std::max(b, lo);
    e = std::min<int64_t>(e, std::max<int64_t>(d.endX, b + 1));
    if (b == d.begXSel && e == d.endXSel) return false;
    d.begXSel = static_cast<int32_t>(b), d.endXSel = static_cast<int32_t>(e);
    FollowFirstXWindow(d);
    return true;
}

bool ZoomYWindow(TDataClass& d, bool aWiden) {
    const TAppConfig& c = DataConfig();
    int64_t b = d.begYSel, e = d.endYSel;
    StepWindow(b, e, aWiden);
    if (e <= b) return false;
    int64_t lo = INT32_MIN, hi = INT32_MAX;
    if (d.IsInTRelatedMode()) {
        lo = static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier;
        hi = static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier;
    } else {
        lo = c.dTMinADCValue, hi = c.dTMaxADCValue;
    }
    if (b < std::min(lo, hi) || e > std::max(lo, hi)) return false;
    d.begYSel = static_cast<int32_t>(b), d.endYSel = static_cast<int32_t>(e);
    d.begY = std::min(d.begY, d.begYSel), d.endY = std::max(d.endY, d.endYSel);
    return true;
}

bool ZoomToBox(TDataClass& d, const TDataCanvas& c, int x1, int y1, int x2, int y2) {
    if (c.GetGraphicWidth() <= 0 || c.GetGraphicHeight() <= 0) return false;
    int64_t xa = Clamp32(Round(PixelToItemReal(d, c, x1)), d.begX, d.endX);
    int64_t xb = Clamp32(Round(PixelToItemReal(d, c, x2)), d.begX, d.endX);
    int64_t ya = Clamp32(PixelToCounts(d, c, y1), d.begY, d.endY);
    int64_t yb = Clamp32(PixelToCounts(d, c, y2), d.begY, d.endY);
    if (xa > xb) std::swap(xa, xb);
    if (ya > yb) std::swap(ya, yb);
    if (xb - xa <= 0 || yb - ya <= 0) return false;
    if (d.mode == vm_view_dt_and_temp_by_time) {
        int64_t ta = Clamp32(PixelToCounts(d, c, y1, true), d.begY1, d.endY1);
        int64_t tb = Clamp32(PixelToCounts(d, c, y2, true), d.begY1, d.endY1);
        if (ta > tb) std::swap(ta, tb);
        if (tb - ta > 0) d.begYSel1 = static_cast<int32_t>(ta), d.endYSel1 = static_cast<int32_t>(tb);
    }
    d.begXSel = static_cast<int32_t>(xa), d.endXSel = static_cast<int32_t>(xb);
    d.begYSel = static_cast<int32_t>(ya), d.endYSel = static_cast<int32_t>(yb);
    FollowFirstXWindow(d);
    return true;
}

TScrollRange HorzScrollRange(const TDataClass& d) {
    TScrollRange r;
    r.page = std::max(1, d.endXSel - d.begXSel);
    r.min = d.begX;
    r.max = std::max(r.min, d.endX - r.page);
    r.value = std::clamp(d.begXSel, r.min, r.max);
    r.singleStep = std::max(1, r.page / 100);
    r.pageStep = std::max(1, r.page / 10);
    return r;
}

TScrollRange VertScrollRange(const TDataClass& d) {
    TScrollRange r;
    r.page = std::max(1, d.endYSel - d.begYSel);
    r.min = 0;
    r.max = std::max(0, d.endY - d.begY - r.page);
    r.value = std::clamp(d.endY - d.endYSel, r.min, r.max);
    r.singleStep = std::max(1, r.page / 100);
    r.pageStep = std::max(1, r.page / 10);
    return r;
}

void ScrollXTo(TDataClass& d, int32_t aValue) {
    const int32_t w = d.endXSel - d.begXSel;
    d.begXSel = aValue;
    d.endXSel = aValue + w;
    FollowFirstXWindow(d);
}

void ScrollYTo(TDataClass& d, int32_t aValue) {
    const int32_t h = d.endYSel - d.begYSel;
    const int32_t newEnd = d.endY - aValue;
    const int64_t delta = static_cast<int64_t>(newEnd) - d.endYSel;
    d.endYSel = newEnd;
    d.begYSel = newEnd - h;
    if (d.mode == vm_view_dt_and_temp_by_time && d.endY != d.begY) {
        const double ratio = static_cast<double>(d.endY1 - d.begY1) / (d.endY - d.begY);
        const auto moved = static_cast<int32_t>(Round(delta * ratio));
        d.begYSel1 += moved, d.endYSel1 += moved;
    }
}

}  // namespace kalvero
