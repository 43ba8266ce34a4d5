#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "calibration/HeatCalibration.h"
#include "common/Globals.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// Flat at 100 with a triangle of height 200 over items 10 … 30: 2000 counts of area.
class TrianglePeak : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> d;
    TStandardPeak* peak = nullptr;

    void SetUp() override {
        config->frequency = 10;
        config->endTime = 200;
        d = std::make_unique<TDataClass>();
        for (int i = 0; i < d->GetItemCount(); ++i) {
            const int tri = i >= 10 && i <= 30 ? 200 - 20 * std::abs(i - 20) : 0;
            d->items[i][0].dt = 100 + tri;
            d->items[i][0].t = 50 + i;  // the temperature rises one degree per item (identity tables)
        }
        d->FillTempValues();
        peak = Build(0, 50);
    }

    // A peak with its four lines as detection builds them.
    TStandardPeak* Build(int b, int e) {
        TPeakUtils utils(*d, *config, nullptr, nullptr);
        return dynamic_cast<TStandardPeak*>(utils.AddPeak(b, e, true));
    }
};

// A heat table whose factor is aFactor0 at 0 °C and aFactor1 at 1000 °C, straight between.
std::unique_ptr<THeatCalibrationTable> HeatTable(float aFactor0, float aFactor1) {
    auto table = std::make_unique<THeatCalibrationTable>(0.0f, 1001.0f);
    table->AddHeatRefPoint(0, 1000, 10, 1, aFactor0, false, "a");
    table->AddHeatRefPoint(1000, 1000, 10, 1, aFactor1, false, "b");
    table->Calc();
    return table;
}

class THeatTableScope {
public:
    explicit THeatTableScope(THeatCalibrationTable* aTable) : fPrevious(gHeatCalibrationTable) {
        gHeatCalibrationTable = aTable;
    }
    ~THeatTableScope() { gHeatCalibrationTable = fPrevious; }

private:
    THeatCalibrationTable* fPrevious;
};

}  // namespace

TEST_F(TrianglePeak, IntegratesInCountsTimeAndDegrees) {
    ASSERT_NE(peak, nullptr);
    EXPECT_EQ(peak->top, 20);
    EXPECT_EQ(peak->state, PEAK_STATE_UP);
    EXPECT_DOUBLE_EQ(static_cast<double>(peak->GetSummaryArea()), 2000);
    // Trapezoids over 0.1 s steps; with identity tables degrees equal counts.
    EXPECT_NEAR(static_cast<double>(peak->GetSummaryAreaInRealUnits()), 200, 1e-9);
    config->peakAreaType = PEAK_AREA_TYPE_BYTIME;
    EXPECT_NEAR(static_cast<double>(peak->GetSummaryArea()), 200, 1e-9);
    EXPECT_EQ(peak->GetPeakSizeStr(asUnits, 0), "200 отсч. в сек");
    config->peakAreaType = PEAK_AREA_TYPE_RAW;
    EXPECT_EQ(peak->GetPeakSizeStr(asUnits, 0), "2 000 отсч.");
    EXPECT_EQ(peak->peakCenter.x, 25);
    EXPECT_EQ(peak->peakCenter.y, 200);  // between 100 and 300
}

TEST_F(TrianglePeak, SubAreasCutTheWidthIntoHundredths) {
    EXPECT_EQ(peak->fAreas.size(), 50u);  // 50 items: one item each
    const TPeak* wide = Build(0, 1000);
    ASSERT_EQ(wide->fAreas.size(), 100u);
    EXPECT_EQ(wide->fAreas[99].begX, 990);
    EXPECT_EQ(wide->fAreas[99].endX, 999);
    const TPeak* odd = Build(100, 350);
    ASSERT_EQ(odd->fAreas.size(), 125u);
    EXPECT_EQ(odd->fAreas[0].begX, 100);
    EXPECT_EQ(odd->fAreas[0].endX, 101);
    EXPECT_EQ(odd->fAreas[124].begX, 348);
    EXPECT_EQ(odd->fAreas[124].endX, 349);
}

TEST_F(TrianglePeak, HeatThroughTheFactorOfEachSubArea) {
    EXPECT_THROW(peak->GetSummaryAreaCalibrated(), EPeakException);
    auto constant = HeatTable(0.5f, 0.5f);
    {
        THeatTableScope scope(constant.get());
        EXPECT_NEAR(static_cast<double>(peak->GetSummaryAreaCalibrated()), 1000, 1e-6);
        config->areaScaleAccuracy = 3;
        EXPECT_EQ(peak->GetPeakSizeStr(asJole, 0), "1 000.000 Дж");
        // 25 mg: 1000 J / 0.025 g.
        EXPECT_EQ(peak->GetPeakSizeStr(asJolePerGramm, 25), "40 000.000 Дж/г");
        EXPECT_EQ(peak->GetPeakSizeStr(asJolePerGramm, 0), "Не задана масса навески");
    }
    // A factor that grows with temperature: each sub-area (one item here) at its own degree.
    auto rising = HeatTable(0.0f, 1.0f);
    THeatTableScope scope(rising.get());
    long double expected = 0;
    for (int i = 10; i <= 30; ++i)
        expected += (200 - 20 * std::abs(i - 20)) * (50 + i) / 1000.0L;
    EXPECT_NEAR(static_cast<double>(peak->GetSummaryAreaCalibrated()), static_cast<double>(expected), 1e-3);
}

TEST_F(TrianglePeak, MarginsAndBaseLineReintegrate) {
    // Lifting the base line's right end: the area is measured from the new line.
    peak->UpdatePeakBaseLine(1, 200);
    EXPECT_EQ(peak->GetBaseLineCrossingYCoord(50), 200);
    double expected = 0;
    for (int x = 0; x < 50; ++x)
        expected += std::fabs(100 + 2 * x - d->items[x][0].dt);
    EXPECT_DOUBLE_EQ(static_cast<double>(peak->GetSummaryArea()), expected);
    EXPECT_EQ(peak->cutLines[PEAK_LINE_TOP].points[1].y, peak->GetBaseLineCrossingYCoord(peak->top));
    peak->UpdatePeakBaseLine(1, 100);
    peak->UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, 25);
    EXPECT_EQ(peak->endX, 25);
    EXPECT_EQ(peak->cutLines[PEAK_LINE_RIGHT_MARGIN].points[0].x, 25);
    EXPECT_EQ(peak->cutLines[PEAK_LINE_BASE].points[1].y, 200);  // on the curve at 25
    EXPECT_THROW(peak->UpdatePeakMargin(CUTLINE_PEAKTOP, 10), EPeakException);
    EXPECT_EQ(peak->endX, 25);

    // With a horizontal base line the right end keeps its level.
    config->peakBaseLineType = PEAK_BASELINE_HORIZONTAL;
    peak->UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, 22);
    EXPECT_EQ(peak->cutLines[PEAK_LINE_BASE].points[1].x, 22);
    EXPECT_EQ(peak->cutLines[PEAK_LINE_BASE].points[1].y, 200);

    // Without width the peak has no area instead of a division by zero.
    peak->UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, 0);
    EXPECT_TRUE(peak->fAreas.empty());
    EXPECT_EQ(peak->GetSummaryArea(), 0);
}

TEST_F(TrianglePeak, TopKeepsATenthOfTheWidthFromTheMargins) {
    TPeak* wide = Build(0, 100);
    wide->UpdatePeakTop(PEAK_LINE_TOP, 3);
    EXPECT_EQ(wide->top, 10);
    EXPECT_EQ(wide->cutLines[PEAK_LINE_TOP].points[0].x, 10);
    EXPECT_EQ(wide->cutLines[PEAK_LINE_TOP].points[0].y, d->items[10][0].dt);
    EXPECT_EQ(wide->cutLines[PEAK_LINE_TOP].points[1].y, wide->GetBaseLineCrossingYCoord(10));
    wide->UpdatePeakTop(PEAK_LINE_TOP, 99);
    EXPECT_EQ(wide->top, 90);
}

TEST_F(TrianglePeak, TangentFollowsItsPointsAndTheBaseLine) {
    ASSERT_EQ(peak->cutLines.size(), 5u);
    TCutLine& tangent = peak->cutLines.back();
    EXPECT_EQ(tangent.lineType, CUTLINE_TANGENT);
    // The rising flank of the triangle is a line: its tangent meets the flat base at 10.
    EXPECT_NEAR(tangent.points[0].x, 10, 1);
    EXPECT_EQ(tangent.points[0].y, 100);
    peak->UpdatePeakTangent(1, 15);
    EXPECT_EQ(tangent.points[1].x, 15);
    EXPECT_EQ(tangent.points[1].y, d->items[15][0].dt);
    // A tangent parallel to the base line has no crossing: its foot stays where it was.
    const TCoordPoint foot = tangent.points[0];
    tangent.points[1].y = tangent.points[0].y;
    peak->UpdateBaseCrossingLines();
    EXPECT_EQ(tangent.points[0].x, foot.x);
    EXPECT_EQ(tangent.points[0].y, foot.y);

    peak->RemoveExternalCalculations();
    EXPECT_EQ(peak->cutLines.size(), 4u);
}

TEST(FormatAreaNumber, GroupsThousands) {
    EXPECT_EQ(FormatAreaNumber(1234567.891L, 2), "1 234 567.89");
    EXPECT_EQ(FormatAreaNumber(-1234.5L, 0), "-1 235");
    EXPECT_EQ(FormatAreaNumber(999, 1), "999.0");
    EXPECT_EQ(FormatAreaNumber(0.004L, 2), "0.00");
}
