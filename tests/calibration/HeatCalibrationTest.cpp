#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "calibration/HeatCalibration.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

struct HeatTable : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;
    THeatCalibrationTable table{20.0f, 620.0f};

    // Index of the entry of a whole degree.
    float At(int aDegree) const { return table.GetItems()[aDegree - 20]; }
    // Two margin points and measured points between them with the given factors.
    void Points(std::initializer_list<std::pair<int, float>> aInner) {
        table.AddHeatRefPoint(20, 0, 0, 0, 1e-7f, true, HEAT_START_MARGIN_LABEL);
        for (const auto& [t, f] : aInner)
            table.AddHeatRefPoint(t, 1000, 10, 28.45f, f, false, "p");
        table.AddHeatRefPoint(619, 0, 0, 0, 5e-7f, true, HEAT_END_MARGIN_LABEL);
    }
};

}  // namespace

TEST_F(HeatTable, FactorOfAMeasuredPoint) {
    table.AddHeatRefPoint(157, 2000000, 10.0f, 28.45f, false, "Индий");
    const TRefPoint p = table.GetRefPoints().GetItem(0);
    EXPECT_FLOAT_EQ(p.realValue, 1.4225e-7f);
    EXPECT_EQ(p.area, 2000000u);
    EXPECT_FLOAT_EQ(p.weight, 10.0f);
    EXPECT_FLOAT_EQ(p.specificHeat, 28.45f);
    EXPECT_FALSE(p.virtualPoint);
    EXPECT_THROW(table.AddHeatRefPoint(157, 0, 10.0f, 28.45f, false, ""), std::domain_error);
    EXPECT_THROW(table.AddHeatRefPoint(157, -1, 10.0f, 28.45f, 1.0f, false, ""), std::range_error);
}

TEST_F(HeatTable, LineLeavesTheOutsideZero) {
    table.AddHeatRefPoint(250, 1000, 0, 0, 3e-7f, false, "b");
    table.AddHeatRefPoint(150, 1000, 0, 0, 1e-7f, false, "a");
    table.Calc();
    EXPECT_EQ(At(20), 0.0f);
    EXPECT_EQ(At(149), 0.0f);
    EXPECT_FLOAT_EQ(At(150), 1e-7f);
    EXPECT_FLOAT_EQ(At(200), 2e-7f);
    EXPECT_FLOAT_EQ(At(250), 3e-7f);
    EXPECT_EQ(At(251), 0.0f);
    EXPECT_EQ(At(619), 0.0f);
    EXPECT_EQ(table.begRealValue, 0.0f);
    EXPECT_EQ(table.endRealValue, 0.0f);
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(HeatTable, HeatFactorTakesTheNearestDegree) {
    Points({{100, 2e-7f}, {300, 4e-7f}});
    table.Calc();
    EXPECT_EQ(table.GetHeatFactor(25.5f), At(26));  // ties to even
    EXPECT_EQ(table.GetHeatFactor(26.5f), At(26));
    EXPECT_EQ(table.GetHeatFactor(5000.0f), At(619));
    EXPECT_EQ(table.GetHeatFactor(-5000.0f), At(20));
    EXPECT_FLOAT_EQ(table.begRealValue, 1e-7f);
    EXPECT_FLOAT_EQ(table.endRealValue, 5e-7f);
}

TEST_F(HeatTable, TunePointScalesTheTable) {
    table.AddHeatRefPoint(100, 1000, 0, 0, 1e-7f, false, "a");
    table.AddHeatRefPoint(500, 1000, 0, 0, 1e-7f, false, "b");
    table.SetUseHeatTunePoint(true);
    table.SetTunePointMass(5);
    table.SetTunePointDh(28.45f);
    table.SetTunePointArea(1000000);
    table.SetTunePointTransTemp(300);
    table.Calc();
    EXPECT_FLOAT_EQ(table.GetTunePointFactor(), 1.4225e-7f);
    EXPECT_FLOAT_EQ(At(100), 1.4225e-7f);
    EXPECT_FLOAT_EQ(At(500), 1.4225e-7f);
    EXPECT_EQ(At(99), 0.0f);

    // Without a tune area nothing is tuned and the factor stays.
    THeatCalibrationTable other(20.0f, 620.0f);
    other.AddHeatRefPoint(100, 1000, 0, 0, 1e-7f, false, "a");
    other.AddHeatRefPoint(500, 1000, 0, 0, 1e-7f, false, "b");
    other.SetUseHeatTunePoint(true);
    other.SetTunePointMass(5);
    other.SetTunePointDh(28.45f);
    other.Calc();
    EXPECT_EQ(other.GetTunePointFactor(), 0.0f);
    EXPECT_FLOAT_EQ(other.GetHeatFactor(300), 1e-7f);
}

TEST_F(HeatTable, TunePointCanRewriteTheAreasInstead) {
    table.AddHeatRefPoint(100, 1422500, 10, 28.45f, false, "a");  // factor 2e-7
    table.AddHeatRefPoint(500, 1422500, 10, 28.45f, false, "b");
    table.AddHeatRefPoint(620, 0, 0, 0, 2e-7f, true, HEAT_END_MARGIN_LABEL);
    table.SetUseHeatTunePoint(true);
    table.SetRecalcBaseFromTunePoint(true);
    table.SetTunePointMass(5);
    table.SetTunePointDh(28.45f);
    table.SetTunePointArea(500000);  // tune factor 2.845e-7: koeff 1.4225
    table.SetTunePointTransTemp(300);
    table.Calc();
    EXPECT_FLOAT_EQ(At(300), 2e-7f);  // entries are not scaled
    EXPECT_EQ(table.GetRefPoints().GetItem(0).area, 1000000u);
    EXPECT_EQ(table.GetRefPoints().GetItem(1).area, 1000000u);
    EXPECT_EQ(table.GetRefPoints().GetItem(2).area, 0u);  // the margin point has no heat
}

TEST_F(HeatTable, RecalculatedAreaThatCannotBeStoredIsRefused) {
    table.AddHeatRefPoint(100, 1000, 10, 28.45f, false, "a");
    table.AddHeatRefPoint(500, 1000, 10, 28.45f, false, "b");
    table.SetUseHeatTunePoint(true);
    table.SetRecalcBaseFromTunePoint(true);
    table.SetTunePointMass(1e-6f);
    table.SetTunePointDh(1);
    table.SetTunePointArea(1000000);
    table.SetTunePointTransTemp(300);
    EXPECT_THROW(table.Calc(), std::range_error);
    EXPECT_EQ(table.GetRefPoints().GetItem(0).area, 1000u);
    EXPECT_EQ(table.GetRefPoints().GetItem(1).area, 1000u);
}

TEST_F(HeatTable, TunePointOnAZeroEntryIsRefused) {
    table.AddHeatRefPoint(100, 1000, 0, 0, 1e-7f, false, "a");
    table.AddHeatRefPoint(200, 1000, 0, 0, 1e-7f, false, "b");
    table.SetUseHeatTunePoint(true);
    table.SetTunePointMass(5);
    table.SetTunePointDh(28.45f);
    table.SetTunePointArea(1000000);
    table.SetTunePointTransTemp(400);
    EXPECT_THROW(table.Calc(), ECalibrationException);
    EXPECT_FLOAT_EQ(At(150), 1e-7f);
}

TEST_F(HeatTable, PolynomialUsesTheMarginPointsOnlyWhenAsked) {
    Points({{100, 2e-7f}, {300, 3e-7f}, {500, 2e-7f}});
    table.SetInterpolationType(itPolynomial);
    table.Calc();
    EXPECT_NEAR(At(100), 2e-7, 1e-13);
    EXPECT_NEAR(At(300), 3e-7, 1e-13);
    EXPECT_NEAR(At(500), 2e-7, 1e-13);
    EXPECT_GT(At(20), 0.0f);  // the fill covers the margins' extent
    const float withoutMargins = At(20);
    table.SetUseMarginPoints(true);
    table.Calc();
    EXPECT_NEAR(At(20), 1e-7, 1e-13);
    EXPECT_NE(At(20), withoutMargins);
}

TEST_F(HeatTable, LeastSquaresTakesTheInnerPointsOnly) {
    Points({{100, 2e-7f}, {200, 3e-7f}, {300, 4e-7f}});
    table.SetInterpolationType(itMinSquare);
    table.Calc();
    EXPECT_NEAR(At(250), 3.5e-7, 1e-13);
    EXPECT_NEAR(At(20), 1.2e-7, 1e-13);  // the line, not the margin's 1e-7
    EXPECT_NEAR(At(619), 7.19e-7, 1e-13);
}

TEST_F(HeatTable, BezierBridgesTheStepsItJumps) {
    THeatCalibrationTable t(0.0f, 100.0f);
    t.AddHeatRefPoint(-100, 0, 0, 0, 1e-7f, true, "a");
    t.AddHeatRefPoint(300, 0, 0, 0, 5e-7f, true, "b");
    t.SetInterpolationType(itBezie);
    t.Calc();
    // Two control points make a straight line: degree T has the factor (200 + T)·1e-9. The walk
    // moves four degrees a step; the entries between are bridged.
    const std::vector<float>& e = t.GetItems();
    for (int k = 1; k < 99; ++k)
        EXPECT_NEAR(e[k], (200 + k) * 1e-9, 0.6e-9) << k;
    for (int k = 1; k < 100; ++k)
        EXPECT_GE(e[k], e[k - 1]);
    // The rest of the curve lies beyond the table and lands on its last entry.
    EXPECT_FLOAT_EQ(e[99], 5e-7f);
}

TEST_F(HeatTable, TooFewPointsForTheMethod) {
    table.AddHeatRefPoint(100, 1000, 0, 0, 1e-7f, false, "a");
    table.AddHeatRefPoint(200, 1000, 0, 0, 2e-7f, false, "b");
    table.SetInterpolationType(itPolynomial);
    EXPECT_THROW(table.Calc(), ERefPoinsCount);  // no inner points
    table.SetInterpolationType(itMinSquare);
    EXPECT_THROW(table.Calc(), ERefPoinsCount);
    table.AddHeatRefPoint(150, 1000, 0, 0, 1e-7f, false, "c");
    table.AddHeatRefPoint(150, 1000, 0, 0, 3e-7f, false, "d");
    EXPECT_THROW(table.Calc(), ECalibrationException);  // both inner points at 150: no line

    THeatCalibrationTable empty(20.0f, 620.0f);
    empty.Calc();  // the line method with no points: all zero, and said so
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_NE(ui->messages[0].find("теплоты"), std::string::npos);
    EXPECT_EQ(empty.GetHeatFactor(300), 0.0f);
}

TEST_F(HeatTable, WildKeyIsClipped) {
    const auto start = std::chrono::steady_clock::now();
    table.AddHeatRefPoint(100, 1000, 0, 0, 1e-7f, false, "a");
    table.AddHeatRefPoint(2000000000, 1000, 0, 0, 1e-7f, false, "b");
    table.Calc();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FLOAT_EQ(At(619), 1e-7f);
}

TEST_F(HeatTable, RangeChangesKeepEntries) {
    Points({{100, 2e-7f}});
    table.Calc();
    const float at100 = At(100);
    table.SetTemperatureRange(20.0f, 120.0f);
    EXPECT_EQ(table.GetItemCount(), 100);
    EXPECT_EQ(table.GetItems()[80], at100);
    table.SetTemperatureRange(20.0f, 720.0f);
    EXPECT_EQ(table.GetItems()[650], 0.0f);
    EXPECT_THROW(table.SetTemperatureRange(720.0f, 20.0f), ECalibrationException);
    EXPECT_EQ(table.GetItemCount(), 700);
}
