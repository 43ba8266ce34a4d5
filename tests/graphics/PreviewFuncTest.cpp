// The plot as a printed page: the configured layout, one page drawn through the experiment's own
// surface, and the surface back on its screen afterwards, a drawing error included.

#include <gtest/gtest.h>

#include <QImage>
#include <QPdfWriter>

#include "data/DataClass.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiTestEnvironment.h"
#include "graphics/PreviewFunc.h"
#include "support/PrintedPages.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

struct Page : ::testing::Test {
    void SetUp() override {
        config->endTime = 10;
        d = std::make_unique<TDataClass>();
        for (int i = 0; i < d->GetItemCount(); ++i)
            d->items[i][0].dt = i % 50, d->items[i][0].t = 1000 + i;
        d->begX = d->begXSel = 0, d->endX = d->endXSel = d->GetItemCount() - 1;
        d->begY = d->begYSel = 0, d->endY = d->endYSel = 100;
        canvas.SetCanvas(&screen, 800, 600);
        canvas.SetDimensions(800, 600);
        canvas.SetPaddings(60, 20, 40);
        d->SetCanvas(&canvas);
    }
    void ExpectScreenLayout() {
        EXPECT_FALSE(canvas.IsPrinting());
        EXPECT_EQ(canvas.GetPCM(), 1);
        EXPECT_EQ(canvas.GetWidth(), 800);
        EXPECT_EQ(canvas.GetClientWidth(), 780);
        EXPECT_EQ(canvas.GetMarginTop(), 0);
        EXPECT_LT(canvas.GetPaddingLeft(), 800);  // screen paddings, not the page's
        EXPECT_GT(canvas.GetGraphicWidth(), 500);
    }
    TTestConfig config;
    TTempDir dir;
    QImage screen{800, 600, QImage::Format_RGB32};
    TDataCanvas canvas;
    std::unique_ptr<TDataClass> d;
};

}  // namespace

TEST_F(Page, OneLandscapePageWithTheConfiguredMargins) {
    config->leftPrintMargin = 20, config->topPrintMargin = 7;
    const QPageLayout layout = PrintPageLayout(*config, QPageLayout::Landscape);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.margins(QPageLayout::Millimeter), QMarginsF(20, 7, 5, 10));
    const std::string pdf = dir.Str() + "page.pdf";
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setPageLayout(layout);
        DrawExperimentPage(*d, writer);
        ExpectScreenLayout();  // back on the screen as soon as the page is drawn
        EXPECT_EQ(d->graphicWidth, canvas.GetGraphicWidth());
    }
    const std::string bytes = ReadFileBytes(pdf);
    EXPECT_EQ(PdfPageCount(bytes), 1u);
    EXPECT_TRUE(IsLandscapeA4(bytes));
}

TEST_F(Page, ADrawingErrorStillReturnsTheSurfaceToTheScreen) {
    d->mode = vm_view_T_by_time;
    d->begYSel = d->endYSel = 500;  // a temperature axis without extent cannot be drawn
    QPdfWriter writer(QString::fromStdString(dir.Str() + "bad.pdf"));
    EXPECT_THROW(DrawExperimentPage(*d, writer), EDataClassException);
    ExpectScreenLayout();
    EXPECT_EQ(canvas.GetGraphicWidth(), 700);  // 780 less the paddings 60 and 20

    TDataCanvas bare;  // no screen to go back to: refused before the page is begun
    d->SetCanvas(&bare);
    EXPECT_THROW(DrawExperimentPage(*d, writer), EDataCanvasException);
    EXPECT_FALSE(bare.IsPrinting());
}
