#pragma once
// A chart drawn with QPainter: its title, the axes with their grid, labels and titles, and a view
// the operator zooms with the mouse (a rectangle dragged to the right and down zooms into it; one
// dragged to the left or up shows everything again). The chart says what its values span and
// where it plots them and draws its own data; this class keeps the view and draws the frame.

#include <QRectF>
#include <QWidget>

class QPainter;

namespace kalvero::app {

// Values to pixels of one view of a plot.
struct TChartMap {
    QRect rect;   // the plot
    QRectF view;  // the values it shows
    QPointF operator()(double aX, double aY) const {
        return {rect.left() + (aX - view.left()) * rect.width() / view.width(),
                rect.bottom() - (aY - view.top()) * rect.height() / view.height()};
    }
};

class TZoomChart : public QWidget {
public:
    explicit TZoomChart(QWidget* aParent);

    // Shows everything again.
    void ResetZoom();
    bool IsZoomed() const { return fZoom.isValid(); }
    // The values shown: the zoom, or the chart's extent.
    QRectF View() const;
    // Values to pixels as the chart is now.
    TChartMap Map() const { return {PlotRect(), View()}; }

protected:
    // The values of everything the chart draws, with a margin of its choice.
    virtual QRectF Extent() const = 0;
    // The rectangle of the plot inside the widget (the titles and labels around it).
    virtual QRect PlotRect() const = 0;
    // The value under a pixel of the plot.
    QPointF ToValue(QPoint aPixel) const;
    // The plot's rectangle with room on the left for the value labels and the axis title, above
    // for the title, below for the labels and title of x, and aRight pixels on the right.
    QRect AxesRect(int aRight) const;
    // White ground, the title, the grid with its labels, the frame and the axis titles.
    void DrawFrame(QPainter& aPainter, const QString& aTitle, const QString& aXTitle,
                   const QString& aYTitle) const;
    // The rectangle being dragged, dashed; nothing while none is.
    void DrawDragRect(QPainter& aPainter) const;

    void mousePressEvent(QMouseEvent* aEvent) override;
    void mouseMoveEvent(QMouseEvent* aEvent) override;
    void mouseReleaseEvent(QMouseEvent* aEvent) override;

private:
    // Grid lines across aPixels with labels at least aSpacing apart: 2 … 8.
    static int GridLines(int aPixels, int aSpacing);
    int XLabelSpacing() const;
    int YLabelSpacing() const;

    QRectF fZoom;  // invalid: no zoom
    QPoint fDragFrom, fDragTo;
    bool fDragging = false;
};

}  // namespace kalvero::app
