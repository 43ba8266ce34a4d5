#include "graphics/EvaluationDraw.h"

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "graphics/DataCanvas.h"
#include "graphics/PlotSupport.h"
#include "processing/Peak.h"
#include "processing/Segments.h"

namespace kalvero {
namespace {

using evaluation::ESegmentRole;
using evaluation::RDrawing;
using evaluation::RPoint;

const TColor kConstruction = RGB(200, 0, 120);
const TColor kFitted = RGB(230, 120, 0);  // apart from the curves' blues
const TColor kGlass = RGB(0, 130, 90);

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

// The graph pixel of a signal value at a temperature: on the axis of degrees as it stands, or back
// in readings on the axis of counts. False when the value has no reading.
bool ValueY(const TDataClass& d, double aValue, double aTemperature, int& y) {
    if (!std::isfinite(aValue)) return false;
    if (d.diffTempScale == dtsDegrees) {
        y = d.GetScaledYr(aValue);
        return true;
    }
    try {
        y = d.GetScaledY(d.SignalReading(aValue, static_cast<float>(aTemperature)));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A point of a construction whose index counts from item aFirst.
bool Screen(const TDataClass& d, int aFirst, const RPoint& p, int& x, int& y) {
    if (!p.Valid()) return false;
    x = d.GetScaledX(static_cast<long double>(aFirst + p.index));
    return ValueY(d, p.value, p.temperature, y);
}

void DrawConstruction(const TDataClass& d, TDataCanvas& c, int aFirst, const RDrawing& aDrawing,
                      TColor aColor) {
    const int P = c.GetPCM();
    for (const evaluation::RSegment& s : aDrawing.segments) {
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!Screen(d, aFirst, s.a, x1, y1) || !Screen(d, aFirst, s.b, x2, y2)) continue;
        switch (s.role) {
            case ESegmentRole::BaseLine:
                c.SetPen(psSolid, kFitted, 1);
                break;
            case ESegmentRole::Tangent:
                c.SetPen(psSolid, aColor, 2);
                break;
            case ESegmentRole::MiddleLine:
                c.SetPen(psDash, aColor, 1);
                break;
            case ESegmentRole::Height:
                c.SetPen(psDot, aColor, 1);
                break;
        }
        c.Line(x1, y1, x2, y2, true, true);
    }
    const TAppConfig& cfg = DataConfig();
    c.SetFont(cfg.display.captionFontName, 9, aColor, 0);
    // Marks that fall together (the midpoint and the inflection of a symmetric step) keep their
    // labels apart: a label moves down below any it would cover.
    std::vector<std::pair<int, int>> placed;  // the labels' left and top
    for (const evaluation::RMark& m : aDrawing.marks) {
        int x = 0, y = 0;
        if (!Screen(d, aFirst, m.at, x, y)) continue;
        c.SetPen(psSolid, aColor, 1);
        c.SetBrush(bsSolid, aColor);
        c.Ellipse(x - 3 * P, y - 3 * P, x + 3 * P + 1, y + 3 * P + 1, true);
        c.SetBrushStyle(bsClear);
        const int w = c.GetTextWidth(m.label), h = c.GetTextHeight(m.label);
        int lx = x + 4 * P, ly = y + 2 * P;
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto& [px, py] : placed)
                if (std::abs(px - lx) < w && std::abs(py - ly) < h) ly = py + h, moved = true;
        }
        placed.emplace_back(lx, ly);
        c.TextOut(lx, ly, m.label, true);
    }
}

const TPeak* PeakAt(const TDataClass& d, int k) {
    return dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value);
}

// The graph pixel of a stretch end's handle: on the curve at that item.
bool HandleAt(TDataClass& d, int aItem, int& x, int& y) {
    if (aItem < 0 || aItem >= d.GetItemCount()) return false;
    CurvePoint(d, aItem, 0, x, y);
    return true;
}

// The texts stacked under an effect's label: its purity and crystallinity.
std::vector<std::string> EvaluationLinesOf(
    const std::vector<evaluation::TPurityResult>& aPurities,
    const std::vector<evaluation::TCrystallinityResult>& aCrystallinities, int aPeak) {
    std::vector<std::string> lines;
    for (const auto& p : aPurities)
        if (p.peak == aPeak && p.error.empty())
            lines.push_back("Чистота " + DecimalComma(p.result.purity, 2) + " мол. %");
    for (const auto& k : aCrystallinities)
        if (k.meltingPeak == aPeak && k.error.empty())
            lines.push_back("Кристалличность " + DecimalComma(k.result.percent, 1) + " %");
    return lines;
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
    const TPeak* p = PeakAt(d, d.fHighlightedPeak);
    if (!p) return;
    try {
        const evaluation::RPeakTemperatures t = evaluation::PeakTemperaturesOf(d, *p);
        DrawConstruction(d, c, d.ClipItemIndex(std::min(p->begX, p->endX)), t.drawing, kConstruction);
    } catch (const evaluation::EEvaluationError&) {
        // Nothing to draw: the results list says why.
    }
}

void DrawEvaluations(TDataClass& d, TDataCanvas& c) {
    if (d.mode != vm_view_dT_by_time || d.fEvaluations.Empty()) return;
    for (const evaluation::TPurityResult& p : evaluation::PurityResults(d))
        if (p.error.empty()) DrawConstruction(d, c, p.first, p.result.drawing, kConstruction);
    const TAppConfig& cfg = DataConfig();
    const int P = c.GetPCM(), gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    for (const evaluation::TGlassTransitionResult& g : evaluation::GlassTransitionResults(d)) {
        if (g.error.empty()) DrawConstruction(d, c, g.first, g.result.drawing, kGlass);
        const TGlassTransitionRecord& r = g.record;
        for (int item : {r.beforeFrom, r.beforeTo, r.afterFrom, r.afterTo}) {
            int x = 0, y = 0;
            if (!HandleAt(d, item, x, y)) continue;
            c.SetPen(psSolid, kGlass, 2);
            c.Line(x, y - 8 * P, x, y + 8 * P, true, false);
            c.SetBrush(bsSolid, kGlass);
            c.Rectangle(x - 2 * P, y - 2 * P, x + 2 * P + 1, y + 2 * P + 1, true);
        }
        // The label above the midpoint (or the stretches' middle when nothing was computed).
        int x = 0, y = 0;
        if (!(g.error.empty() && Screen(d, g.first, g.result.midpoint, x, y)) &&
            !HandleAt(d, (r.beforeTo + r.afterFrom) / 2, x, y))
            continue;
        c.SetFont(cfg.display.captionFontName, 10, kGlass, 0);
        c.SetBrushStyle(bsClear);
        const std::string text =
            evaluation::GlassTransitionCaption(g) + ": " + evaluation::GlassTransitionLabel(g);
        const int tw = c.GetTextWidth(text), th = c.GetTextHeight(text);
        c.TextOut(std::clamp(x + 6 * P, 0, std::max(0, gw - tw)),
                  std::clamp(y - th - 10 * P, 0, std::max(0, gh - th)), text, true);
    }
}

void AppendEvaluationCoords(TDataClass& d, TDataCanvas& c) {
    const int P = c.GetPCM();
    const auto& glass = d.fEvaluations.glassTransitions;
    for (size_t k = 0; k < glass.size(); ++k) {
        const TGlassTransitionRecord& r = glass[k];
        const int ends[] = {r.beforeFrom, r.beforeTo, r.afterFrom, r.afterTo};
        for (int n = 0; n < 4; ++n) {
            int x = 0, y = 0;
            if (!HandleAt(d, ends[n], x, y)) continue;
            TScreenCoord e;
            e.dragType = DRAGTYPE_X_moveXfixedY;
            e.objType = CUTLINE_GLASSTRANSITION_STRETCH;
            e.alowedModes = 1u << vm_view_dT_by_time;
            e.x = e.x1 = c.AddPaddingX(x);
            e.y = c.AddPaddingY(y - 8 * P);
            e.y1 = c.AddPaddingY(y + 8 * P);
            e.objID = static_cast<int32_t>(k);
            e.pointID = n;
            d.coords.push_back(e);
        }
    }
}

void DrawEffectLabels(TDataClass& d, TDataCanvas& c) {
    if (!d.fShowEffectLabels || d.mode != vm_view_dT_by_time) return;
    const TAppConfig& cfg = DataConfig();
    const int P = c.GetPCM(), gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    const auto purities = evaluation::PurityResults(d);
    const auto crystallinities = evaluation::CrystallinityResults(d);
    c.SetFont(cfg.display.captionFontName, 10, cfg.display.peakColor, 0);
    c.SetBrushStyle(bsClear);
    for (const TEffectResult& r : EffectResults(d)) {
        if (r.top < d.begXSel || r.top > d.endXSel) continue;
        int x = 0, y = 0;
        CurvePoint(d, d.ClipItemIndex(r.top), 0, x, y);
        std::vector<std::string> lines = {EffectLabel(r)};
        for (std::string& line : EvaluationLinesOf(purities, crystallinities, r.number))
            lines.push_back(std::move(line));
        int tw = 0;
        for (const std::string& line : lines)
            tw = std::max(tw, c.GetTextWidth(line));
        const int lh = c.GetTextHeight(lines.front()), th = lh * static_cast<int>(lines.size());
        // Beyond the tip of the effect; where the graph leaves no room there, beside the tip.
        const bool up = r.endothermic == d.EndoUp();
        int lx = x - tw / 2, ly = up ? y - th - 4 * P : y + 4 * P;
        if (ly < 0 || ly + th > gh) {
            lx = x + 8 * P;
            ly = y - th / 2;
            if (lx + tw > gw) lx = x - 8 * P - tw;
        }
        lx = std::clamp(lx, 0, std::max(0, gw - tw));
        ly = std::clamp(ly, 0, std::max(0, gh - th));
        for (size_t k = 0; k < lines.size(); ++k)
            c.TextOut(lx, ly + lh * static_cast<int>(k), lines[k], true);
    }
}

}  // namespace kalvero
