#include "app/ResultPlotView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "app/QtText.h"

namespace kalvero::app {
namespace {

// Distinct on white and in print; a series of a colour beyond the last takes them again.
const QColor kPalette[] = {QColor(31, 119, 180), QColor(214, 39, 40),   QColor(44, 160, 44),
                           QColor(255, 127, 14), QColor(148, 103, 189), QColor(23, 190, 207),
                           QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127),
                           QColor(188, 189, 34)};
constexpr int kPaletteSize = static_cast<int>(std::size(kPalette));
constexpr double kMarkRadius = 3.5;
constexpr int kLegendSample = 28;  // the width of a legend's line
constexpr int kLegendIndent = 16;
constexpr int kBandAlpha = 60;

bool HasLine(TSeriesStyle aStyle) {
    return aStyle == TSeriesStyle::ssLine || aStyle == TSeriesStyle::ssLinePoints;
}

bool HasMarks(TSeriesStyle aStyle) {
    return aStyle == TSeriesStyle::ssPoints || aStyle == TSeriesStyle::ssLinePoints;
}

// The value at aIndex, NaN past the end of a shorter array.
double At(const std::vector<double>& aValues, size_t aIndex) {
    return aIndex < aValues.size() ? aValues[aIndex] : NAN;
}

}  // namespace

void TResultPlotView::SetPlot(const RResultPlot& aPlot) {
    fPlot = aPlot;
    fColours.clear();
    int next = 0;
    for (const RResultSeries& s : fPlot.series) {
        const int index = s.colour >= 0 ? s.colour : next++;
        fColours.push_back(kPalette[index % kPaletteSize]);
    }
    setAccessibleName(Q(aPlot.title));
    ResetZoom();
}

QRectF TResultPlotView::Extent() const {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (const RResultSeries& s : fPlot.series) {
        for (size_t i = 0; i < s.x.size(); ++i) {
            const double x = s.x[i];
            for (double y : {At(s.y, i), At(s.yHigh, i)}) {
                if (!std::isfinite(x) || !std::isfinite(y)) continue;
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
        }
    }
    if (x0 > x1) return QRectF(0, 0, 1, 1);
    const double padX = x1 - x0 > 0 ? (x1 - x0) * 0.03 : std::max(std::fabs(x0) * 0.05, 0.5);
    const double padY = y1 - y0 > 0 ? (y1 - y0) * 0.05 : std::max(std::fabs(y0) * 0.05, 0.5);
    return QRectF(QPointF(x0 - padX, y0 - padY), QPointF(x1 + padX, y1 + padY));
}

TResultPlotView::TLegendLayout TResultPlotView::Legend() const {
    const QFontMetrics fm = fontMetrics();
    TLegendLayout legend;
    int widest = 0, count = 0;
    for (const RResultSeries& s : fPlot.series) {
        if (s.legend.empty()) continue;
        widest = std::max(widest, fm.horizontalAdvance(Q(s.legend)));
        ++count;
    }
    if (count == 0) return legend;
    // Under the plot, in as many columns of the widest entry as the width takes.
    const int room = std::max(1, width() - kLegendIndent * 2);
    legend.columnWidth = std::min(widest + kLegendSample + 24, room);
    legend.columns = std::max(1, room / legend.columnWidth);
    legend.line = fm.height() + 4;
    legend.height = (count + legend.columns - 1) / legend.columns * legend.line + 6;
    return legend;
}

QRect TResultPlotView::PlotRect() const {
    const QRect axes = AxesRect(fontMetrics().horizontalAdvance("0000") + 8);
    return axes.adjusted(0, 0, 0, -std::min(Legend().height, axes.height() / 2));
}

void TResultPlotView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawFrame(p, Q(fPlot.title), Q(fPlot.xTitle), Q(fPlot.yTitle));
    p.save();
    p.setClipRect(PlotRect().adjusted(1, 1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing);
    DrawSeries(p);
    p.restore();
    DrawLegend(p);
    DrawDragRect(p);
}

void TResultPlotView::DrawSeries(QPainter& p) const {
    const TChartMap map = Map();
    // Bands under everything, then the lines, the marks on top.
    for (size_t k = 0; k < fPlot.series.size(); ++k) {
        const RResultSeries& s = fPlot.series[k];
        if (s.style != TSeriesStyle::ssBand) continue;
        QColor fill = fColours[k];
        fill.setAlpha(kBandAlpha);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        // A gap in either edge ends one stretch of the band.
        std::vector<QPointF> low, high;
        auto flush = [&] {
            if (low.size() > 1) {
                QPolygonF polygon(QList<QPointF>(low.begin(), low.end()));
                for (auto it = high.rbegin(); it != high.rend(); ++it)
                    polygon << *it;
                p.drawPolygon(polygon);
            }
            low.clear(), high.clear();
        };
        for (size_t i = 0; i < s.x.size(); ++i) {
            const double x = s.x[i], y = At(s.y, i), top = At(s.yHigh, i);
            if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(top)) {
                flush();
                continue;
            }
            low.push_back(map(x, y)), high.push_back(map(x, top));
        }
        flush();
    }
    for (size_t k = 0; k < fPlot.series.size(); ++k) {
        const RResultSeries& s = fPlot.series[k];
        if (!HasLine(s.style)) continue;
        QPainterPath path;
        bool open = false;
        for (size_t i = 0; i < s.x.size(); ++i) {
            const double x = s.x[i], y = At(s.y, i);
            if (!std::isfinite(x) || !std::isfinite(y)) {
                open = false;
                continue;
            }
            open ? path.lineTo(map(x, y)) : path.moveTo(map(x, y));
            open = true;
        }
        p.setPen(QPen(fColours[k], 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    for (size_t k = 0; k < fPlot.series.size(); ++k) {
        const RResultSeries& s = fPlot.series[k];
        if (!HasMarks(s.style)) continue;
        p.setPen(QPen(fColours[k].darker(130), 1));
        p.setBrush(fColours[k]);
        for (size_t i = 0; i < s.x.size(); ++i)
            if (std::isfinite(s.x[i]) && std::isfinite(At(s.y, i)))
                p.drawEllipse(map(s.x[i], s.y[i]), kMarkRadius, kMarkRadius);
    }
}

void TResultPlotView::DrawLegend(QPainter& p) const {
    const TLegendLayout legend = Legend();
    if (legend.height == 0) return;
    const QFontMetrics fm = fontMetrics();
    const int top = PlotRect().bottom() + fm.height() * 3 + 10;
    p.setRenderHint(QPainter::Antialiasing);
    int entry = 0;
    for (size_t k = 0; k < fPlot.series.size(); ++k) {
        const RResultSeries& s = fPlot.series[k];
        if (s.legend.empty()) continue;
        const int left = kLegendIndent + entry % legend.columns * legend.columnWidth;
        const int y = top + entry / legend.columns * legend.line;
        ++entry;
        const double middle = y + legend.line / 2.0;
        if (s.style == TSeriesStyle::ssBand) {
            QColor fill = fColours[k];
            fill.setAlpha(kBandAlpha);
            p.fillRect(QRectF(left, middle - legend.line / 4.0, kLegendSample, legend.line / 2.0), fill);
        }
        if (HasLine(s.style)) {
            p.setPen(QPen(fColours[k], 1.6));
            p.drawLine(QPointF(left, middle), QPointF(left + kLegendSample, middle));
        }
        if (HasMarks(s.style)) {
            p.setPen(QPen(fColours[k].darker(130), 1));
            p.setBrush(fColours[k]);
            p.drawEllipse(QPointF(left + kLegendSample / 2.0, middle), kMarkRadius, kMarkRadius);
        }
        p.setPen(Qt::black);
        const QRect text(left + kLegendSample + 6, y, legend.columnWidth - kLegendSample - 12, legend.line);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(Q(s.legend), Qt::ElideRight, text.width()));
    }
}

}  // namespace kalvero::app
