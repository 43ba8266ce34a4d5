// Tables calculated from the operator's points: a failed calculation leaves the table in force as
// it was, a successful one takes everything over; copies keep their kind.

#include <gtest/gtest.h>

#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TableBuild.h"
#include "calibration/TempCalibration.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

struct TableBuild : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;
};

const std::vector<RDiffTempRow> kDiffRows = {{100, 2.0f, 400, "a"}, {300, 2.0f, 200, "b"}};
const std::vector<RHeatRow> kHeatRows = {{157, 17500, 5, 28.6f, "Индий"}, {420, 67000, 5, 107.5f, "Цинк"}};

}  // namespace

TEST_F(TableBuild, ACopyIsWholeAndKeepsItsKind) {
    TDiffTempCalibrationTable diff(0, 600);
    BuildDiffTempTable(diff, kDiffRows, itLine, 0, 600);
    diff.SetName("dT");
    const auto copy = diff.Clone();
    EXPECT_EQ(copy->GetTableType(), cttDiffTemperature);
    EXPECT_EQ(copy->GetName(), "dT");
    EXPECT_EQ(copy->GetItems(), diff.GetItems());
    EXPECT_FLOAT_EQ(copy->GetFactor(200), 0.0075f);

    TTempCalibrationTable temp(0, 4095);
    EXPECT_THROW(temp.Assign(diff), ECalibrationException);
    TTempCalibrationTable other(0, 100);
    BuildTempTable(other, {{0, 0, ""}, {100, 50, ""}});
    temp.Assign(other);
    EXPECT_EQ(temp.GetEndUnitsTemp(), 100);
    EXPECT_FLOAT_EQ(temp.GetRealValue(50), 25.0f);
}

TEST_F(TableBuild, AFailedCalculationLeavesTheTableInForce) {
    TDiffTempCalibrationTable diff(0, 600);
    BuildDiffTempTable(diff, kDiffRows, itLine, 0, 600);
    const std::vector<float> good = diff.GetItems();
    // Two points at one temperature: no polynomial goes through them.
    EXPECT_THROW(BuildDiffTempTable(diff, {{100, 1, 100, ""}, {100, 2, 100, ""}}, itPolynomial, 0, 600),
                 ECalibrationException);
    EXPECT_THROW(BuildDiffTempTable(diff, {{100, 1, 0, ""}, {200, 1, 10, ""}}, itLine, 0, 600),
                 std::domain_error);
    EXPECT_EQ(diff.GetItems(), good);
    EXPECT_EQ(diff.GetInterpolationType(), itLine);
    EXPECT_EQ(diff.GetRefPointsCount(), 2);

    THeatCalibrationTable heat(20, 620);
    BuildHeatTable(heat, kHeatRows, 20, 620, {});
    const std::vector<float> heatGood = heat.GetItems();
    try {
        BuildHeatTable(heat, {kHeatRows[0]}, 20, 620, {});
        FAIL() << "one point";
    } catch (const ERefPoinsCount& e) {
        EXPECT_STREQ(e.what(), "Для расчёта необходимо не менее двух калибровочных точек.");
    }
    EXPECT_EQ(heat.GetRefPointsCount(), 4);
    EXPECT_EQ(heat.GetItems(), heatGood);

    TTempCalibrationTable temp(0, 4095);
    EXPECT_THROW(BuildTempTable(temp, {{1000, 20, ""}}), ERefPoinsCount);
    EXPECT_EQ(temp.GetRefPointsCount(), 0);
}

TEST_F(TableBuild, HeatTableGetsMarginPointsAndItsOptions) {
    THeatCalibrationTable heat(20, 620);
    RHeatOptions o;
    o.method = itPolynomial;
    o.useMarginPoints = true;
    BuildHeatTable(heat, kHeatRows, 20, 620, o);
    ASSERT_EQ(heat.GetRefPointsCount(), 4);
    const TCustomCollection& p = heat.GetRefPoints();
    EXPECT_EQ(p.GetItem(0).description, HEAT_START_MARGIN_LABEL);
    EXPECT_EQ(p.GetItem(0).unitValue, 20);
    EXPECT_TRUE(p.GetItem(0).virtualPoint);
    EXPECT_EQ(p.GetItem(3).description, HEAT_END_MARGIN_LABEL);
    EXPECT_EQ(p.GetItem(3).unitValue, 620);
    EXPECT_TRUE(heat.IsUseMarginPoints());
    EXPECT_EQ(heat.GetInterpolationType(), itPolynomial);
    // The margins lie on the line through the two measured points.
    const double f1 = 5 * 28.6 / 1000 / 17500.0, f2 = 5 * 107.5 / 1000 / 67000.0;
    EXPECT_NEAR(p.GetItem(0).realValue, f1 + (20 - 157) * (f2 - f1) / (420 - 157), 1e-12);
    EXPECT_EQ(MeasuredHeatRows(heat).size(), 2u);
}

TEST_F(TableBuild, RecalculatingTheBaseRewritesTheAreasOnce) {
    THeatCalibrationTable heat(20, 620);
    RHeatOptions o;
    o.useTunePoint = true;
    o.recalcBase = true;
    o.tuneMass = 5, o.tuneDh = 28.6f, o.tuneTransTemp = 157, o.tuneArea = 17500 / 2;
    BuildHeatTable(heat, kHeatRows, 20, 620, o);
    // The tune measurement gave half the area: the reference areas are halved, the factors kept.
    const std::vector<RHeatRow> rows = MeasuredHeatRows(heat);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].area, 17500 / 2);
    EXPECT_NEAR(rows[1].area, 67000 / 2, 2);
    EXPECT_NEAR(heat.GetTunePointFactor(), 5 * 28.6 / 1000 / 8750, 1e-12);
}
