// Markers with their hint boxes and tangents with their equations.

#include <algorithm>
#include <cmath>

#include "common/Procs.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GraphUtils.h"
#include "graphics/PlotSupport.h"
#include "processing/Bubble.h"
#include "processing/Tangent.h"

namespace kalvero {
namespace {

std::string Reading(const TDataClass& d, const TItem& s, bool aTemperature) {
    const TAppConfig& cfg = DataConfig();
    const bool degrees = aTemperature ? d.tempScale == tsDegrees : d.diffTempScale == dtsDegrees;
    const std::string value =
        degrees ? FormatFixed(aTemperature ? s.tc : s.dtc,
                              aTemperature ? cfg.tempScaleAccuracy : cfg.diffTempScaleAccuracy)
                : std::to_string(aTemperature ? s.t : s.dt);
    return value + " " + (aTemperature ? d.GetTUnits() : d.GetDtUnits());
}

// A number with four significant digits (no exponent), for equations.
std::string Significant(long double v) {
    const double a = std::fabs(static_cast<double>(v));
    const int decimals = a > 0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(a))), 0, 10) : 0;
    return FormatFixed(static_cast<double>(v), decimals);
}

}  // namespace

void MoveGraphicPointsLeft(TPoints& aPoints, int aDistance) {
    for (auto& p : aPoints)
        p.x -= aDistance;
}

void MoveGraphicPointsRight(TPoints& aPoints, int aDistance) {
    for (auto& p : aPoints)
        p.x += aDistance;
}

void FlipPointsVertical(TPoints& aPoints, int aAxisY) {
    for (auto& p : aPoints)
        p.y = 2 * aAxisY - p.y;
}

void DrawSquareHint(TDataCanvas& c, int x, int y, const std::vector<std::string>& aLines, TColor aColor) {
    const int P = c.GetPCM(), th = c.GetTextHeight("0");
    int w = 0;
    for (const auto& line : aLines)
        w = std::max(w, c.GetTextWidth(line));
    w += 8 * P;
    const int h = static_cast<int>(aLines.size()) * th + 4 * P;
    const int left = x + 10 * P, bottom = y - 10 * P;
    // The box corners after the tail's tip; the box goes left of the point when it would leave
    // the graph on the right, below it when it would leave it at the top.
    TPoints box = {{left, bottom - 3 * P},
                   {left, bottom - h},
                   {left + w, bottom - h},
                   {left + w, bottom},
                   {left + 6 * P, bottom}};
    if (left + w > c.GetGraphicWidth()) MoveGraphicPointsLeft(box, w + 20 * P);
    if (bottom - h < 0) FlipPointsVertical(box, y);
    int bx1 = box[0].x, by1 = box[0].y, bx2 = bx1, by2 = by1;
    for (const auto& p : box)
        bx1 = std::min(bx1, p.x), bx2 = std::max(bx2, p.x), by1 = std::min(by1, p.y),
        by2 = std::max(by2, p.y);

    c.SetBrush(bsSolid, DataConfig().display.backGroundColor);
    c.FillRectangle(bx1, by1, bx2, by2, true);
    TPoints shape = {{x, y}};
    shape.insert(shape.end(), box.begin(), box.end());
    c.SetPen(psSolid, aColor, 1);
    c.Polyline(shape, true);
    c.SetBrushStyle(bsClear);
    for (size_t k = 0; k < aLines.size(); ++k)
        c.TextOut(bx1 + 4 * P, by1 + 2 * P + static_cast<int>(k) * th, aLines[k], true);
}

void DrawBubbles(TDataClass& d) {
    if (d.mode == vm_optstate_draw_extra_temp || d.bubbles.GetItemCount() == 0) return;
    TDataCanvas& c = CanvasOf(d);
    const TAppConfig& cfg = DataConfig();
    const int P = c.GetPCM();
    c.SetFont(cfg.display.captionFontName, std::max<int>(10, cfg.display.smallCaptionFontSize), clBlack, 0);
    std::vector<std::string> list;
    for (int k = 0; k < d.bubbles.GetItemCount(); ++k) {
        auto* b = dynamic_cast<TBubble*>(d.bubbles.GetItemByIndex(k).value);
        if (!b || b->fTime < 0 || b->fTime >= d.GetItemCount() || b->fChannel >= d.GetChannelCount())
            continue;
        int x = 0, y = 0;
        CurvePoint(d, b->fTime, b->fChannel, x, y);
        b->fX = c.AddPaddingX(x);
        b->fY = c.AddPaddingY(y);
        if (x < 0 || x > c.GetGraphicWidth() || y < 0 || y > c.GetGraphicHeight()) continue;
        const TItem& s = d.items[b->fTime][b->fChannel];
        if (cfg.bubbleStyle == 1) {
            const std::string tag = "[" + std::to_string(list.size() + 1) + "]";
            list.push_back(tag + ": " + d.GetDtName() + ":" + Reading(d, s, false) + " " +
                           cfg.tempChannelShortName + ":" + Reading(d, s, true));
            c.SetPen(psSolid, clRed, 1);
            c.Line(x, y, x + 6 * P, y - 6 * P, true, false);
            c.SetBrushStyle(bsClear);
            c.TextOut(x + 7 * P, y - 6 * P - c.GetTextHeight(tag), tag, true);
        } else {
            DrawSquareHint(c, x, y,
                           {d.GetDtName() + ": " + Reading(d, s, false),
                            cfg.tempChannelShortName + ": " + Reading(d, s, true)},
                           clRed);
        }
    }
    // The numbered list sits at the bottom left of the graph.
    const int th = c.GetTextHeight("0");
    c.SetBrushStyle(bsClear);
    for (size_t k = 0; k < list.size(); ++k)
        c.TextOut(4 * P, c.GetGraphicHeight() - 2 * P - static_cast<int>(list.size() - k) * th, list[k],
                  true);
}

void DrawTangents(TDataClass& d) {
    TTangentType type;
    if (d.mode == vm_view_dT_by_time || d.mode == vm_scan_dT_by_time) {
        type = ttForDiffTemp;
    } else if (d.mode == vm_optstate_draw_extra_temp || d.mode == vm_view_T_by_time ||
               d.mode == vm_scan_T_by_time) {
        type = ttForTemp;
    } else {
        return;
    }
    TDataCanvas& c = CanvasOf(d);
    const int P = c.GetPCM();
    const bool degrees = type == ttForTemp ? d.tempScale == tsDegrees : d.diffTempScale == dtsDegrees;
    const bool aa = DataConfig().useAA;
    for (int k = 0; k < d.tangents.GetItemCount(); ++k) {
        auto* t = dynamic_cast<TTangent*>(d.tangents.GetItemByIndex(k).value);
        if (!t || t->fTangentType != type) continue;
        const long double slope = degrees ? t->tgA_Degrees : t->tgA_Units,
                          b = degrees ? t->b_Degrees : t->b_Units;
        auto py = [&](long double item) {
            const long double v = slope * item + b;
            return degrees ? d.GetScaledYr(v) : d.GetScaledY(v);
        };
        c.SetPen(psSolid, clRed, 1);
        c.Line(d.GetScaledX(d.begXSel), py(d.begXSel), d.GetScaledX(d.endXSel), py(d.endXSel), true, aa);
        c.SetPen(psSolid, clRed, 2);
        c.Line(d.GetScaledX(t->x1), py(t->x1), d.GetScaledX(t->x2), py(t->x2), true, false);

        // Degrees read per second, counts per item.
        const long double a = degrees ? t->tgA_Real : t->tgA_Units, b0 = degrees ? t->b_Real : t->b_Units;
        const std::string text = Significant(a) + "t" + (b0 < 0 ? " - " : " + ") + Significant(std::fabs(b0));
        // On the side of the line away from its rise, on the background so that curve and hatching
        // stay out of the way.
        c.SetFont("Times New Roman", 16, clBlue, fsBold | fsItalic);
        c.SetBrush(bsSolid, DataConfig().display.backGroundColor);
        const int tw = c.GetTextWidth(text), th = c.GetTextHeight(text);
        const bool rising = py(t->x0 + 1) < py(t->x0);
        const int x = std::clamp(d.GetScaledX(t->x0) + 6 * P, 0, std::max(0, c.GetGraphicWidth() - tw));
        const int y = std::clamp(rising ? py(t->x0) + 6 * P : py(t->x0) - th - 6 * P, 0,
                                 std::max(0, c.GetGraphicHeight() - th));
        c.TextOut(x, y, text, true);
        c.SetBrushStyle(bsClear);
    }
}

}  // namespace kalvero
