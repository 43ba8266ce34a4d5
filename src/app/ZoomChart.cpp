#include "app/ZoomChart.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "app/ChartTicks.h"

namespace kalvero::app {
namespace {

const QColor kGridColor(220, 220, 220);
// A wide chart is not cut finer than this.
constexpr int kMostGridLines = 8;

}  // namespace

TZoomChart::TZoomChart(QWidget* aParent) : QWidget(aParent) {
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the frame paints all of it
}

void TZoomChart::ResetZoom() {
    fZoom = QRectF();
    update();
}

QRectF TZoomChart::View() const {
    return fZoom.isValid() ? fZoom : Extent();
}

QPointF TZoomChart::ToValue(QPoint aPixel) const {
    const QRect r = PlotRect();
    const QRectF v = View();
    return {v.left() + (aPixel.x() - r.left()) * v.width() / r.width(),
            v.bottom() - (aPixel.y() - r.top()) * v.height() / r.height()};
}

int TZoomChart::GridLines(int aPixels, int aSpacing) {
    return std::clamp(aPixels / std::max(1, aSpacing), 2, kMostGridLines);
}

QRect TZoomChart::AxesRect(int aRight) const {
    const QFontMetrics fm = fontMetrics();
    const int top = fm.height() * 2 + 8, bottom = fm.height() * 3 + 8;
    const int height = std::max(10, this->height() - top - bottom);
    // Room for the widest value label: a dT factor of a 24-bit converter has many decimals.
    const QRectF v = View();
    int labels = fm.horizontalAdvance("-0000.0000");
    for (const auto& tick : ChartTicks(v.top(), v.bottom(), GridLines(height, YLabelSpacing())))
        labels = std::max(labels, fm.horizontalAdvance(tick.second));
    const int left = fm.height() * 2 + labels + 8;
    return QRect(left, top, std::max(10, width() - left - aRight), height);
}

int TZoomChart::XLabelSpacing() const {
    return fontMetrics().horizontalAdvance("-000.000") + 16;
}

int TZoomChart::YLabelSpacing() const {
    return fontMetrics().height() * 2;
}

void TZoomChart::DrawFrame(QPainter& p, const QString& aTitle, const QString& aXTitle,
                           const QString& aYTitle) const {
    p.fillRect(rect(), Qt::white);
    const TChartMap map = Map();
    const QRect r = map.rect;
    const QRectF v = map.view;
    const QFontMetrics fm = fontMetrics();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 4, width(), fm.height() + 4), Qt::AlignHCenter, aTitle);
    p.setFont(font());
    for (const auto& [x, text] : ChartTicks(v.left(), v.right(), GridLines(r.width(), XLabelSpacing()))) {
        const double at = map(x, v.top()).x();
        p.setPen(kGridColor);
        p.drawLine(QPointF(at, r.top()), QPointF(at, r.bottom()));
        p.setPen(Qt::black);
        p.drawText(QRectF(at - 60, r.bottom() + 4, 120, fm.height()), Qt::AlignHCenter, text);
    }
    for (const auto& [y, text] : ChartTicks(v.top(), v.bottom(), GridLines(r.height(), YLabelSpacing()))) {
        const double at = map(v.left(), y).y();
        p.setPen(kGridColor);
        p.drawLine(QPointF(r.left(), at), QPointF(r.right(), at));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, at - fm.height() / 2.0, r.left() - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, text);
    }
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.drawText(QRect(r.left(), r.bottom() + fm.height() + 10, r.width(), fm.height() + 4), Qt::AlignHCenter,
               aXTitle);
    p.save();
    p.translate(4, r.center().y());
    p.rotate(-90);
    p.drawText(QRect(-r.height() / 2, 0, r.height(), fm.height() + 4), Qt::AlignHCenter, aYTitle);
    p.restore();
}

void TZoomChart::DrawDragRect(QPainter& p) const {
    if (!fDragging) return;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(fDragFrom, fDragTo).normalized());
}

void TZoomChart::mousePressEvent(QMouseEvent* aEvent) {
    if (aEvent->button() != Qt::LeftButton) return;
    fDragging = true;
    fDragFrom = fDragTo = aEvent->position().toPoint();
}

void TZoomChart::mouseMoveEvent(QMouseEvent* aEvent) {
    if (!fDragging) return;
    fDragTo = aEvent->position().toPoint();
    update();
}

void TZoomChart::mouseReleaseEvent(QMouseEvent* aEvent) {
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
