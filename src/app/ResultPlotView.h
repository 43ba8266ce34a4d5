#pragma once
// A plot a plug-in described (PluginResults.h) drawn with QPainter: its title, the axes with their
// titles and grid, the series as lines, marks and bands in the program's palette, and the legend
// under the plot; zoomed with the mouse as every chart of the program.

#include <vector>

#include "app/ZoomChart.h"
#include "plugins/PluginResults.h"

namespace kalvero::app {

class TResultPlotView : public TZoomChart {
public:
    using TZoomChart::TZoomChart;

    void SetPlot(const RResultPlot& aPlot);
    const RResultPlot& Plot() const { return fPlot; }
    // The colour series aSeries is drawn in: its own place in the palette, else the next one.
    QColor SeriesColour(size_t aSeries) const { return fColours.at(aSeries); }

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    // The extent of every series, a little wider so that marks on its edge stay whole.
    QRectF Extent() const override;
    QRect PlotRect() const override;

private:
    // Where the legend goes under the plot: entries in columns, row by row.
    struct TLegendLayout {
        int columns = 1, columnWidth = 0, line = 0;
        int height = 0;  // 0: no legend
    };
    TLegendLayout Legend() const;
    void DrawSeries(QPainter& aPainter) const;
    void DrawLegend(QPainter& aPainter) const;

    RResultPlot fPlot;
    std::vector<QColor> fColours;  // one per series
};

}  // namespace kalvero::app
