#include "graphics/PreviewFunc.h"

#include <QPagedPaintDevice>

#include "common/Config.h"
#include "data/DataClass.h"
#include "graphics/DataCanvas.h"

namespace kalvero {

QPageLayout PrintPageLayout(const TAppConfig& c, QPageLayout::Orientation aOrientation,
                            const QPageSize& aSize) {
    return QPageLayout(
        aSize, aOrientation,
        QMarginsF(c.leftPrintMargin, c.topPrintMargin, c.rightPrintMargin, c.bottomPrintMargin),
        QPageLayout::Millimeter);
}

void DrawExperimentPage(TDataClass& aDataClass, QPagedPaintDevice& aPage) {
    TDataCanvas* canvas = aDataClass.GetCanvas();
    if (!canvas) return;
    // The page ends when the surface goes back to its screen: there must be one.
    if (!canvas->ScreenCanvas()) throw EDataCanvasException("Cannot set drawing to empty draw canvas");
    // The page lays the surface out in its own units: the screen's paddings come back with it.
    const int32_t left = canvas->GetPaddingLeft(), right = canvas->GetPaddingRight(),
                  bottom = canvas->GetPaddingBottom();
    auto backToScreen = [&] {
        canvas->SetPrinting(false);
        canvas->SetPaddings(left, right, bottom);
    };
    try {
        canvas->SetCanvas(&aPage);
        aDataClass.Redraw();
    } catch (...) {
        backToScreen();
        throw;
    }
    backToScreen();
    // The experiment keeps a copy of the layout it drew last: the screen's again.
    aDataClass.Redraw();
}

}  // namespace kalvero
