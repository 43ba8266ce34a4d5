#pragma once
// The plot of an experiment as a printed page: the page layout the configuration gives (print
// margins in millimetres) and the drawing of one page through the experiment's own surface, laid
// out with the surface's printing multipliers, so that the page shows the plot of the screen.
// The print preview, the print command and the PDF pictures draw their pages here.

#include <QPageLayout>
#include <QPageSize>

class QPagedPaintDevice;

namespace kalvero {

class TAppConfig;
class TDataClass;

// An aSize page in aOrientation with the configured print margins (left, top, right, bottom).
QPageLayout PrintPageLayout(const TAppConfig& aConfig, QPageLayout::Orientation aOrientation,
                            const QPageSize& aSize = QPageSize(QPageSize::A4));

// Switches the experiment's surface to aPage, draws the plot, ends the page and switches the
// surface back to the screen with its screen layout, on every path: a drawing error propagates
// after the switch back. After a page the experiment is drawn on the screen again, so that its
// copy of the layout is the screen's. Nothing is drawn for an experiment without a surface; a
// surface without a screen is EDataCanvasException.
void DrawExperimentPage(TDataClass& aDataClass, QPagedPaintDevice& aPage);

}  // namespace kalvero
