#pragma once
// The chart of a calibration table: its conversion as a curve and its reference points as marks,
// under the table's title and axis titles; any other curve with points (and a second set of points,
// drawn filled) alike. A rectangle dragged to the right and down zooms into
// it; one dragged to the left or up shows everything again.

#include <QRectF>
#include <QWidget>

#include "calibration/CalibrationGrid.h"

namespace kalvero::app {

class TCalibrationChart : public QWidget {
public:
    explicit TCalibrationChart(QWidget* aParent);

    void SetData(const RChartData& aData);
    const RChartData& Data() const { return fData; }
    // Shows the whole curve and every point again.
    void ResetZoom();
    bool IsZoomed() const { return fZoom.isValid(); }
    // The values shown: the zoom, or the extent of the curve and the points.
    QRectF View() const;

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void mousePressEvent(QMouseEvent* aEvent) override;
    void mouseMoveEvent(QMouseEvent* aEvent) override;
    void mouseReleaseEvent(QMouseEvent* aEvent) override;

private:
    // The rectangle of the plot inside the widget (the titles and labels around it).
    QRect PlotRect() const;
    QPointF ToValue(QPoint aPixel) const;

    RChartData fData;
    QRectF fZoom;  // invalid: no zoom
    QPoint fDragFrom, fDragTo;
    bool fDragging = false;
};

}  // namespace kalvero::app
