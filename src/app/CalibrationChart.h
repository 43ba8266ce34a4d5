#pragma once
// The chart of a calibration table: its conversion as a curve and its reference points as marks,
// under the table's title and axis titles. A rectangle dragged to the right and down zooms into
// it; one dragged to the left or up shows everything again.

#include "app/ZoomChart.h"
#include "calibration/CalibrationGrid.h"

namespace kalvero::app {

class TCalibrationChart : public TZoomChart {
public:
    using TZoomChart::TZoomChart;

    void SetData(const RChartData& aData);
    const RChartData& Data() const { return fData; }

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    // The extent of the curve and the points.
    QRectF Extent() const override;
    QRect PlotRect() const override;

private:
    RChartData fData;
};

}  // namespace kalvero::app
