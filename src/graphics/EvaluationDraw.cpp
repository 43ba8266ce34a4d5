#include "graphics/EvaluationDraw.h"

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "evaluation/FlankTangent.h"
#include "evaluation/PeakResults.h"
#include "graphics/DataCanvas.h"
#include "graphics/PlotSupport.h"
#include "processing/Peak.h"
#include "processing/Segments.h"

namespace kalvero {
namespace {

// Light tints that tell heating, holding and cooling apart without hiding the grid.
TColor BandColor(TSegmentKind aKind) {
    switch (aKind) {
        case skHeating:
            return RGB(255, 236, 224);
        case skCooling:
            return RGB(224, 236, 255);
        default:
            return RGB(236, 236, 236);
    }
}

bool OverTime(TCurveMode aMode) {
    return aMode == vm_view_dT_by_time || aMode == vm_view_T_by_time;
}

}  // namespace

void DrawSegmentBands(TDataClass& d, TDataCanvas& c) {
    if (!d.fShowSegments || !OverTime(d.mode) || PlotPass().combined) return;
    const std::vector<TSegment> segments = SegmentsOf(d);
    if (segments.size() < 2) return;
    const int gh = c.GetGraphicHeight(), gw = c.GetGraphicWidth(), P = c.GetPCM();
    const TAppConfig& cfg = DataConfig();
    c.SetFont(cfg.display.textFontName, 9, RGB(96, 96, 96), 0);
    for (const TSegment& s : segments) {
        const int x1 = std::max(0, d.GetScaledX(s.begin)), x2 = std::min(gw, d.GetScaledX(s.end + 1));
        if (x2 <= x1) continue;
        c.SetBrush(bsSolid, BandColor(s.kind));
        c.FillRectangle(x1, 0, x2, gh, true, 0.5f);
        const std::string caption = SegmentCaption(s);
        if (c.GetTextWidth(caption) + 6 * P < x2 - x1) {
            c.SetBrushStyle(bsClear);
            c.TextOut(x1 + 3 * P, 2 * P, caption, true);
        }
    }
}

void DrawHighlightedEffect(TDataClass& d, TDataCanvas& c) {
    if (d.mode != vm_view_dT_by_time || d.fHighlightedPeak < 0 ||
        d.fHighlightedPeak >= d.peaks.GetItemCount())
        return;
    const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(d.fHighlightedPeak).value);
    if (!p) return;
    const bool degrees = d.diffTempScale == dtsDegrees;
    const auto screen = [&](double aItem, double aReading, int& x, int& y) {
        const int item = d.ClipItemIndex(static_cast<int>(std::lround(aItem)));
        x = d.GetScaledX(static_cast<long double>(aItem));
        const int32_t r = static_cast<int32_t>(std::clamp(aReading, -2147483648.0, 2147483647.0));
        y = degrees ? d.GetScaledYr(DtDegrees(d, r, d.items[item][0].tc)) : d.GetScaledY(r);
    };
    const int P = c.GetPCM();
    c.SetPen(psSolid, RGB(200, 0, 120), 2);
    for (bool trailing : {false, true}) {
        const TFlankTangent t = FlankTangentOf(d, *p, trailing);
        if (!std::isfinite(t.crossing)) continue;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        screen(t.steepest, t.intercept + t.slope * t.steepest, x1, y1);
        screen(t.crossing, t.intercept + t.slope * t.crossing, x2, y2);
        c.Line(x1, y1, x2, y2, true, true);
        c.SetBrush(bsSolid, RGB(200, 0, 120));
        c.Ellipse(x2 - 3 * P, y2 - 3 * P, x2 + 3 * P + 1, y2 + 3 * P + 1, true);
    }
}

void DrawEffectLabels(TDataClass& d, TDataCanvas& c) {
    if (!d.fShowEffectLabels || d.mode != vm_view_dT_by_time) return;
    const TAppConfig& cfg = DataConfig();
    const int P = c.GetPCM(), gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    c.SetFont(cfg.display.captionFontName, 10, cfg.display.peakColor, 0);
    c.SetBrushStyle(bsClear);
    for (const TEffectResult& r : EffectResults(d)) {
        if (r.top < d.begXSel || r.top > d.endXSel) continue;
        int x = 0, y = 0;
        CurvePoint(d, d.ClipItemIndex(r.top), 0, x, y);
        const std::string text = EffectLabel(r);
        const int tw = c.GetTextWidth(text), th = c.GetTextHeight(text);
        // Beyond the tip of the effect; where the graph leaves no room there, beside the tip.
        const bool up = r.endothermic == d.EndoUp();
        int lx = x - tw / 2, ly = up ? y - th - 4 * P : y + 4 * P;
        if (ly < 0 || ly + th > gh) {
            lx = x + 8 * P;
            ly = y - th / 2;
            if (lx + tw > gw) lx = x - 8 * P - tw;
        }
        c.TextOut(std::clamp(lx, 0, std::max(0, gw - tw)), std::clamp(ly, 0, std::max(0, gh - th)), text,
                  true);
    }
}

}  // namespace kalvero
