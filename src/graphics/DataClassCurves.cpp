// The curves of the plot: the whole visible stretch of every channel, or during a run only the
// samples acquired since the last paint, with the automatic scrolling of the view.

#include <algorithm>

#include "common/MathProcs.h"
#include "data/DataClass.h"
#include "graphics/CurvePath.h"
#include "graphics/DataCanvas.h"
#include "graphics/EvaluationDraw.h"
#include "graphics/GraphUtils.h"
#include "graphics/PlotSupport.h"

namespace kalvero {
namespace {

void DrawChannel(TDataClass& d, TDataCanvas& c, int aChannel, int aFirst, int aLast, TColor aColor,
                 int aWidth) {
    const TAppConfig& cfg = DataConfig();
    const TPoints points = CurvePoints(d, aChannel, aFirst, aLast, cfg.drawOptimization);
    c.SetPen(psSolid, aColor, aWidth);
    if (points.size() == 1) {
        c.Line(points[0].x, points[0].y, points[0].x, points[0].y, true, false);
        return;
    }
    c.PolylineOpen(points, true, cfg.useAA);
}

TColor CurveColor(const TDataClass& d, int aChannel) {
    const TChannelDescriptor& ch = d.descriptors[aChannel];
    return IsTCurveMode(d.mode) ? ch.tempCurveColor : ch.diffTempCurveColor;
}

int CurveWidth(const TDataClass& d) {
    const TDisplayParams& p = DataConfig().display;
    return IsTCurveMode(d.mode) ? p.tempCurveWidth : p.diffTempCurveWidth;
}

bool Visible(const TDataClass& d, int ch) {
    return ch < d.GetChannelCount() && static_cast<size_t>(ch) < d.descriptors.size() &&
           d.descriptors[ch].visible;
}

void DrawCurves(TDataClass& d, TDataCanvas& c) {
    for (int ch = 0; ch < d.GetChannelCount(); ++ch) {
        if (!Visible(d, ch)) continue;
        int first = 0, last = -1;
        ShownItems(d, ch, first, last);
        DrawChannel(d, c, ch, first, last, CurveColor(d, ch), CurveWidth(d));
    }
    // The statistics range of channel 0 stands out.
    if ((d.fShowStatistics || d.fShowCurveSelection) && Visible(d, 0)) {
        int first = 0, last = -1;
        ShownItems(d, 0, first, last);
        const int64_t a = std::max<int64_t>(first, d.fBegCalcInfo),
                      b = std::min<int64_t>(last, d.fEndCalcInfo);
        if (a <= b) DrawChannel(d, c, 0, static_cast<int>(a), static_cast<int>(b), clRed, 2);
    }
}

// Draws what the acquisition added since the last paint. When the newest sample leaves the
// graph the view scrolls or widens and the whole plot is repainted; returns true then.
bool DrawScanSegment(TDataClass& d, TDataCanvas& c) {
    const int count = d.GetItemCount();
    if (count == 0) return false;
    const int last = static_cast<int>(std::min<int64_t>(d.fTimeCounter, count - 1));
    const int first = static_cast<int>(std::min<int64_t>(d.fOldTimeCounter, last));
    const int firstCh = d.fFirstScanChannelNo,
              lastCh = std::min<int>(d.fLastScanChannelNo, d.GetChannelCount() - 1);

    if (d.fAutoRefresh) {
        bool right = false, above = false, below = false;
        for (int ch = firstCh; ch <= lastCh; ++ch) {
            if (!Visible(d, ch)) continue;
            int x = 0, y = 0;
            CurvePoint(d, last, ch, x, y);
            right |= x > c.GetGraphicWidth();
            above |= y < 0;
            below |= y > c.GetGraphicHeight();
        }
        const bool scroll = DataConfig().zoomKindWhileScan == 1;
        if (right) {
            const int w = d.endXSel - d.begXSel;
            if (scroll) d.begXSel = HLim(d.endX - w, d.endXSel);
            d.endXSel = HLim(d.endX, d.endXSel + w);
        }
        const int h = (d.endYSel - d.begYSel) / 2;
        if (above) {
            if (scroll) d.begYSel = HLim(d.endY - h, d.begYSel + h);
            d.endYSel = HLim(d.endY, d.endYSel + h);
        } else if (below) {
            if (scroll) d.endYSel = LLim(d.begY + h, d.endYSel - h);
            d.begYSel = LLim(d.begY, d.begYSel - h);
        }
        if (right || above || below) {
            const TCurveMode scanMode = d.mode;
            d.mode = RepaintModeOf(scanMode);
            try {
                d.DrawGrid();
                d.DrawGraph();
            } catch (...) {
                d.mode = scanMode;
                throw;
            }
            d.DoOnRefreshCanvas();
            d.mode = scanMode;
            return true;
        }
    }
    for (int ch = firstCh; ch <= lastCh; ++ch) {
        if (Visible(d, ch)) DrawChannel(d, c, ch, first, last, CurveColor(d, ch), CurveWidth(d));
    }
    return false;
}

}  // namespace

void TDataClass::DrawGraph() {
    if (!fDataCanvas) return;
    TDataCanvas& c = *fDataCanvas;
    // Curves never leave the graph rectangle, the incremental paint of a run included.
    c.InitClipRgn(true);
    if (!IsScanMode(mode)) DrawSegmentBands(*this, c);
    DrawBaseLine();
    if (IsScanMode(mode)) {
        if (DrawScanSegment(*this, c)) return;
    } else {
        DrawCurves(*this, c);
    }
    DrawPeaks();
    DrawEvaluations(*this, c);
    DrawHighlightedEffect(*this, c);
    DrawEffectLabels(*this, c);
    DrawStatistics(*this);
    DrawBubbles(*this);
    DrawTangents(*this);
    DrawLegend(*this);
    c.ResetClipRgn();
    FillCoords();
    c.ResetClipRgn();
}

}  // namespace kalvero
