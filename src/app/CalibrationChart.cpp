#include "app/CalibrationChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "app/QtText.h"

namespace kalvero::app {
namespace {

const QColor kCurveColor(0, 0, 200), kPointColor(200, 0, 0);

// The extent of the values, widened a little so that points on its edge stay visible; a flat
// extent gets a height of its own.
QRectF ExtentOf(const RChartData& aData) {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    auto take = [&](const TChartPoints& aPoints) {
        for (const auto& [x, y] : aPoints) {
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    };
    take(aData.curve);
    take(aData.points);
    if (x0 > x1) return QRectF(0, 0, 1, 1);
    if (x1 - x0 <= 0) x0 -= 0.5, x1 += 0.5;
    const double pad = y1 - y0 > 0 ? (y1 - y0) * 0.05 : std::max(std::fabs(y0) * 0.05, 0.5);
    return QRectF(QPointF(x0, y0 - pad), QPointF(x1, y1 + pad));
}

}  // namespace

void TCalibrationChart::SetData(const RChartData& aData) {
    fData = aData;
    setAccessibleName(Q(aData.title));
    update();
}

QRectF TCalibrationChart::Extent() const {
    return ExtentOf(fData);
}

QRect TCalibrationChart::PlotRect() const {
    return AxesRect(fontMetrics().horizontalAdvance("0000") + 8);
}

void TCalibrationChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawFrame(p, Q(fData.title), Q(fData.xTitle), Q(fData.yTitle));
    const TChartMap map = Map();

    // The curve and the points, clipped to the plot.
    p.setClipRect(map.rect.adjusted(1, 1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    bool open = false;
    for (const auto& [x, y] : fData.curve) {
        if (!std::isfinite(x) || !std::isfinite(y)) {
            open = false;
            continue;
        }
        const QPointF at = map(x, y);
        open ? path.lineTo(at) : path.moveTo(at);
        open = true;
    }
    p.setPen(QPen(kCurveColor, 1.5));
    p.drawPath(path);
    p.setPen(QPen(kPointColor, 1.5));
    p.setBrush(Qt::white);
    for (const auto& [x, y] : fData.points)
        if (std::isfinite(x) && std::isfinite(y)) p.drawEllipse(map(x, y), 4, 4);
    DrawDragRect(p);
}

}  // namespace kalvero::app
