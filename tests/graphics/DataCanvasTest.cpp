#include <gtest/gtest.h>

#include <QImage>
#include <QPdfWriter>

#include <climits>

#include "graphics/DataCanvas.h"
#include "graphics/GuiTestEnvironment.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TTempDir;
using kalvero::test::TTestConfig;

namespace {

class Canvas : public ::testing::Test {
protected:
    void SetUp() override {
        image = QImage(40, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        canvas.SetCanvas(&image, 40, 20);
        canvas.SetDimensions(40, 20);
    }
    QRgb Pixel(int x, int y) {
        canvas.Flush();
        return image.pixel(x, y) & 0xFFFFFF;
    }
    int CountNonWhite(const QRect& r) {
        canvas.Flush();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }

    TTestConfig config;
    QImage image;
    TDataCanvas canvas;
};

}  // namespace

TEST_F(Canvas, ScreenLayoutFollowsSizeAndPaddings) {
    canvas.SetDimensions(800, 600);
    canvas.SetPaddings(60, 20, 40);
    EXPECT_EQ(canvas.GetMarginLeft(), 10);
    EXPECT_EQ(canvas.GetMarginRight(), 10);
    EXPECT_EQ(canvas.GetMarginTop(), 0);
    EXPECT_EQ(canvas.GetMarginBottom(), 10);
    EXPECT_EQ(canvas.GetClientWidth(), 780);
    EXPECT_EQ(canvas.GetClientHeight(), 590);
    EXPECT_EQ(canvas.GetPaddingTop(), 29);
    EXPECT_EQ(canvas.GetGraphicWidth(), 700);
    EXPECT_EQ(canvas.GetGraphicHeight(), 521);
    EXPECT_EQ(config->display._captionFontSize, 16);  // 521 div 40 × 2 = 26, limited to 16
    EXPECT_EQ(config->display._textFontSize, 18);
    EXPECT_EQ(config->display._headerFontSize, 19);
    EXPECT_EQ(config->display.smallCaptionFontSize, 13);

    canvas.SetDimensions(800, 300);
    EXPECT_EQ(canvas.GetPaddingTop(), 20);  // max(20, 290 × 5 div 100 = 14)
    EXPECT_EQ(canvas.GetGraphicHeight(), 290 - 20 - 40);
    EXPECT_EQ(config->display._captionFontSize, 10);  // 230 div 40 × 2 = 10

    // Far too small for its paddings: a one-pixel graph, never zero or negative.
    canvas.SetDimensions(30, 25);
    EXPECT_EQ(canvas.GetGraphicWidth(), 1);
    EXPECT_EQ(canvas.GetGraphicHeight(), 1);
}

TEST_F(Canvas, ScalesSurfacePixelsToDataValues) {
    canvas.SetDimensions(800, 600);
    canvas.SetPaddings(60, 20, 40);
    const int left = canvas.GetMarginLeft() + canvas.GetPaddingLeft();
    const int top = canvas.GetMarginTop() + canvas.GetPaddingTop();
    EXPECT_EQ(canvas.GetScaledX(0, 1000, left), 0);
    EXPECT_EQ(canvas.GetScaledX(0, 1000, left + 700), 1000);
    EXPECT_DOUBLE_EQ(canvas.GetScaledXr(0, 1000, left + 350), 500);
    EXPECT_EQ(canvas.GetScaledY(0, 521, top), 521);  // y grows downwards, data upwards
    EXPECT_EQ(canvas.GetScaledY(0, 521, top + 521), 0);
    EXPECT_DOUBLE_EQ(canvas.GetScaledYr(-1, 1, top + 521), -1);

    EXPECT_EQ(canvas.AddPaddingX(-50), left);  // clamped into the graph
    EXPECT_EQ(canvas.AddPaddingX(5000), left + 700);
    EXPECT_EQ(canvas.AddPaddingY(100), top + 100);
    int x = 1, y = 2;
    canvas.TakePadding(true, x, y);
    EXPECT_EQ(x, left + 1);
    EXPECT_EQ(y, top + 2);
    x = INT_MAX, y = 0;
    EXPECT_THROW(canvas.TakePadding(true, x, y), std::overflow_error);
}

TEST_F(Canvas, HorizontalAntiAliasedLineIsAPlainPixelRow) {
    canvas.SetPen(psSolid, RGB(0, 0, 255), 1);
    canvas.Line(2, 5, 30, 5, false, true);
    // Margin left 10: surface x 12 … 40 (clipped to the picture), y 5.
    EXPECT_EQ(Pixel(12, 5), 0x0000FFu);
    EXPECT_EQ(Pixel(39, 5), 0x0000FFu);
    EXPECT_EQ(Pixel(11, 5), 0xFFFFFFu);
    EXPECT_EQ(Pixel(20, 4), 0xFFFFFFu);
    EXPECT_EQ(Pixel(20, 6), 0xFFFFFFu);
}

TEST_F(Canvas, WuLineSplitsEachColumnBetweenTwoPixels) {
    canvas.SetPen(psSolid, clBlack, 1);
    canvas.Line(0, 0, 10, 5, false, true);  // surface (10, 0) to (20, 5), half a pixel per column
    EXPECT_EQ(Pixel(10, 0), 0x000000u);
    EXPECT_EQ(Pixel(11, 0), 0x808080u);  // 0.5 × 0 + 0.5 × 255 = 127.5, rounded to even
    EXPECT_EQ(Pixel(11, 1), 0x808080u);
    EXPECT_EQ(Pixel(12, 1), 0x000000u);
    EXPECT_EQ(Pixel(20, 5), 0x000000u);
    EXPECT_EQ(Pixel(20, 6), 0xFFFFFFu);
}

TEST_F(Canvas, WuLineAboveThePictureBlendsOnlyWhatIsVisible) {
    canvas.SetPen(psSolid, clBlack, 1);
    // y = −3 + 0.2 (x − 10) in surface pixels: at x = 24 y = −0.2, so row 0 gets weight 0.8.
    canvas.Line(0, -3, 20, 1, false, true);
    EXPECT_EQ(Pixel(24, 0), 0x333333u);  // 0.2 × 255 = 51
    EXPECT_EQ(Pixel(20, 0), 0xFFFFFFu);  // y = −1 there: nothing visible
    EXPECT_EQ(Pixel(25, 0), 0x000000u);  // y = 0 exactly
    // Far outside, both ways: nothing written, no long walk.
    canvas.Line(-2000000000, -1000000, 2000000000, -1000000 + 7, false, true);
    canvas.Line(-2000000000, 500000, 2000000000, 400000, false, false, 0.5f);
    EXPECT_EQ(CountNonWhite(QRect(0, 1, 40, 19)), 5);  // the first line's pixels below row 0: x 26 … 30
}

TEST_F(Canvas, BlendedLinesAndFillsStayInsideThePicture) {
    canvas.SetPen(psSolid, clBlack, 1);
    canvas.Line(27, 3, 40, 3, false, false, 0.5f);  // surface x 37 … 50: beyond the right edge
    EXPECT_EQ(Pixel(39, 3), 0x808080u);
    EXPECT_EQ(Pixel(36, 3), 0xFFFFFFu);
    canvas.SetBrush(bsSolid, RGB(255, 0, 0));
    canvas.FillRectangle(-20, 10, 0, 30, false, 0.25f);  // surface x −10 … 10, y 10 … 30
    EXPECT_EQ(Pixel(0, 19), qRgb(255, 191, 191) & 0xFFFFFF);
    EXPECT_EQ(Pixel(10, 10), qRgb(255, 191, 191) & 0xFFFFFF);
    EXPECT_EQ(Pixel(11, 10), 0xFFFFFFu);
}

TEST_F(Canvas, ClipRegionKeepsEveryPrimitiveInTheGraph) {
    image = QImage(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    canvas.SetCanvas(&image, 40, 40);
    canvas.SetPaddings(5, 5, 5);  // graph: surface x 15 … 24, y 20 … 24
    const QRect graph(15, 20, 10, 5);
    ASSERT_EQ(canvas.GetGraphicWidth(), 10);
    ASSERT_EQ(canvas.GetGraphicHeight(), 5);
    canvas.InitClipRgn(true);
    canvas.SetPen(psSolid, clBlack, 1);
    canvas.Line(-30, -30, 60, 45, true, true);
    canvas.Line(-30, 40, 60, -20, true, false);
    canvas.Line(-30, 2, 60, 3, true, false, 1.0f);
    canvas.ResetClipRgn();
    canvas.Flush();
    int inside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
            EXPECT_TRUE(graph.contains(x, y)) << x << "," << y;
            ++inside;
        }
    }
    EXPECT_GT(inside, 10);
}

TEST_F(Canvas, SelectionPenDrawnTwiceLeavesNothing) {
    canvas.SetPenModeSelection();
    EXPECT_EQ(canvas.GetPenColor(), clRed);
    canvas.Rectangle(2, 2, 20, 12, false);
    EXPECT_EQ(Pixel(20, 2), 0xFF0000u);  // not (red xor white)
    EXPECT_EQ(Pixel(12, 2), 0xFF0000u);  // a corner is drawn once
    EXPECT_EQ(Pixel(30, 12), 0xFF0000u);
    EXPECT_EQ(Pixel(31, 12), 0xFFFFFFu);
    canvas.Rectangle(2, 2, 20, 12, false);
    EXPECT_EQ(CountNonWhite(QRect(0, 0, 40, 20)), 0);
}

TEST_F(Canvas, FloodFillFillsTheEnclosedArea) {
    canvas.SetPen(psSolid, clBlack, 1);
    canvas.Rectangle(0, 0, 10, 10, false);  // surface 10 … 20
    canvas.SetBrush(bsSolid, RGB(0, 255, 0));
    canvas.FloodFill(5, 5, clBlack, fsBorder, false);
    EXPECT_EQ(Pixel(15, 5), 0x00FF00u);
    EXPECT_EQ(Pixel(11, 9), 0x00FF00u);
    EXPECT_EQ(Pixel(10, 5), 0x000000u);
    EXPECT_EQ(Pixel(25, 5), 0xFFFFFFu);
    canvas.FloodFill(15, 5, clWhite, fsSurface, false);  // outside the frame: the white area
    EXPECT_EQ(Pixel(25, 5), 0x00FF00u);
    EXPECT_EQ(Pixel(15, 5), 0x00FF00u);
}

TEST_F(Canvas, CyrillicTextIsDrawnInTheFontColour) {
    canvas.SetFont("Times New Roman", 10, RGB(0, 0, 255), fsBold);
    canvas.SetBrushStyle(bsClear);
    EXPECT_GT(canvas.GetTextWidth("Вещество"), canvas.GetTextWidth("Вещ"));
    EXPECT_GT(canvas.GetTextHeight("Ж"), 8);
    canvas.TextOut(0, 2, "Ж", false);
    canvas.Flush();
    bool blue = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            blue |= qBlue(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) < 60;
    EXPECT_TRUE(blue);
}

TEST_F(Canvas, GreyPrintingAndTargetSwitching) {
    config->allowColorPrinting = false;
    EXPECT_EQ(canvas.CheckColorForPrinting(0x0000FF), RGB(85, 85, 85));
    config->allowColorPrinting = true;
    EXPECT_EQ(canvas.CheckColorForPrinting(0x0000FF), 0x0000FFu);

    TDataCanvas bare;
    try {
        bare.SetPrinting(true);
        FAIL();
    } catch (const EDataCanvasException& e) {
        EXPECT_STREQ(e.what(), "Cannot set printing to empty print canvas");
    }
    try {
        bare.SetPrinting(false);
        FAIL();
    } catch (const EDataCanvasException& e) {
        EXPECT_STREQ(e.what(), "Cannot set drawing to empty draw canvas");
    }
}

TEST_F(Canvas, PrintingLaysOutTheSheetInHundredthsOfAMillimetre) {
    TTempDir dir;
    const std::string pdf = dir.Str() + "page.pdf";
    canvas.SetDimensions(800, 600);
    canvas.SetPaddings(60, 20, 40);
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(15, 10, 5, 10), QPageLayout::Millimeter));
        canvas.SetCanvas(&writer);
        EXPECT_TRUE(canvas.IsPrinting());
        EXPECT_EQ(canvas.GetPCM(), 20);
        EXPECT_EQ(canvas.GetWidth(), 29700);
        EXPECT_EQ(canvas.GetHeight(), 21000);
        EXPECT_EQ(canvas.GetMarginLeft(), 1500);
        EXPECT_EQ(canvas.GetMarginRight(), 500);
        EXPECT_EQ(canvas.GetClientHeight(), 19000);
        EXPECT_EQ(canvas.GetPaddingTop(), 2000);      // max(20 × 100, 950)
        EXPECT_EQ(canvas.GetGraphicHeight(), 11400);  // landscape: 60 %
        EXPECT_EQ(canvas.GetPaddingBottom(), 19000 - 2000 - 11400);
        EXPECT_TRUE(canvas.TryLock());
        EXPECT_TRUE(canvas.TryLock());  // printing never waits
        canvas.SetPen(psSolid, clRed, 1);
        canvas.Line(0, 0, 1000, 1000, true, true);
        canvas.SetFont("Arial", 12, clBlack, 0);
        canvas.TextOut(0, 0, "Дата эксперимента:", false);
        const int printedWidth = canvas.GetTextWidth("Дата эксперимента:");
        canvas.SaveToBmpFile(dir.Str() + "none.bmp");  // screen only
        canvas.SetCanvas(&image, 800, 600);            // ends the page
        canvas.SetDimensions(800, 600);
        EXPECT_GT(printedWidth, 10 * canvas.GetTextWidth("Дата эксперимента:"));
    }
    EXPECT_FALSE(canvas.IsPrinting());
    EXPECT_EQ(canvas.GetGraphicWidth(), 700);
    EXPECT_EQ(canvas.GetPCM(), 1);
    EXPECT_EQ(ReadFileBytes(pdf).substr(0, 4), "%PDF");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "none.bmp"));
}

TEST_F(Canvas, TryLockSkipsAFrameWhileTheScreenIsBusy) {
    EXPECT_TRUE(canvas.TryLock());
    EXPECT_FALSE(canvas.TryLock());
    canvas.UnLock();
    EXPECT_TRUE(canvas.TryLock());
    canvas.UnLock();
    canvas.UnLock();  // unlocking a free lock is harmless
    EXPECT_TRUE(canvas.TryLock());
}
