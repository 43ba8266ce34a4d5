// The experiment's plot: the drawing sequence per mode, the scale, the grid and the zero lines.

#include <algorithm>
#include <cmath>

#include "common/MathProcs.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GraphUtils.h"
#include "graphics/GridScale.h"
#include "graphics/PlotSupport.h"

namespace kalvero {
namespace {

// Pixels stay far inside 32 bits, whatever the zoom: a point a billion pixels away draws
// (or rather clips) the same as one further out.
constexpr long double kPixelLimit = 1e9;

int ToPixel(long double v) {
    if (!(v == v)) return 0;  // NaN from an empty scale
    return static_cast<int>(std::nearbyint(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

long double Koeff(int aPixels, long double aSpan) {
    return aPixels / (aSpan != 0 ? aSpan : 1.0L);
}

// Restores the mode (and the margins swapped for the temperature pass) however drawing ends.
struct TModeRestore {
    TDataClass& d;
    TCurveMode mode;
    bool swapped = false;
    ~TModeRestore() {
        if (swapped) d.SwapMargins();
        d.mode = mode;
        PlotPass() = TPlotPass{};
        if (d.fDataCanvas) d.fDataCanvas->Flush();
    }
};

}  // namespace

void TDataClass::Redraw() {
    if (!fDataCanvas) return;
    TModeRestore restore{*this, mode};
    if (IsScanMode(mode)) {
        mode = RepaintModeOf(mode);
        DrawGrid();
        DrawGraph();
    } else if (mode == vm_view_dt_and_temp_by_time) {
        PlotPass().combined = true;
        mode = vm_view_dT_by_time;
        DrawGrid();
        DrawGraph();
        SwapMargins();
        restore.swapped = true;
        mode = vm_optstate_draw_extra_temp;
        DrawGrid();
        DrawGraph();
        SwapMargins();
        restore.swapped = false;
    } else {
        DrawGrid();
        DrawGraph();
    }
}

void TDataClass::AssignDrawMargins() {
    long double xb = 0, xe = 0, yb = 0, ye = 0;
    RealXRange(*this, xb, xe);
    RealYRange(*this, yb, ye);
    const bool tAxis = IsTCurveMode(mode) || mode == vm_view_dt_and_temp_by_time;
    if (tAxis && ye <= yb)
        throw EDataClassException("Некорректные границы для " + DataConfig().tempChannelName + ".");
    begXr = xb, endXr = xe, begYr = yb, endYr = ye;
    if (diffTempScale == dtsDegrees) {
        const double t =
            GetItemCount() > 0 ? items[ClipItemIndex(begXSel + (endXSel - begXSel) / 2)][0].tc : 0;
        begYSelr = DtDegrees(*this, begYSel, t);
        endYSelr = DtDegrees(*this, endYSel, t);
    }
    if (fDataCanvas) {
        graphicWidth = fDataCanvas->GetGraphicWidth();
        graphicHeight = fDataCanvas->GetGraphicHeight();
        paddingTop = fDataCanvas->GetPaddingTop();
        paddingLeft = fDataCanvas->GetPaddingLeft();
        paddingBottom = fDataCanvas->GetPaddingBottom();
    }
    // A record of one item or a range without extent must not divide by zero.
    koeff_x = Koeff(graphicWidth, static_cast<long double>(endXSel) - begXSel);
    koeff_y = Koeff(graphicHeight, static_cast<long double>(endYSel) - begYSel);
    koeff_yr = Koeff(graphicHeight, endYr - begYr);
}

int TDataClass::GetScaledX(long double x) const {
    return ToPixel((x - begXSel) * koeff_x);
}

int TDataClass::GetScaledY(long double y) const {
    return graphicHeight - ToPixel((y - begYSel) * koeff_y);
}

int TDataClass::GetScaledYr(long double y) const {
    return graphicHeight - ToPixel((y - begYr) * koeff_yr);
}

void TDataClass::DrawGrid() {
    if (!fDataCanvas) return;
    DrawAxes(*this);
    AssignDrawMargins();
    TDataCanvas& c = *fDataCanvas;
    const TAppConfig& cfg = DataConfig();
    const TDisplayParams& disp = cfg.display;
    const int P = c.GetPCM(), gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    const bool rightAxis = mode == vm_optstate_draw_extra_temp;
    const bool lines = cfg.showScreenGrid && !rightAxis;

    const double spanY = static_cast<double>(endYr - begYr), spanX = static_cast<double>(endXr - begXr);
    const double stepY = GridStep(std::fabs(spanY)), stepX = GridStep(std::fabs(spanX));
    gridSize_Y = static_cast<float>(stepY);
    gridSize_X = static_cast<float>(stepX);
    c.SetFont(disp.textFontName, std::max<int>(10, disp._textFontSize), disp.fontColor, 0);
    c.SetBrushStyle(bsClear);
    const int th = c.GetTextHeight("0");

    const std::string patternY = GridLabelFormat(spanY, stepY);
    for (double v : GridValues(static_cast<double>(begYr), static_cast<double>(endYr), stepY)) {
        const int y = GetScaledYr(v);
        if (y < 0 || y > gh) continue;
        if (lines && y > 0 && y < gh) {
            c.SetPen(psSolid, disp.gridLinesColor, 1);
            c.Line(0, y, gw - 1, y, true, false);
        }
        c.SetPen(psSolid, disp.axesColor, 1);
        const std::string label = FormatLabel(patternY, v);
        if (rightAxis) {
            c.Line(gw, y, gw + 3 * P, y, true, false);
            c.TextOut(gw + 5 * P, y - th / 2, label, true);
        } else {
            c.Line(-1 - 3 * P, y, -1, y, true, false);
            c.TextOut(-5 * P - c.GetTextWidth(label), y - th / 2, label, true);
        }
    }
    if (rightAxis) return;  // the temperature pass shares the time axis of the first pass

    const std::string patternX = GridLabelFormat(spanX, stepX);
    int labelsEnd = -(1 << 30);
    for (double v : GridValues(static_cast<double>(begXr), static_cast<double>(endXr), stepX)) {
        const int x = ToPixel(spanX != 0 ? (v - begXr) / spanX * gw : 0);
        if (x < 0 || x > gw) continue;
        if (lines && x > 0 && x < gw) {
            c.SetPen(psSolid, disp.gridLinesColor, 1);
            c.Line(x, 0, x, gh - 1, true, false);
        }
        c.SetPen(psSolid, disp.axesColor, 1);
        c.Line(x, gh, x, gh + 3 * P, true, false);
        // Centred under the line, unless it would run into its neighbour or the axis title.
        const std::string label = FormatLabel(patternX, v);
        const int tw = c.GetTextWidth(label), left = x - tw / 2;
        if (left <= labelsEnd + 4 * P || left + tw >= PlotPass().xTitleLeft - 4 * P) continue;
        c.TextOut(left, gh + 4 * P, label, true);
        labelsEnd = left + tw;
    }
}

void TDataClass::DrawBaseLine() {
    if (!fDataCanvas || IsScanMode(mode)) return;
    TDataCanvas& c = *fDataCanvas;
    const TAppConfig& cfg = DataConfig();
    const int gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    if (coords.size() < 2) coords.resize(2);
    const bool temperature =
        mode == vm_optstate_draw_extra_temp || mode == vm_view_T_by_time || mode == vm_repaint_scan_T_by_time;
    int y = 0;
    if (temperature) {
        y = tempScale == tsUnits ? GetScaledY(0) : GetScaledYr(0);
        c.SetPen(psDash, RGB(128, 0, 128), 1);
    } else {
        y = std::clamp(diffTempScale == dtsUnits ? GetScaledY(0) : GetScaledYr(0), 0, gh - 1);
        c.SetPen(psDash, clGreen, 1);
    }
    c.Line(0, y, gw - 1, y, true, false);

    int sx = -1, sy = y;
    c.TakePadding(true, sx, sy);
    TScreenCoord& entry = coords[temperature ? 1 : 0];
    entry.x = -1;
    entry.y = sy;
    entry.dragType = DRAGTYPE_Y_moveYfixedX;
    if (temperature) {
        entry.objType = CUTLINE_VIRTUALBASELINE_T;
        entry.alowedModes = 1u << 7 | 1u << 8 | 1u << 9;
        entry.disableForAllModes = !cfg.allowTZeroLineEdit;
    } else {
        entry.objType = CUTLINE_VIRTUALBASELINE_DT;
        entry.alowedModes = 1u << 0 | 1u << 1 | 1u << 2 | 1u << 7;
        entry.disableForAllModes = !cfg.allowDtZeroLineEdit;
    }
}

void TDataClass::ExportToBMP(const std::string& aFileName) {
    if (fDataCanvas) fDataCanvas->SaveToBmpFile(aFileName);
}

void TDataClass::ExportToTIFF(const std::string& aFileName) {
    if (fDataCanvas) fDataCanvas->SaveToTiffFile(aFileName);
}

}  // namespace kalvero
