// The mouse on the plot without a window: what lies under the mouse, pixels to items and
// readings, the zoom steps, the zoom rectangle, the scroll bars and dropping dragged objects.

#include <gtest/gtest.h>

#include <QImage>

#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiTestEnvironment.h"
#include "graphics/PlotInteraction.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

TScreenCoord Entry(TDragType aDrag, int x, int y, uint16_t aModes = 1u << vm_view_dT_by_time, int y1 = 0) {
    TScreenCoord e;
    e.dragType = aDrag, e.x = x, e.y = y, e.y1 = y1, e.alowedModes = aModes;
    return e;
}

TEST(FindScreenObject, TakesTheFirstObjectWithinTwoPixelsThatTheModeAllows) {
    std::vector<TScreenCoord> coords{Entry(DRAGTYPE_Y_moveYfixedX, -1, 100)};
    coords[0].objType = CUTLINE_VIRTUALBASELINE_DT;
    // A zero line spans the graph: only y counts.
    auto hit = FindScreenObject(coords, vm_view_dT_by_time, 500, 102);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->modifyMode, MM_MODIFY_HORZ);
    EXPECT_EQ(hit->cursor, TDragCursor::dcUpDown);
    EXPECT_FALSE(FindScreenObject(coords, vm_view_dT_by_time, 500, 103));
    EXPECT_FALSE(FindScreenObject(coords, vm_view_T_by_time, 500, 100));  // not allowed in that mode
    coords[0].disableForAllModes = true;
    EXPECT_FALSE(FindScreenObject(coords, vm_view_dT_by_time, 500, 100));

    // Two points at one place: the first wins.
    std::vector<TScreenCoord> points{Entry(DRAGTYPE_XY_moveXcrossedY, 50, 60),
                                     Entry(DRAGTYPE_XY_MOVEXY, 50, 60)};
    hit = FindScreenObject(points, vm_view_dT_by_time, 51, 61);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->modifyMode, MM_MODIFY_POINT);
    EXPECT_EQ(hit->cursor, TDragCursor::dcFourWay);
    EXPECT_FALSE(FindScreenObject(points, vm_view_dT_by_time, 53, 60));
}

TEST(FindScreenObject, APointOnAPeakMarginTakesPrecedenceOverTheMargin) {
    // The margin spans y 10 … 400; the base-line point sits on it at y 300.
    TScreenCoord margin = Entry(DRAGTYPE_X_moveXfixedY, 200, 10, 1u << vm_view_dT_by_time, 400);
    margin.objType = CUTLINE_PEAKLEFTMARGIN;
    TScreenCoord basePoint = Entry(DRAGTYPE_XY_moveYfixedX, 200, 300);
    basePoint.objType = CUTLINE_PEAKBASELINE;
    const std::vector<TScreenCoord> coords{margin, basePoint};

    auto hit = FindScreenObject(coords, vm_view_dT_by_time, 201, 299);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->coord.objType, CUTLINE_PEAKBASELINE);
    EXPECT_EQ(hit->modifyMode, MM_MODIFY_HORZ);
    hit = FindScreenObject(coords, vm_view_dT_by_time, 202, 150);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->coord.objType, CUTLINE_PEAKLEFTMARGIN);
    EXPECT_EQ(hit->cursor, TDragCursor::dcLeftRight);
    EXPECT_FALSE(FindScreenObject(coords, vm_view_dT_by_time, 201, 405));  // beyond the line's ends
}

// A record of 1001 items (dT 100 + a peak, T a ramp) on an 800 × 600 surface.
class PlotMouse : public ::testing::Test {
protected:
    void SetUp() override {
        config->numberOfDataChannels = 1;
        config->frequency = 10;
        config->endTime = 1;
        config->dTMinADCValue = 0, config->dTMaxADCValue = 4095;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(1001, true);
        for (int i = 0; i <= 1000; ++i) {
            const double x = (i - 500) / 30.0;
            d->items[i][0].dt = 1000 + static_cast<int>(800 * std::exp(-x * x));
            d->items[i][0].t = 1000 + i;
        }
        d->descriptors[0].fScanEndPoint = 1000;
        d->begX = d->begXSel = 0, d->endX = d->endXSel = 1000;
        d->begY = d->begYSel = 0, d->endY = d->endYSel = 4000;
        d->fDiffTempMinValue = 0, d->fDiffTempMaxValue = 4000;
        image = QImage(800, 600, QImage::Format_RGB32);
        canvas.SetCanvas(&image, 800, 600);
        canvas.SetDimensions(800, 600);
        canvas.SetPaddings(60, 20, 40);
        d->SetCanvas(&canvas);
        d->Redraw();
    }
    int Left() const { return canvas.GetMarginLeft() + canvas.GetPaddingLeft(); }
    int Top() const { return canvas.GetMarginTop() + canvas.GetPaddingTop(); }
    // The surface pixel of item aItem / reading aCounts in the first windows.
    int X(double aItem) const {
        return Left() + static_cast<int>(std::lround((aItem - d->begXSel) * canvas.GetGraphicWidth() /
                                                     (d->endXSel - d->begXSel)));
    }
    int Y(double aCounts) const {
        return Top() + canvas.GetGraphicHeight() -
               static_cast<int>(std::lround((aCounts - d->begYSel) * canvas.GetGraphicHeight() /
                                            (d->endYSel - d->begYSel)));
    }

    TTestConfig config;
    std::unique_ptr<TDataClass> d;
    QImage image;
    TDataCanvas canvas;
};

TEST_F(PlotMouse, PixelsBecomeItemsAndReadingsOfTheSelectedWindows) {
    EXPECT_EQ(PixelToItem(*d, canvas, Left()), 0);
    EXPECT_EQ(PixelToItem(*d, canvas, Left() + canvas.GetGraphicWidth()), 1000);
    EXPECT_EQ(PixelToItem(*d, canvas, 0), 0);  // left of the graph: clamped into the record
    EXPECT_EQ(PixelToItem(*d, canvas, 799), 1000);
    EXPECT_NEAR(PixelToItem(*d, canvas, X(250)), 250, 1);
    EXPECT_NEAR(PixelToCounts(*d, canvas, Y(3000)), 3000, 8);
    d->begXSel = 500, d->endXSel = 600;
    EXPECT_EQ(PixelToItem(*d, canvas, Left()), 500);
}

TEST_F(PlotMouse, ZoomButtonsStepByFivePercentWithinTheRecordAndTheConverterRange) {
    d->begXSel = 100, d->endXSel = 300;
    ASSERT_TRUE(ZoomXWindow(*d, false));
    EXPECT_EQ(d->begXSel, 110);
    EXPECT_EQ(d->endXSel, 290);
    ASSERT_TRUE(ZoomXWindow(*d, true));
    EXPECT_EQ(d->begXSel, 101);  // 5 % of 180 is 9
    EXPECT_EQ(d->endXSel, 299);
    d->begXSel = 10, d->endXSel = 12;  // one item each side would leave nothing
    EXPECT_FALSE(ZoomXWindow(*d, false));
    EXPECT_EQ(d->endXSel - d->begXSel, 2);
    d->begXSel = 5, d->endXSel = 995;
    ASSERT_TRUE(ZoomXWindow(*d, true));
    EXPECT_EQ(d->begXSel, 0);  // never before the record
    EXPECT_EQ(d->endXSel, 1000);
    EXPECT_FALSE(ZoomXWindow(*d, true));  // the whole record already

    d->begYSel = 1000, d->endYSel = 2000;
    ASSERT_TRUE(ZoomYWindow(*d, true));
    EXPECT_EQ(d->begYSel, 950);
    EXPECT_EQ(d->endYSel, 2050);
    d->begYSel = 0, d->endYSel = 4000;
    EXPECT_FALSE(ZoomYWindow(*d, true));  // would leave 0 … 4095
    d->begY = 200, d->endY = 300, d->begYSel = 100, d->endYSel = 400;
    ASSERT_TRUE(ZoomYWindow(*d, false));
    EXPECT_EQ(d->begY, 115);  // the full range grows to hold the window
    EXPECT_EQ(d->endY, 385);
}

TEST_F(PlotMouse, AZoomRectangleWithoutExtentChangesNothing) {
    EXPECT_FALSE(ZoomToBox(*d, canvas, X(300), Y(500), X(300), Y(3000)));
    EXPECT_FALSE(ZoomToBox(*d, canvas, X(300), Y(500), X(600), Y(500)));
    EXPECT_EQ(d->begXSel, 0);
    EXPECT_EQ(d->endYSel, 4000);
    ASSERT_TRUE(ZoomToBox(*d, canvas, X(600), Y(500), X(300), Y(3000)));  // any corner order
    EXPECT_NEAR(d->begXSel, 300, 2);
    EXPECT_NEAR(d->endXSel, 600, 2);
    EXPECT_NEAR(d->begYSel, 500, 8);
    EXPECT_NEAR(d->endYSel, 3000, 8);
}

TEST_F(PlotMouse, TheCombinedViewZoomsAndScrollsBothWindows) {
    d->mode = vm_view_dt_and_temp_by_time;
    d->ResetMargins(false);
    d->begY1 = d->begYSel1 = 0, d->endY1 = d->endYSel1 = 8000;
    ASSERT_TRUE(ZoomToBox(*d, canvas, X(200), Y(1000), X(400), Y(3000)));
    EXPECT_EQ(d->begXSel1, d->begXSel);
    EXPECT_EQ(d->endXSel1, d->endXSel);
    EXPECT_NEAR(d->begYSel1, 2000, 20);  // the same rectangle on the second axis, twice as tall
    EXPECT_NEAR(d->endYSel1, 6000, 20);

    d->begY = 0, d->endY = 4000, d->begYSel = 1000, d->endYSel = 3000;
    d->begYSel1 = 2000, d->endYSel1 = 6000;
    const TScrollRange v = VertScrollRange(*d);
    EXPECT_EQ(v.value, 1000);  // the window's top is 1000 below the top of the range
    EXPECT_EQ(v.max, 2000);
    ScrollYTo(*d, 0);
    EXPECT_EQ(d->endYSel, 4000);
    EXPECT_EQ(d->begYSel, 2000);
    EXPECT_EQ(d->endYSel1, 8000);  // moved in proportion
}

TEST_F(PlotMouse, ScrollBarsMoveTheWindowKeepingItsSize) {
    d->begXSel = 100, d->endXSel = 300;
    const TScrollRange h = HorzScrollRange(*d);
    EXPECT_EQ(h.min, 0);
    EXPECT_EQ(h.max, 800);
    EXPECT_EQ(h.page, 200);
    EXPECT_EQ(h.singleStep, 2);
    EXPECT_EQ(h.pageStep, 20);
    EXPECT_EQ(h.value, 100);
    ScrollXTo(*d, 700);
    EXPECT_EQ(d->begXSel, 700);
    EXPECT_EQ(d->endXSel, 900);
}

TEST_F(PlotMouse, DroppingMovesZeroLinesAndPeakLines) {
    // The dT zero line dropped at 1000 counts: every reading falls by 1000.
    TScreenCoord zero;
    zero.objType = CUTLINE_VIRTUALBASELINE_DT;
    const int before = d->items[500][0].dt;
    const int counts = PixelToCounts(*d, canvas, Y(1000));
    ASSERT_TRUE(DropScreenObject(*d, canvas, zero, 0, Y(1000)));
    EXPECT_EQ(d->items[500][0].dt, before - counts);
    EXPECT_TRUE(d->fHasUnsavedChanges);

    TPeakUtils peaks(*d, *config, nullptr, nullptr);
    TPeak* peak = peaks.AddPeak(400, 600, true);
    ASSERT_NE(peak, nullptr);
    TScreenCoord margin;
    margin.objType = CUTLINE_PEAKLEFTMARGIN;
    margin.objID = 0;
    ASSERT_TRUE(DropScreenObject(*d, canvas, margin, 380, 0));
    EXPECT_EQ(peak->begX, 380);
    margin.objID = 5;  // a peak that is gone
    EXPECT_FALSE(DropScreenObject(*d, canvas, margin, 380, 0));
}

}  // namespace
