// Axes, header, legend and statistics of a plot.

#include "graphics/GraphUtils.h"

#include <algorithm>
#include <climits>

#include "common/Cp1251.h"
#include "common/DateTime.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GridScale.h"
#include "graphics/PlotSupport.h"

namespace kalvero {
namespace {

int FontSize(uint8_t aSize) {
    return aSize > 0 ? aSize : 10;
}

void CaptionFont(TDataCanvas& c, TColor aColor, TFontStyles aStyle = 0) {
    const TDisplayParams& p = DataConfig().display;
    c.SetFont(p.captionFontName, FontSize(p._captionFontSize), aColor, aStyle);
}

void TextFont(TDataCanvas& c, TColor aColor) {
    const TDisplayParams& p = DataConfig().display;
    c.SetFont(p.textFontName, FontSize(p._textFontSize), aColor, 0);
}

// The widest grid label of an axis over [aBeg, aEnd] in the current font.
int WidestLabel(TDataCanvas& c, long double aBeg, long double aEnd) {
    const double span = static_cast<double>(aEnd - aBeg), step = GridStep(std::fabs(span));
    const std::string pattern = GridLabelFormat(span, step);
    int widest = 0;
    for (double v : GridValues(static_cast<double>(aBeg), static_cast<double>(aEnd), step))
        widest = std::max(widest, c.GetTextWidth(FormatLabel(pattern, v)));
    return widest;
}

// The temperature range of the combined view's second pass, read while the first is drawn.
void CombinedTRange(const TDataClass& d, long double& aBeg, long double& aEnd) {
    if (d.tempScale == tsUnits) {
        aBeg = d.begYSel1, aEnd = d.endYSel1;
    } else {
        aBeg = TDegrees(d, d.begYSel1), aEnd = TDegrees(d, d.endYSel1);
    }
}

// Up and right pointing arrow heads at the ends of the axes.
void ArrowUp(TDataCanvas& c, int x, int y, int P) {
    c.Line(x, y, x - 3 * P, y + 6 * P, true, false);
    c.Line(x, y, x + 3 * P, y + 6 * P, true, false);
}

void ArrowRight(TDataCanvas& c, int x, int y, int P) {
    c.Line(x, y, x - 6 * P, y - 3 * P, true, false);
    c.Line(x, y, x - 6 * P, y + 3 * P, true, false);
}

std::string SampleMass(const TDataClass& d) {
    return d.fSampleWeight > 0 ? FormatFixed(d.fSampleWeight, 3) + " мг" : "Не задан";
}

std::string OrNot(const std::string& aText, const char* aNone) {
    return aText.empty() ? aNone : aText;
}

std::string CreationDate(const TDataClass& d) {
    return FormatDateTime("dd.mm.yyyy hh:nn:ss", d.fDateCreate);
}

// The box of a block of lines: filled with the background and framed.
void TextBlock(TDataCanvas& c, int x, int y, const std::vector<std::string>& aLines) {
    if (aLines.empty()) return;
    const int P = c.GetPCM(), th = c.GetTextHeight("0");
    int w = 0;
    for (const auto& line : aLines)
        w = std::max(w, c.GetTextWidth(line));
    const TDisplayParams& disp = DataConfig().display;
    c.SetBrush(bsSolid, disp.backGroundColor);
    c.SetPen(psSolid, disp.gridLinesColor, 1);
    c.FillRectangle(x, y, x + w + 8 * P, y + static_cast<int>(aLines.size()) * th + 4 * P, true);
    c.Rectangle(x, y, x + w + 8 * P, y + static_cast<int>(aLines.size()) * th + 4 * P, true);
    c.SetBrushStyle(bsClear);
    for (size_t k = 0; k < aLines.size(); ++k)
        c.TextOut(x + 4 * P, y + 2 * P + static_cast<int>(k) * th, aLines[k], true);
}

// The temperature axis at the right edge of the graph (second pass of the combined view).
void DrawTempAxis(TDataClass& d, TDataCanvas& c) {
    const TDisplayParams& disp = DataConfig().display;
    const int P = c.GetPCM(), gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();
    c.SetPen(psSolid, disp.axesColor, 1);
    c.Line(gw, gh, gw, -8 * P, true, false);
    ArrowUp(c, gw, -8 * P, P);
    CaptionFont(c, disp.titleColor, fsBold);
    c.SetBrushStyle(bsClear);
    const std::string title = TAxisTitle(d);
    const int tw = c.GetTextWidth(title), th = c.GetTextHeight(title);
    const int x = std::min(gw - tw / 2, gw + c.GetPaddingRight() - tw);
    c.TextOut(x, std::max(-c.GetPaddingTop(), -th - 2 * P), title, true);
}

}  // namespace

void DrawAxes(TDataClass& d) {
    TDataCanvas& c = CanvasOf(d);
    if (d.mode == vm_optstate_draw_extra_temp) {
        DrawTempAxis(d, c);
        return;
    }
    const TDisplayParams& disp = DataConfig().display;
    const int P = c.GetPCM();
    const std::string yTitle = YAxisTitle(d), xTitle = XAxisTitle(d);
    long double yBeg = 0, yEnd = 0;
    RealYRange(d, yBeg, yEnd);

    // Room for the y title and labels on the left, the end of the x axis (and the temperature
    // labels of the combined view) on the right, the x labels below. Font sizes follow the
    // graph's height, so the measure is repeated once with the new layout.
    for (int pass = 0; pass < 2; ++pass) {
        CaptionFont(c, disp.titleColor, fsBold);
        const int titleWidth = c.GetTextWidth(yTitle);
        TextFont(c, disp.fontColor);
        const int left = std::max(titleWidth, WidestLabel(c, yBeg, yEnd) + 5 * P) + 10 * P;
        int right = c.GetTextWidth("0000");
        if (PlotPass().combined) {
            long double tBeg = 0, tEnd = 0;
            CombinedTRange(d, tBeg, tEnd);
            right = std::max(right, WidestLabel(c, tBeg, tEnd) + 8 * P);
        }
        const int bottom = c.GetTextHeight("0") + 4 * P;
        if (left == c.GetPaddingLeft() && right == c.GetPaddingRight() && bottom == c.GetPaddingBottom())
            break;
        c.SetPaddings(left, right, bottom);
    }
    const int gw = c.GetGraphicWidth(), gh = c.GetGraphicHeight();

    c.SetBrush(bsSolid, c.IsPrinting() ? clWhite : disp.backGroundColor);
    c.DirectFillRectangle(0, 0, c.GetWidth(), c.GetHeight(), false);

    // The axes run along the outside of the graph rectangle, so curves clipped to it never
    // cover them.
    c.SetPen(psSolid, disp.axesColor, 1);
    c.Line(-1, gh, -1, -8 * P, true, false);
    ArrowUp(c, -1, -8 * P, P);
    c.Line(-1, gh, gw + 8 * P, gh, true, false);
    ArrowRight(c, gw + 8 * P, gh, P);

    c.SetBrushStyle(bsClear);
    CaptionFont(c, disp.titleColor, fsBold);
    int tw = c.GetTextWidth(yTitle), th = c.GetTextHeight(yTitle);
    c.TextOut(-5 * P - tw, std::max(-c.GetPaddingTop(), -th - 2 * P), yTitle, true);
    tw = c.GetTextWidth(xTitle);
    const int xTitleLeft = gw + c.GetPaddingRight() - tw;
    c.TextOut(xTitleLeft, gh + 4 * P, xTitle, true);
    PlotPass().xTitleLeft = xTitleLeft;

    // The header keeps clear of the temperature axis title of the combined view: a smaller
    // font first, then the text is cut.
    std::string header = "Вещество: " + OrNot(d.fSampleName, "Не задано") + ", " + "Вес: " + SampleMass(d) +
                         ", " + "Оператор: " + OrNot(d.fOperatorName, "Не задан") + ", " +
                         "Дата: " + CreationDate(d);
    int room = gw + c.GetPaddingRight() - 10 * P;
    if (PlotPass().combined) {
        CaptionFont(c, disp.titleColor, fsBold);
        room = gw - c.GetTextWidth(TAxisTitle(d)) / 2 - 20 * P;
    }
    int size = FontSize(disp._headerFontSize);
    do {
        c.SetFont(disp.headerFontName, size, disp.fontColor, fsBold);
    } while (c.GetTextWidth(header) > room && --size >= 7);
    while (c.GetTextWidth(header) > room && Utf8Length(header) > 1)
        header = Utf8Left(header, Utf8Length(header) - 2) + "…";
    th = c.GetTextHeight(header);
    c.TextOut(10 * P, -c.GetPaddingTop() + (c.GetPaddingTop() - th) / 2, header, true);

    if (c.IsPrinting()) {
        TextFont(c, disp.fontColor);
        th = c.GetTextHeight("0");
        const std::vector<std::string> block = {
            "Дата эксперимента: " + CreationDate(d), "Вещество: " + OrNot(d.fSampleName, "Не задано"),
            "Масса навески: " + SampleMass(d), "Оператор: " + OrNot(d.fOperatorName, "Не задан"),
            "Комментарии: " + d.fDescription};
        int y = gh + c.GetPaddingBottom() / 4;
        for (const auto& line : block) {
            c.TextOut(0, y, line, true);
            y += th + 2 * P;
        }
    }
}

void DrawLegend(TDataClass& d) {
    if (!d.fShowLegend || d.mode == vm_optstate_draw_extra_temp) return;
    TDataCanvas& c = CanvasOf(d);
    const TDisplayParams& disp = DataConfig().display;
    const int P = c.GetPCM();
    CaptionFont(c, disp.fontColor);
    const int th = c.GetTextHeight("0");
    int w = 0, n = 0;
    for (const auto& ch : d.descriptors) {
        if (!ch.visible) continue;
        w = std::max(w, c.GetTextWidth(ch.name));
        ++n;
    }
    if (n == 0) return;
    const int boxW = w + 34 * P, boxH = n * th + 4 * P;
    const int x = c.GetGraphicWidth() - boxW - 4 * P, y = 4 * P;
    c.SetBrush(bsSolid, disp.backGroundColor);
    c.SetPen(psSolid, disp.gridLinesColor, 1);
    c.FillRectangle(x, y, x + boxW, y + boxH, true);
    c.Rectangle(x, y, x + boxW, y + boxH, true);
    const bool temperature = IsTCurveMode(d.mode);
    int k = 0;
    for (const auto& ch : d.descriptors) {
        if (!ch.visible) continue;
        const TColor color = temperature ? ch.tempCurveColor : ch.diffTempCurveColor;
        const int cy = y + 2 * P + k * th + th / 2;
        c.SetPen(psSolid, color, 2);
        c.Line(x + 4 * P, cy, x + 22 * P, cy, true, false);
        c.SetBrush(bsSolid, color);
        c.Ellipse(x + 10 * P, cy - 3 * P, x + 16 * P + 1, cy + 3 * P + 1, true);
        c.SetBrushStyle(bsClear);
        c.TextOut(x + 28 * P, y + 2 * P + k * th, ch.name, true);
        ++k;
    }
}

void DrawStatistics(TDataClass& d) {
    if (!d.fShowStatistics || d.GetItemCount() == 0) return;
    if (d.mode != vm_view_dT_by_time && d.mode != vm_view_dT_by_temp && d.mode != vm_view_T_by_time) return;
    const TAppConfig& cfg = DataConfig();
    int a = d.ClipItemIndex(static_cast<int>(std::min<uint32_t>(d.fBegCalcInfo, INT_MAX)));
    int b = d.ClipItemIndex(static_cast<int>(std::min<uint32_t>(d.fEndCalcInfo, INT_MAX)));
    Order(a, b);

    auto six = [&](bool aTemperature) {
        const std::string prefix = aTemperature ? cfg.tempChannelShortName : d.GetDtName();
        const std::string unit = " " + (aTemperature ? d.GetTUnits() : d.GetDtUnits());
        const bool degrees = aTemperature ? d.tempScale == tsDegrees : d.diffTempScale == dtsDegrees;
        const int digits = degrees ? (aTemperature ? cfg.tempScaleAccuracy : cfg.diffTempScaleAccuracy) : 0;
        auto value = [&](int i) { return aTemperature ? d.GetT(i) : d.GetDt(i); };
        double lo = value(a), hi = lo, sum = 0;
        for (int i = a; i <= b; ++i) {
            const double v = value(i);
            lo = std::min(lo, v), hi = std::max(hi, v), sum += v;
        }
        auto f = [&](double v) { return FormatFixed(v, digits) + unit; };
        return std::vector<std::string>{prefix + "1 = " + f(value(a)),
                                        prefix + "2 = " + f(value(b)),
                                        prefix + " min = " + f(lo),
                                        prefix + " max = " + f(hi),
                                        prefix + " среднее = " + f(sum / (b - a + 1)),
                                        prefix + " разность = " + f(hi - lo)};
    };
    std::vector<std::string> lines;
    if (d.mode != vm_view_dT_by_temp) {
        const double t1 = a / d.frequency, t2 = b / d.frequency;
        lines = {"t1 = " + FormatFixed(t1, 2) + " сек", "t2 = " + FormatFixed(t2, 2) + " сек",
                 "Разность = " + FormatFixed(t2 - t1, 2) + " сек"};
    }
    if (d.mode != vm_view_dT_by_time) {
        const auto t = six(true);
        lines.insert(lines.end(), t.begin(), t.end());
    }
    if (d.mode != vm_view_T_by_time) {
        const auto dt = six(false);
        lines.insert(lines.end(), dt.begin(), dt.end());
    }
    TDataCanvas& c = CanvasOf(d);
    CaptionFont(c, cfg.display.fontColor);
    TextBlock(c, 4 * c.GetPCM(), 4 * c.GetPCM(), lines);
}

}  // namespace kalvero
