// Peak detection over a range and the construction of one peak.

#include "processing/PeakUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

#include "common/Logger.h"
#include "common/MathProcs.h"
#include "common/UiHooks.h"
#include "processing/MathUtils.h"
#include "processing/Peak.h"
#include "processing/SampleView.h"
#include "processing/Segments.h"

namespace kalvero {
namespace {

// "peak" and a random number in 0 … 2147483646 that no peak of the collection carries yet: two
// peaks under one key would be removed together.
std::string NewPeakKey(const TObjectCollection& aPeaks) {
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int32_t> number(0, 2147483646);
    for (;;) {
        std::string key = "peak" + std::to_string(number(random));
        bool used = false;
        for (int k = 0; k < aPeaks.GetItemCount() && !used; ++k)
            used = aPeaks.GetItemByIndex(k).key == key;
        if (!used) return key;
    }
}

TCutLine MakeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TCutLineType aType, TDragType aDrag) {
    TCutLine line;
    line.points.resize(2);
    line.points[0].x = x1, line.points[0].y = y1;
    line.points[1].x = x2, line.points[1].y = y2;
    line.lineType = aType;
    line.dragType = aDrag;
    return line;
}

}  // namespace

TPeakUtils::TPeakUtils(TDataClass& aDataClass, const TAppConfig& aConfig, TLogger* aLogger,
                       TUiHooks* aProgressForm)
    : fDataClass(&aDataClass), fProgressForm(aProgressForm), fConfig(&aConfig), fLogger(aLogger) {}

void TPeakUtils::Log(const std::string& aMessage) const {
    if (fLogger) fLogger->Debug("TPeakUtils", aMessage);
}

void TPeakUtils::ShowMessage(const std::string& aText) const {
    if (fProgressForm) fProgressForm->ProgressStart(aText, 0);
}

void TPeakUtils::HideProgress() const {
    if (fProgressForm) fProgressForm->ProgressFinish();
}

TDetectLimits DetectLimitsFor(const TDataClass& d, const TAppConfig& c, int aFrom, int aTo) {
    TDetectLimits limits{static_cast<double>(c.detectBaseLineLimit), c.detectPeakHighLimit,
                         c.detectPeakLowLimit};
    if (!d.IsPhysical() || d.GetItemCount() == 0) return limits;
    // The span of the signal without its extreme half per mille (a spike, a cut-off end).
    const int from = d.ClipItemIndex(std::min(aFrom, aTo)), to = d.ClipItemIndex(std::max(aFrom, aTo));
    std::vector<int32_t> values;
    const int step = std::max(1, (to - from + 1) / 200000);  // a sample of a long record is enough
    for (int i = from; i <= to; i += step)
        values.push_back(d.items[i][0].dt);
    const size_t lo = values.size() / 2000, hi = values.size() - 1 - values.size() / 2000;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lo), values.end());
    const int32_t bottom = values[lo];
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(hi), values.end());
    const double span = std::max(1.0, static_cast<double>(values[hi]) - bottom);
    const double scale = span / DETECT_NOMINAL_SPAN;
    const auto scaled = [scale](double v) { return std::max(1.0, v * scale); };
    limits.baseLine = 0;
    limits.high = static_cast<int>(std::min(scaled(limits.high), 1e9));
    limits.low = static_cast<int>(std::min(scaled(limits.low), 1e9));
    return limits;
}

namespace {

// The parts of aStart … aEnd in which detection looks for effects: each segment of the
// temperature program from the moment it has settled. Empty for a record of one segment, which
// detection takes whole.
std::vector<std::pair<int, int>> DetectionParts(const TDataClass& d, int aStart, int aEnd) {
    std::vector<std::pair<int, int>> parts;
    const std::vector<TSegment> segments = SegmentsOf(d);
    if (segments.size() <= 1) return parts;
    for (const TSegment& s : segments) {
        const int settle = static_cast<int>(
            std::min<double>(std::round(SEGMENT_SETTLE_TIME * d.frequency), (s.end - s.begin + 1) / 4.0));
        const int a = std::max(aStart, s.begin + settle), b = std::min(aEnd, s.end);
        if (b > a) parts.emplace_back(a, b);
    }
    return parts;
}

}  // namespace

void TPeakUtils::DetectPeaks(int aRangeStart, int aRangeEnd, TUiHooks* aPBar) {
    TDataClass& d = *fDataClass;
    const int count = d.GetItemCount();
    if (count == 0) return;
    int start = d.ClipItemIndex(aRangeStart), end = d.ClipItemIndex(aRangeEnd);
    Order(start, end);
    const TDetectLimits limits = DetectLimitsFor(d, *fConfig, start, end);
    Log("Start detecting peaks. DetectPeakLowLimit=" + std::to_string(limits.low) +
        ", DetectPeakHighLimit=" + std::to_string(limits.high));
    // No deviation is below a limit of 0 or less: no peak can start, and every item above the
    // high limit would walk back to the first item of the record in vain.
    if (limits.low <= 0) {
        Log("DetectPeakLowLimit must be positive: no peak can be found");
        return;
    }
    std::vector<std::pair<int, int>> parts = DetectionParts(d, start, end);
    // One segment: a peak's margins may lie anywhere in the record, as the range only says where
    // its start is looked for. Several: each peak stays inside its settled segment.
    const bool segmented = !parts.empty();
    if (!segmented) parts.emplace_back(start, end);
    TWorkCopy copy;
    if (!DetectBaseLine(copy, start, end, parts, limits.baseLine, aPBar)) {
        Log("Base line was not detected");
        return;
    }
    const TShownMessage shown(*this, "Определение пиков...");
    for (const auto& [from, to] : parts)
        ScanForPeaks(copy, from, to, segmented ? from : 0, segmented ? to : count - 1, limits);
}

void TPeakUtils::ScanForPeaks(const TWorkCopy& aCopy, int aPartStart, int aPartEnd, int aLowest, int aHighest,
                              const TDetectLimits& aLimits) {
    const int low = aLimits.low, high = aLimits.high;
    // The peak ends where the curve is back within half the start threshold of the base line.
    const int endLevel = LLim(1, low / 2);
    // The work channels hold the same values; their copies are scanned faster.
    const int32_t* curve = aCopy.dt[WORKCHANNEL_BASE_CURVE].get();
    const int32_t* line = aCopy.dt[WORKCHANNEL_BASE_LINE].get();
    const auto deviation = [curve, line](int i) {
        return std::llabs(static_cast<int64_t>(curve[i]) - line[i]);
    };
    int i = aPartStart;
    while (i < aPartEnd) {
        i = HLLim(aPartStart, aPartEnd, i);
        if (deviation(i) > high) {
            Log("Seems like peak start (deviation from base curve more than detectPeakHighLimit");
            const int oldi = i;
            bool found = false;
            while (i > aLowest) {
                found = deviation(i) < low;
                --i;
                if (found) break;
            }
            if (!found) {
                i = oldi;
                // Inside a segment an effect that began before the part is the response to the
                // change of segment: detection goes on after it instead of walking back again
                // from each of its items.
                if (aLowest > 0)
                    while (i < aPartEnd && deviation(i) >= endLevel)
                        ++i;
            } else {
                const int peakStart = i;
                Log("Peak start found at " + std::to_string(peakStart));
                i = oldi;
                found = false;
                while (i < aHighest) {
                    found = deviation(i) < endLevel;
                    ++i;
                    if (found) break;
                }
                if (found) {
                    Log("Peak end found at " + std::to_string(i));
                    AddPeak(peakStart, i, false);
                } else {
                    Log("Peak end was not found");
                }
            }
        }
        ++i;
    }
}

TPeak* TPeakUtils::AddPeak(int aPeakStart, int aPeakEnd, bool aHandMode, TUiHooks* aProgress, bool aTangent) {
    TDataClass& d = *fDataClass;
    if (d.GetItemCount() == 0) return nullptr;
    int b = d.ClipItemIndex(aPeakStart), e = d.ClipItemIndex(aPeakEnd);
    Order(b, e);
    if (e == b) return nullptr;  // no width, no area
    const auto y = [&d](int64_t x) { return d.items[static_cast<size_t>(x)][0].dt; };

    auto peak = std::make_unique<TStandardPeak>(d.items, d.frequency, &d);
    TPeak& p = *peak;
    p.actualMode = d.mode;
    p.begX = b;
    p.endX = e;
    p.cutType = PEAK_CUTTYPE_FULLAREA;
    const int32_t baseRightY = fConfig->peakBaseLineType == PEAK_BASELINE_HORIZONTAL ? y(b) : y(e);
    p.cutLines.push_back(MakeLine(b, d.fDiffTempMinValue, b, d.fDiffTempMaxValue, CUTLINE_PEAKLEFTMARGIN,
                                  DRAGTYPE_X_moveXfixedY));
    p.cutLines.push_back(MakeLine(e, d.fDiffTempMinValue, e, d.fDiffTempMaxValue, CUTLINE_PEAKRIGHTMARGIN,
                                  DRAGTYPE_X_moveXfixedY));
    p.cutLines.push_back(MakeLine(b, y(b), e, baseRightY, CUTLINE_PEAKBASELINE, DRAGTYPE_XY_moveYfixedX));

    p.CalcPeakTop();
    const int top = p.top;
    const int32_t topY1 =
        processing::RoundToInt32(LineInterp(b, y(b), e, y(e), top));  // always the sloped chord
    const int32_t topY0 = y(top);
    p.cutLines.push_back(
        MakeLine(top, topY0, top, topY1, CUTLINE_PEAKTOP, DRAGTYPE_pointXrangeY_moveXfixedY));
    p.fullAreaStartPoint = {top, topY1};
    p.CalcCenterPoint();

    // The onset tangent l1, unless only the results are wanted: the area's start then sits on
    // the base line's first point.
    const int onsetX = aTangent ? ConstructTangent(p, top, p.state == PEAK_STATE_UP, aHandMode, aProgress)
                                : p.cutLines[PEAK_LINE_BASE].points[0].x;

    int bubbleX = b;
    if (fConfig->areaBeginCalcType == 1) {
        bubbleX = HLLim(b, e, onsetX);
    } else if (fConfig->areaBeginCalcType != 0) {
        bubbleX = onsetX + static_cast<int>(Round((top - onsetX) / 2.0));
    }
    d.AddBubble(bubbleX);

    p.cutType = PEAK_CUTTYPE_FULLAREA;
    p.active = true;
    p.CalcPeakIntegration();
    TPeak* added = peak.get();
    d.peaks.AddItem(NewPeakKey(d.peaks), peak.release());
    return added;
}

int TPeakUtils::ConstructTangent(TPeak& p, int top, bool up, bool aHandMode, TUiHooks* aProgress) {
    TDataClass& d = *fDataClass;
    const auto y = [&d](int64_t x) { return d.items[static_cast<size_t>(x)][0].dt; };
    const int b = std::min(p.begX, p.endX), e = std::max(p.begX, p.endX);
    // The onset tangent l1.
    TLine l1;
    int tangentX = -1;
    bool tangentFound = false;
    if (fConfig->tangentDetectType == TANGENT_DETECT_TYPE_INFLECTION) {
        tangentFound = aHandMode ? SteepestAround(b, e, top, up, aProgress, tangentX)
                                 : IterateToMaxValueWithPolarity(b, top, up, d.workItems,
                                                                 WORKCHANNEL_FIRST_DERIVATIVE, tangentX);
        if (!tangentFound) tangentX = b + (top - b) / 2;
        // A chord over a tenth of the rise around the steepest point, at least one item each way:
        // a rise of fewer than 20 items would otherwise give a single point and no line.
        const int half = LLim(1, (top - b) / 10 / 2);
        const int xa = d.ClipItemIndex(tangentX - half), xb = d.ClipItemIndex(tangentX + half);
        l1 = {static_cast<long double>(xa), static_cast<long double>(y(xa)), static_cast<long double>(xb),
              static_cast<long double>(y(xb))};
    } else if (fConfig->tangentDetectType == TANGENT_DETECT_TYPE_TOUCH) {
        const int32_t baseStartY = p.cutLines[PEAK_LINE_BASE].points[0].y;
        const int64_t probeEnd = static_cast<int64_t>(y(top)) + (up ? 5 : -5);
        const TLine probe{static_cast<long double>(top - 50), static_cast<long double>(baseStartY),
                          static_cast<long double>(top), static_cast<long double>(probeEnd)};
        const Trpoint touch = LineCurveIntersect(probe, d, b, top);
        const bool touched = touch.x != -1 && touch.y != -1;
        l1 = {static_cast<long double>(top), static_cast<long double>(y(top)),
              touched ? static_cast<long double>(Round(static_cast<double>(touch.x))) : b,
              touched ? static_cast<long double>(Round(static_cast<double>(touch.y))) : baseStartY};
        tangentX = static_cast<int>(Round(static_cast<double>(touch.x)));
        tangentFound = touch.x > -1;
    }

    // Onset: where l1 meets the base line. Lines that do not meet (parallel, or no tangent at all)
    // or meet outside the margins put it on the base line's first point.
    const TCoordPoint& base0 = p.cutLines[PEAK_LINE_BASE].points[0];
    const TCoordPoint& base1 = p.cutLines[PEAK_LINE_BASE].points[1];
    const TLine baseLine{static_cast<long double>(base0.x), static_cast<long double>(base0.y),
                         static_cast<long double>(base1.x), static_cast<long double>(base1.y)};
    TXYPoint onset;
    const bool crosses = TryLineIntersect(l1, baseLine, onset);
    const bool invalid = !crosses || onset.x < b || onset.x > e;
    if (invalid) onset = {static_cast<long double>(base0.x), static_cast<long double>(base0.y)};
    const auto onsetX = static_cast<int32_t>(Round(static_cast<double>(onset.x)));
    if (tangentFound) {
        TCutLine tangent = MakeLine(onsetX, static_cast<int32_t>(Round(static_cast<double>(onset.y))),
                                    tangentX, y(tangentX), CUTLINE_TANGENT, DRAGTYPE_XY_moveXcrossedY);
        tangent.invalid = invalid;
        p.cutLines.push_back(tangent);
    }

    return onsetX;
}

void TPeakUtils::AddOnsetTangent(TPeak& p, int aTop, bool aUp) {
    ConstructTangent(p, aTop, aUp, true, nullptr);
}

bool TPeakUtils::HasTangent(const TPeak& p) {
    return std::any_of(p.cutLines.begin(), p.cutLines.end(),
                       [](const TCutLine& l) { return l.lineType == CUTLINE_TANGENT; });
}

TPeak* TPeakUtils::AddPeakManually(int peakStart, int peakEnd, TUiHooks* PBar, bool aTangent) {
    return AddPeak(peakStart, peakEnd, true, PBar, aTangent);
}

void TPeakUtils::CalcPeaks() {
    for (int k = 0; k < fDataClass->peaks.GetItemCount(); ++k) {
        if (auto* peak = dynamic_cast<TPeak*>(fDataClass->peaks.GetItemByIndex(k).value))
            peak->CalcPeakIntegration();
    }
}

}  // namespace kalvero
