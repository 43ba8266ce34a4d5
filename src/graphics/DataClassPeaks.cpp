// Peaks on the plot: the hatched area, the cut lines with their draggable points, and the list of
// draggable points the data window hit-tests.

#include <algorithm>

#include "common/MathProcs.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/EvaluationDraw.h"
#include "graphics/PlotSupport.h"
#include "processing/Peak.h"
#include "processing/SampleView.h"

namespace kalvero {
namespace {

TPeak* PeakAt(const TDataClass& d, int k) {
    return dynamic_cast<TPeak*>(d.peaks.GetItemByIndex(k).value);
}

// Vertical gray lines from the base line to the curve, one per pixel step.
void HatchPeak(TDataClass& d, TDataCanvas& c, const TPeak& p) {
    const bool degrees = d.diffTempScale == dtsDegrees;
    const int from = std::max({p.begX, d.begXSel, 0}),
              to = std::min({p.endX, d.endXSel, d.GetItemCount() - 1});
    c.SetPen(psSolid, clGray, 1);
    int previous = -(1 << 30);
    for (int x = from; x <= to; ++x) {
        const int sx = d.GetScaledX(x);
        if (sx <= previous + c.GetPCM()) continue;  // more than one screen pixel apart
        previous = sx;
        const TItem& s = d.items[x][0];
        const int32_t base = p.GetBaseLineCrossingYCoord(x);
        const int y1 = degrees ? d.GetScaledYr(DtDegrees(d, base, s.tc)) : d.GetScaledY(base);
        const int y2 = degrees ? d.GetScaledYr(DtDegrees(d, s.dt, s.tc)) : d.GetScaledY(s.dt);
        c.Line(sx, y1, sx, y2, true, false);
    }
}

// A base line computed from the curve (a kind other than the straight one), along its items.
void DrawComputedBaseLine(TDataClass& d, TDataCanvas& c, const TPeak& p) {
    const bool degrees = d.diffTempScale == dtsDegrees;
    const int from = std::max({p.begX, d.begXSel, 0}),
              to = std::min({p.endX, d.endXSel, d.GetItemCount() - 1});
    TPoints points;
    int previous = -(1 << 30);
    for (int x = from; x <= to; ++x) {
        const int sx = d.GetScaledX(x);
        if (sx <= previous && x != to) continue;  // one point per screen pixel, the last one kept
        previous = sx;
        const double reading = p.BaseLineReading(x);
        const int sy = degrees
                           ? d.GetScaledYr(d.SignalValue(processing::RoundToInt32(reading), d.items[x][0].tc))
                           : d.GetScaledY(reading);
        points.push_back({sx, sy});
    }
    if (points.size() < 2) return;
    c.SetPen(psSolid, clBlack, 1);
    c.PolylineOpen(points, true, true);
}

}  // namespace

void TDataClass::DrawPeaks() {
    if (!fDataCanvas || mode != vm_view_dT_by_time || !DataConfig().showObjects) return;
    TDataCanvas& c = *fDataCanvas;
    const bool debug = DataConfig().debugMode;
    const bool degrees = diffTempScale == dtsDegrees;
    const int P = c.GetPCM();
    for (int k = 0; k < peaks.GetItemCount(); ++k) {
        TPeak* p = PeakAt(*this, k);
        if (!p) continue;
        if (p->active && p->cutType == PEAK_CUTTYPE_FULLAREA) HatchPeak(*this, c, *p);
        if (debug) {
            const int top = ClipItemIndex(p->top);
            c.SetFont(DataConfig().display.captionFontName, 10, clBlack, 0);
            c.SetBrushStyle(bsClear);
            c.TextOut(GetScaledX(top), GetScaledY(items[top][0].dt) - 2 * c.GetTextHeight("0"),
                      "[" + std::to_string(p->begX) + " : " + std::to_string(p->endX) + "]", true);
        }
        if (p->HasComputedBaseLine()) DrawComputedBaseLine(*this, c, *p);
        for (auto& line : p->cutLines) {
            if (line.points.size() < 2) continue;
            // A computed base line is drawn above; its two points are not the operator's then.
            if (line.lineType == CUTLINE_PEAKBASELINE && p->HasComputedBaseLine()) continue;
            // Margins stand on the count scale; the other lines follow the curve's degrees.
            const bool real = degrees && line.lineType != CUTLINE_PEAKLEFTMARGIN &&
                              line.lineType != CUTLINE_PEAKRIGHTMARGIN;
            auto screen = [&](TCoordPoint& pt, int& x, int& y) {
                const int item = LLim(0, pt.x);
                x = GetScaledX(item);
                y = real ? GetScaledYr(DtDegrees(*this, pt.y,
                                                 GetItemCount() > 0 ? items[ClipItemIndex(item)][0].tc : 0))
                         : GetScaledY(pt.y);
                pt.sx = c.AddPaddingX(x);
                pt.sy = c.AddPaddingY(y);
            };
            const TColor color = line.invalid ? clRed
                                 : line.lineType >= CUTLINE_TANGENT && line.lineType <= CUTLINE_PEAKTOP
                                     ? clGreen
                                     : clBlack;
            for (size_t j = 0; j + 1 < line.points.size(); ++j) {
                int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                screen(line.points[j], x1, y1);
                screen(line.points[j + 1], x2, y2);
                c.SetPen(psSolid, color, 1);
                c.Line(x1, y1, x2, y2, true, false);
                c.SetPen(psSolid, clGreen, 1);
                c.SetBrush(bsSolid, clRed);
                c.Ellipse(x1 - 3 * P, y1 - 3 * P, x1 + 3 * P + 1, y1 + 3 * P + 1, true);
                c.Ellipse(x2 - 3 * P, y2 - 3 * P, x2 + 3 * P + 1, y2 + 3 * P + 1, true);
                if (debug) {
                    c.SetBrushStyle(bsClear);
                    const TCoordPoint &a = line.points[j], &b = line.points[j + 1];
                    c.TextOut(x1 + 4 * P, y1, "1[" + std::to_string(a.x) + " : " + std::to_string(a.y) + "]",
                              true);
                    c.TextOut(x2 + 4 * P, y2, "2[" + std::to_string(b.x) + " : " + std::to_string(b.y) + "]",
                              true);
                }
            }
        }
    }
}

void TDataClass::FillCoords() {
    // Printing lays the plot out in page units: the screen positions stay as they were.
    if (fDataCanvas && fDataCanvas->IsPrinting()) return;
    coords.resize(2);
    for (int k = 0; k < peaks.GetItemCount(); ++k) {
        const TPeak* p = PeakAt(*this, k);
        if (!p) continue;
        for (size_t j = 0; j < p->cutLines.size(); ++j) {
            const TCutLine& line = p->cutLines[j];
            for (size_t n = 0; n < line.points.size(); ++n) {
                TScreenCoord entry;
                entry.dragType = line.dragType;
                entry.objType = line.lineType;
                entry.alowedModes = 1u << vm_view_dT_by_time;  // peaks are shown and edited there only
                entry.x = line.points[n].sx;
                entry.y = line.points[n].sy;
                // The other end of the line: the range a point of a vertical line is held in.
                const TCoordPoint& other = line.points[n + 1 < line.points.size() ? n + 1
                                                       : n > 0                    ? n - 1
                                                                                  : n];
                entry.x1 = other.sx;
                entry.y1 = other.sy;
                entry.objID = k;
                entry.objSubID = static_cast<int32_t>(j);
                entry.pointID = static_cast<int32_t>(n);
                entry.disableForAllModes = line.lineType == CUTLINE_PEAKBASELINE && p->HasComputedBaseLine();
                coords.push_back(entry);
            }
        }
    }
    if (fDataCanvas) AppendEvaluationCoords(*this, *fDataCanvas);
}

}  // namespace kalvero
