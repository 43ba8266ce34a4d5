#include <gtest/gtest.h>

#include <QImage>
#include <QPdfWriter>

#include <cmath>

#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GridScale.h"
#include "graphics/GuiTestEnvironment.h"
#include "processing/Peak.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTempDir;
using kalvero::test::TTestConfig;

namespace {

constexpr TColor kDtColor = RGB(1, 2, 250);
constexpr TColor kTColor = RGB(250, 1, 2);

class Plot : public ::testing::Test {
protected:
    // An experiment of aItems items whose dT is aDt(i) and T is 3000, shown whole over dT 0 … 1000.
    void Make(int aItems, const std::function<int(int)>& aDt) {
        config->numberOfDataChannels = 1;
        config->frequency = 10;
        config->endTime = 1;
        config->display.backGroundColor = clWhite;
        config->display.titleColor = clBlack;
        config->showScreenGrid = false;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(aItems, true);
        for (int i = 0; i < aItems; ++i)
            d->items[i][0].dt = aDt(i), d->items[i][0].t = 3000;
        d->descriptors[0].diffTempCurveColor = kDtColor;
        d->descriptors[0].tempCurveColor = kTColor;
        d->descriptors[0].fScanEndPoint = aItems - 1;
        d->begX = d->begXSel = 0;
        d->endX = d->endXSel = aItems - 1;
        d->begY = d->begYSel = 0;
        d->endY = d->endYSel = 1000;
        image = QImage(800, 600, QImage::Format_RGB32);
        canvas.SetCanvas(&image, 800, 600);
        canvas.SetDimensions(800, 600);
        d->SetCanvas(&canvas);
    }
    // The picture's colour at a graph point.
    TColor At(int x, int y) {
        const QRgb p = image.pixel(canvas.GetMarginLeft() + canvas.GetPaddingLeft() + x,
                                   canvas.GetMarginTop() + canvas.GetPaddingTop() + y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
    bool Near(int x, int y, TColor aColor) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (At(x + dx, y + dy) == aColor) return true;
        return false;
    }
    // Pixels of the colour outside the graph rectangle.
    int Outside(TColor aColor) {
        const QRect graph(canvas.GetMarginLeft() + canvas.GetPaddingLeft(),
                          canvas.GetMarginTop() + canvas.GetPaddingTop(), canvas.GetGraphicWidth(),
                          canvas.GetGraphicHeight());
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                n += RGB(qRed(p), qGreen(p), qBlue(p)) == aColor && !graph.contains(x, y);
            }
        return n;
    }
    int RowOf(double v, double aFrom, double aTo) {
        return canvas.GetGraphicHeight() -
               static_cast<int>(std::lrint((v - aFrom) * canvas.GetGraphicHeight() / (aTo - aFrom)));
    }

    TTestConfig config;
    std::unique_ptr<TDataClass> d;
    QImage image;
    TDataCanvas canvas;
};

}  // namespace

TEST(GridScale, StepsAndLabelFormats) {
    EXPECT_DOUBLE_EQ(GridStep(37), 5);  // k = 10: 370 / 20 = 18.5 is too many, 370 / 50 = 7 is not
    EXPECT_DOUBLE_EQ(GridStep(150), 10);
    EXPECT_DOUBLE_EQ(GridStep(1600), 200);
    EXPECT_DOUBLE_EQ(GridStep(0.5), 0.05);
    EXPECT_EQ(GridLabelFormat(0.5, GridStep(0.5)), "%8.2f");
    EXPECT_EQ(GridLabelFormat(37, 5), "%8.0f");
    EXPECT_EQ(GridLabelFormat(0.05, GridStep(0.05)), "%8.3f");
    // Below 0.00001 the span alone would print every label as "0"; the step decides then.
    EXPECT_EQ(GridLabelFormat(0.000002, GridStep(0.000002)), "%8.7f");
    // Nothing to divide: no grid, and no endless search.
    EXPECT_EQ(GridStep(0), 0);
    EXPECT_EQ(GridStep(-5), 0);
    EXPECT_EQ(GridStep(std::nan("")), 0);
    EXPECT_EQ(GridStep(INFINITY), 0);
    EXPECT_GT(GridStep(1e-300), 0);
    EXPECT_EQ(GridValues(-0.1, 1.01, 0.5), (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(GridValues(10, 0, 5), (std::vector<double>{0, 5, 10}));
    EXPECT_LE(GridValues(0, 1e9, 1).size(), 16u);
}

TEST_F(Plot, ScaleMapsTheSelectionOntoTheGraph) {
    Make(1001, [](int) { return 250; });
    d->Redraw();
    EXPECT_EQ(d->graphicWidth, canvas.GetGraphicWidth());
    EXPECT_EQ(d->graphicHeight, canvas.GetGraphicHeight());
    EXPECT_EQ(d->paddingTop, canvas.GetPaddingTop());
    EXPECT_EQ(d->GetScaledX(0), 0);
    EXPECT_EQ(d->GetScaledX(1000), d->graphicWidth);
    EXPECT_EQ(d->GetScaledY(0), d->graphicHeight);
    EXPECT_EQ(d->GetScaledY(1000), 0);
    EXPECT_DOUBLE_EQ(static_cast<double>(d->endXr), 100);  // 1000 items at 10 per second
    EXPECT_FLOAT_EQ(d->gridSize_Y, 100);
    EXPECT_FLOAT_EQ(d->gridSize_X, 10);
}

TEST_F(Plot, CurveLiesOnItsRowAndStaysInsideTheGraph) {
    Make(1001, [](int i) { return i < 500 ? 250 : static_cast<int>(500 + 900 * std::sin(i / 20.0)); });
    d->Redraw();
    const int row = RowOf(250, 0, 1000);
    for (int x : {1, 100, 300})
        EXPECT_TRUE(Near(x, row, kDtColor)) << x;
    EXPECT_NE(At(100, row - 5), kDtColor);
    // The second half swings far beyond the range: clipped, never drawn over axes or labels.
    EXPECT_EQ(Outside(kDtColor), 0);
    EXPECT_TRUE(Near(d->GetScaledX(942), RowOf(500 + 900 * std::sin(942 / 20.0), 0, 1000), kDtColor));
}

TEST_F(Plot, NarrowSpikeSurvivesDrawingOptimisation) {
    config->drawOptimization = true;
    Make(100000, [](int i) { return i == 50001 ? 900 : 250; });
    d->Redraw();
    const int x = d->GetScaledX(50001);
    EXPECT_TRUE(Near(x, RowOf(900, 0, 1000), kDtColor));
    EXPECT_TRUE(Near(x, RowOf(600, 0, 1000), kDtColor));
    EXPECT_FALSE(Near(x + 20, RowOf(600, 0, 1000), kDtColor));
}

TEST_F(Plot, DegenerateRangesAndTinyWindowsDrawWithoutFault) {
    Make(1, [](int) { return 5; });
    d->begYSel = d->endYSel = 5;  // one item, no span in x or y
    d->Redraw();
    EXPECT_TRUE(std::isfinite(static_cast<double>(d->koeff_x)));
    EXPECT_TRUE(std::isfinite(static_cast<double>(d->koeff_y)));
    canvas.SetDimensions(30, 25);
    d->Redraw();
    EXPECT_EQ(d->graphicWidth, 1);
    d->endXSel = 50;  // past the last item
    d->Redraw();
}

TEST_F(Plot, CombinedViewDrawsTemperatureWithTheSecondMargins) {
    Make(1001, [](int) { return 250; });
    d->mode = vm_view_dt_and_temp_by_time;
    d->SaveMargins();
    d->begYSel1 = 0, d->endYSel1 = 4000;  // temperature margins
    d->Redraw();
    EXPECT_EQ(d->mode, vm_view_dt_and_temp_by_time);
    EXPECT_EQ(d->endYSel, 1000);  // the sets are back in place
    EXPECT_EQ(d->endYSel1, 4000);
    EXPECT_TRUE(Near(200, RowOf(250, 0, 1000), kDtColor));
    EXPECT_TRUE(Near(200, RowOf(3000, 0, 4000), kTColor));  // on the first set 3000 is off the graph

    // A temperature axis without extent: the error names the channel, the view is restored.
    d->begYSel1 = d->endYSel1 = 100;
    try {
        d->Redraw();
        FAIL();
    } catch (const EDataClassException& e) {
        EXPECT_STREQ(e.what(), "Некорректные границы для Температура.");
    }
    EXPECT_EQ(d->mode, vm_view_dt_and_temp_by_time);
    EXPECT_EQ(d->endYSel, 1000);
}

TEST_F(Plot, ZeroLinesAreRecordedForDragging) {
    config->allowDtZeroLineEdit = true;
    Make(101, [](int) { return 250; });
    d->begYSel = -500;
    d->Redraw();
    ASSERT_GE(d->coords.size(), 2u);
    const TScreenCoord& dt = d->coords[0];
    EXPECT_EQ(dt.x, -1);
    EXPECT_EQ(dt.y, canvas.GetPaddingTop() + RowOf(0, -500, 1000));
    EXPECT_EQ(dt.dragType, DRAGTYPE_Y_moveYfixedX);
    EXPECT_EQ(dt.objType, CUTLINE_VIRTUALBASELINE_DT);
    EXPECT_EQ(dt.alowedModes, (1 << 0) | (1 << 1) | (1 << 2) | (1 << 7));
    EXPECT_FALSE(dt.disableForAllModes);

    d->mode = vm_view_T_by_time;
    d->begYSel = -1000, d->endYSel = 4000;
    d->Redraw();
    const TScreenCoord& t = d->coords[1];
    EXPECT_EQ(t.y, canvas.GetPaddingTop() + RowOf(0, -1000, 4000));
    EXPECT_EQ(t.objType, CUTLINE_VIRTUALBASELINE_T);
    EXPECT_EQ(t.alowedModes, (1 << 7) | (1 << 8) | (1 << 9));
    EXPECT_TRUE(t.disableForAllModes);  // allowTZeroLineEdit is off by default
    EXPECT_TRUE(Near(50, RowOf(3000, -1000, 4000), kTColor));
}

TEST_F(Plot, PeakCutLinesAreColouredAndRecorded) {
    Make(1001, [](int) { return 250; });
    auto* peak = new TStandardPeak(d->items, d->frequency);
    TCutLine margin;
    margin.lineType = CUTLINE_PEAKLEFTMARGIN;
    margin.dragType = DRAGTYPE_X_moveXfixedY;
    margin.points = {{100, 100}, {100, 900}};
    TCutLine tangent;
    tangent.lineType = CUTLINE_TANGENT;
    tangent.invalid = true;
    tangent.points = {{200, 300}, {400, 700}};
    TCutLine other;
    other.lineType = CUTLINE_PEAKACTIVATIONENERGY_SEGMENT;
    other.points = {{600, 300}, {800, 700}};
    peak->cutLines = {margin, tangent, other};
    d->peaks.AddItem(peak);
    d->Redraw();

    auto middle = [&](int x1, int y1, int x2, int y2) {
        return std::pair{(d->GetScaledX(x1) + d->GetScaledX(x2)) / 2,
                         (d->GetScaledY(y1) + d->GetScaledY(y2)) / 2};
    };
    auto [mx, my] = middle(200, 300, 400, 700);
    EXPECT_TRUE(Near(mx, my, clRed));  // an invalid line
    std::tie(mx, my) = middle(100, 100, 100, 900);
    EXPECT_TRUE(Near(mx, my, clGreen));  // margins, tangent and top are green
    std::tie(mx, my) = middle(600, 300, 800, 700);
    EXPECT_TRUE(Near(mx, my, clBlack));

    ASSERT_EQ(d->coords.size(), 2u + 6u);
    const TScreenCoord& first = d->coords[2];
    EXPECT_EQ(first.objID, 0);
    EXPECT_EQ(first.objSubID, 0);
    EXPECT_EQ(first.pointID, 0);
    EXPECT_EQ(first.dragType, DRAGTYPE_X_moveXfixedY);
    EXPECT_EQ(first.objType, CUTLINE_PEAKLEFTMARGIN);
    EXPECT_EQ(first.x, canvas.AddPaddingX(d->GetScaledX(100)));
    EXPECT_EQ(first.y, canvas.AddPaddingY(d->GetScaledY(100)));
    EXPECT_EQ(d->coords[5].objSubID, 1);
    EXPECT_EQ(d->coords[5].pointID, 1);
    EXPECT_EQ(d->coords[5].x, peak->cutLines[1].points[1].sx);

    // Printing lays out a page: the screen positions stay for hit-testing.
    TTempDir dir;
    QPdfWriter writer(QString::fromStdString(dir.Str() + "page.pdf"));
    canvas.SetCanvas(&writer);
    d->Redraw();
    canvas.SetCanvas(&image, 800, 600);
    EXPECT_EQ(d->coords[2].x, first.x);
    EXPECT_EQ(d->coords.size(), 8u);
}

TEST_F(Plot, ScanPaintDrawsOnlyNewSamplesAndFollowsTheRun) {
    Make(1000, [](int) { return 250; });
    d->endXSel = 100;
    d->descriptors[0].fScanEndPoint = 0;
    d->mode = vm_scan_dT_by_time;
    d->fTimeCounter = 0;
    d->Redraw();
    EXPECT_EQ(d->mode, vm_scan_dT_by_time);
    const int row = RowOf(250, 0, 1000);
    EXPECT_FALSE(Near(d->GetScaledX(15), row, kDtColor));

    d->fOldTimeCounter = 10, d->fTimeCounter = 20;
    d->DrawGraph();
    canvas.Flush();
    EXPECT_TRUE(Near(d->GetScaledX(15), row, kDtColor));
    EXPECT_FALSE(Near(d->GetScaledX(50), row, kDtColor));

    // The newest sample leaves the graph on the right: the view widens and is repainted.
    int refreshed = 0;
    d->OnRefreshCanvas = [&](TDataClass&) { ++refreshed; };
    d->fOldTimeCounter = 20, d->fTimeCounter = 150;
    d->DrawGraph();
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(d->begXSel, 0);
    EXPECT_EQ(d->endXSel, 200);
    EXPECT_EQ(d->mode, vm_scan_dT_by_time);
    canvas.Flush();
    EXPECT_TRUE(Near(d->GetScaledX(100), row, kDtColor));  // the repaint shows the run so far

    // Scrolling instead: the window moves by its own width.
    config->zoomKindWhileScan = 1;
    d->fOldTimeCounter = 150, d->fTimeCounter = 250;
    d->DrawGraph();
    EXPECT_EQ(d->begXSel, 200);
    EXPECT_EQ(d->endXSel, 400);
}

TEST_F(Plot, PicturesOfThePlotAreWritten) {
    Make(101, [](int i) { return 250 + i; });
    d->Redraw();
    TTempDir dir;
    d->ExportToBMP(dir.Str() + "plot.png");
    d->ExportToTIFF(dir.Str() + "plot.tif");
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "plot.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "plot.png"));
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "plot.tif"), 40u + 800 * 600 * 3 + 2 + 15 * 12 + 4);
}

TEST_F(Plot, StatisticsRangeStandsOutInRed) {
    Make(1001, [](int) { return 250; });
    config->display.gridLinesColor = RGB(10, 20, 30);
    d->fShowStatistics = true;
    d->fBegCalcInfo = 600, d->fEndCalcInfo = 800;
    d->Redraw();
    const int row = RowOf(250, 0, 1000);
    EXPECT_TRUE(Near(d->GetScaledX(700), row, clRed));
    EXPECT_FALSE(Near(d->GetScaledX(500), row, clRed));
    EXPECT_TRUE(Near(d->GetScaledX(500), row, kDtColor));
    EXPECT_EQ(At(4, 4), RGB(10, 20, 30));  // the frame of the statistics block at the top left
    EXPECT_EQ(d->mode, vm_view_dT_by_time);
}
