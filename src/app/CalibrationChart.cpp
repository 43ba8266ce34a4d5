#include "app/CalibrationChart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "app/QtText.h"
#include "common/Procs.h"
#include "graphics/GridScale.h"

namespace kalvero::app {
namespace {

constexpr int kGridLines = 8;
const QColor kCurveColor(0, 0, 200), kPointColor(200, 0, 0), kGridColor(220, 220, 220);

// The extent of the values, widened a little so that points on its edge stay visible; a flat
// extent gets a height of its own.
QRectF Extent(const RChartData& aData) {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    auto take = [&](const TChartPoints& aPoints) {
        for (const auto& [x, y] : aPoints) {
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    };
    take(aData.curve);
    take(aData.points);
    take(aData.filled);
    if (x0 > x1) return QRectF(0, 0, 1, 1);
    if (x1 - x0 <= 0) x0 -= 0.5, x1 += 0.5;
    const double pad = y1 - y0 > 0 ? (y1 - y0) * 0.05 : std::max(std::fabs(y0) * 0.05, 0.5);
    return QRectF(QPointF(x0, y0 - pad), QPointF(x1, y1 + pad));
}

// Grid values of one axis and the text of each.
std::vector<std::pair<double, QString>> Ticks(double aFrom, double aTo) {
    std::vector<std::pair<double, QString>> ticks;
    const double span = aTo - aFrom;
    if (!(span > 0)) return ticks;
    const double step = SelectStep(span, kGridLines);
    const std::string format = GridLabelFormat(span, step);
    for (double v : GridValues(aFrom, aTo, step))
        ticks.emplace_back(v, Q(FormatFloat(format, v)).trimmed());
    return ticks;
}

}  // namespace

TCalibrationChart::TCalibrationChart(QWidget* aParent) : QWidget(aParent) {
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCalibrationChart::SetData(const RChartData& aData) {
    fData = aData;
    setAccessibleName(Q(aData.title));
    update();
}

void TCalibrationChart::ResetZoom() {
    fZoom = QRectF();
    update();
}

QRectF TCalibrationChart::View() const {
    return fZoom.isValid() ? fZoom : Extent(fData);
}

QRect TCalibrationChart::PlotRect() const {
    const QFontMetrics fm = fontMetrics();
    // Room for the widest value label: a dT factor of a 24-bit converter has many decimals.
    const QRectF v = View();
    int labels = fm.horizontalAdvance("-0000.0000");
    for (const auto& tick : Ticks(v.top(), v.bottom()))
        labels = std::max(labels, fm.horizontalAdvance(tick.second));
    const int left = fm.height() * 2 + labels + 8;
    const int top = fm.height() * 2 + 8, bottom = fm.height() * 3 + 8,
              right = fm.horizontalAdvance("0000") + 8;
    return QRect(left, top, std::max(10, width() - left - right), std::max(10, height() - top - bottom));
}

QPointF TCalibrationChart::ToValue(QPoint aPixel) const {
    const QRect r = PlotRect();
    const QRectF v = View();
    return {v.left() + (aPixel.x() - r.left()) * v.width() / r.width(),
            v.bottom() - (aPixel.y() - r.top()) * v.height() / r.height()};
}

void TCalibrationChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect r = PlotRect();
    const QRectF v = View();
    const QFontMetrics fm = fontMetrics();
    auto px = [&](double x) { return r.left() + (x - v.left()) * r.width() / v.width(); };
    auto py = [&](double y) { return r.bottom() - (y - v.top()) * r.height() / v.height(); };

    // Title, grid with its labels, axis titles.
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(0, 4, width(), fm.height() + 4), Qt::AlignHCenter, Q(fData.title));
    p.setFont(font());
    for (const auto& [x, text] : Ticks(v.left(), v.right())) {
        p.setPen(kGridColor);
        p.drawLine(QPointF(px(x), r.top()), QPointF(px(x), r.bottom()));
        p.setPen(Qt::black);
        p.drawText(QRectF(px(x) - 60, r.bottom() + 4, 120, fm.height()), Qt::AlignHCenter, text);
    }
    for (const auto& [y, text] : Ticks(v.top(), v.bottom())) {
        p.setPen(kGridColor);
        p.drawLine(QPointF(r.left(), py(y)), QPointF(r.right(), py(y)));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, py(y) - fm.height() / 2.0, r.left() - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, text);
    }
    p.drawRect(r);
    p.drawText(QRect(r.left(), r.bottom() + fm.height() + 10, r.width(), fm.height() + 4), Qt::AlignHCenter,
               Q(fData.xTitle));
    p.save();
    p.translate(4, r.center().y());
    p.rotate(-90);
    p.drawText(QRect(-r.height() / 2, 0, r.height(), fm.height() + 4), Qt::AlignHCenter, Q(fData.yTitle));
    p.restore();

    // The curve and the points, clipped to the plot.
    p.setClipRect(r.adjusted(1, 1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    bool open = false;
    for (const auto& [x, y] : fData.curve) {
        if (!std::isfinite(x) || !std::isfinite(y)) {
            open = false;
            continue;
        }
        const QPointF at(px(x), py(y));
        open ? path.lineTo(at) : path.moveTo(at);
        open = true;
    }
    p.setPen(QPen(kCurveColor, 1.5));
    p.drawPath(path);
    p.setPen(QPen(kPointColor, 1.5));
    p.setBrush(Qt::white);
    for (const auto& [x, y] : fData.points)
        if (std::isfinite(x) && std::isfinite(y)) p.drawEllipse(QPointF(px(x), py(y)), 4, 4);
    p.setBrush(kPointColor);
    for (const auto& [x, y] : fData.filled)
        if (std::isfinite(x) && std::isfinite(y)) p.drawEllipse(QPointF(px(x), py(y)), 3, 3);
    if (fDragging) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(fDragFrom, fDragTo).normalized());
    }
}

void TCalibrationChart::mousePressEvent(QMouseEvent* aEvent) {
    if (aEvent->button() != Qt::LeftButton) return;
    fDragging = true;
    fDragFrom = fDragTo = aEvent->position().toPoint();
}

void TCalibrationChart::mouseMoveEvent(QMouseEvent* aEvent) {
    if (!fDragging) return;
    fDragTo = aEvent->position().toPoint();
    update();
}

void TCalibrationChart::mouseReleaseEvent(QMouseEvent* aEvent) {
    if (!fDragging || aEvent->button() != Qt::LeftButton) return;
    fDragging = false;
    fDragTo = aEvent->position().toPoint();
    const QPoint d = fDragTo - fDragFrom;
    if (d.x() < 0 || d.y() < 0) {
        ResetZoom();
    } else if (d.x() > 3 && d.y() > 3) {
        const QPointF a = ToValue(fDragFrom), b = ToValue(fDragTo);
        fZoom = QRectF(QPointF(a.x(), b.y()), QPointF(b.x(), a.y()));
    }
    update();
}

}  // namespace kalvero::app
