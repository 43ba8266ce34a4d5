#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "calibration/DiffTempCalibration.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

struct DiffTable : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;

    // Points (100 °C: 2 degrees at 400 counts) and (300 °C: 2 degrees at 200 counts) on [0, 600).
    TDiffTempCalibrationTable& TwoPoints(TInterpolationType aType = itLine) {
        table.AddDiffTempRefPoint(300, 2.0f, 200, "In");
        table.AddDiffTempRefPoint(100, 2.0f, 400, "Ga");
        table.SetInterpolationType(aType);
        table.Calc();
        return table;
    }

    TDiffTempCalibrationTable table{0.0f, 600.0f};
};

}  // namespace

TEST_F(DiffTable, FreshTableConvertsOneToOne) {
    TDiffTempCalibrationTable fresh(20.0f, 620.0f);
    EXPECT_EQ(fresh.GetItemCount(), 600);
    EXPECT_EQ(fresh.GetTemperatureOffset(), -20);
    EXPECT_EQ(fresh.GetRealValue(-150, 300.0f), -150.0f);
    EXPECT_EQ(fresh.GetFactor(1000.0f), 1.0f);
    EXPECT_EQ(fresh.endRealValue, 4095.0f);  // dTMaxADCValue − dTMinADCValue at factor 1
    EXPECT_EQ(fresh.begRealValue, -4095.0f);
}

TEST_F(DiffTable, LineFillAndConversions) {
    TwoPoints();
    const std::vector<float>& e = table.GetItems();
    EXPECT_FLOAT_EQ(e[100], 0.005f);
    EXPECT_FLOAT_EQ(e[300], 0.01f);
    EXPECT_FLOAT_EQ(e[200], 0.0075f);
    EXPECT_FLOAT_EQ(e[0], 0.0025f);
    EXPECT_FLOAT_EQ(e[599], 0.01f + 299 * 0.000025f);
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, 200.5f), 1000 * (0.0075f + 0.5f * 0.000025f));
    EXPECT_FLOAT_EQ(table.GetRealValue(-1000, 200.5f), -1000 * (0.0075f + 0.5f * 0.000025f));
    EXPECT_EQ(table.GetFactor(200.5f), e[200]);  // ties to even
    EXPECT_EQ(table.GetFactor(201.5f), e[202]);
    EXPECT_EQ(table.GetFactor(-50.0f), e[0]);
    EXPECT_EQ(table.GetUnitsValue(5.0f, 300), 500);
    EXPECT_EQ(table.GetUnitsValue(5.0f, 10000), static_cast<int32_t>(std::lround(5.0 / e[599])));
    EXPECT_FLOAT_EQ(table.GetMaxFactor(), e[599]);
    EXPECT_FLOAT_EQ(table.GetMinFactor(), e[0]);
    EXPECT_FLOAT_EQ(table.endRealValue, 4095 * e[599]);
    EXPECT_EQ(table.begRealValue, 0.0f);
    EXPECT_FLOAT_EQ(table.GetMiddleRealValue(100), 100 * (e[599] + e[0]) / 2);
    EXPECT_EQ(table.GetUnitsValueByLowRange(0.25f), 100);
    EXPECT_EQ(table.GetUnitsValueByHighRange(4095 * e[599]), 4095);
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(DiffTable, FactorBeyondTheEnds) {
    TwoPoints();
    const std::vector<float>& e = table.GetItems();
    // Within one degree below the first entry the line of the first two entries goes on;
    // further down and anywhere beyond the last entry the end entry holds.
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, -0.5f), 1000 * (e[0] - 0.5f * (e[1] - e[0])));
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, -40.0f), 1000 * e[0]);
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, 5000.0f), 1000 * e[599]);
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, std::numeric_limits<float>::quiet_NaN()), 1000 * e[599]);
    EXPECT_FLOAT_EQ(table.GetRealValue(1000, 2e9f), 1000 * e[599]);
}

TEST_F(DiffTable, PolynomialGoesThroughThePoints) {
    table.AddDiffTempRefPoint(100, 2.0f, 400, "");
    table.AddDiffTempRefPoint(300, 2.0f, 200, "");
    table.AddDiffTempRefPoint(500, 2.0f, 100, "");
    table.SetInterpolationType(itPolynomial);
    table.Calc();
    const std::vector<float>& e = table.GetItems();
    EXPECT_FLOAT_EQ(e[100], 0.005f);
    EXPECT_FLOAT_EQ(e[300], 0.01f);
    EXPECT_FLOAT_EQ(e[500], 0.02f);
    EXPECT_FLOAT_EQ(e[400], 0.014375f);  // the parabola through the three points
    // The fill runs up to the table's end degree, whose value lands on the last entry.
    EXPECT_FLOAT_EQ(e[599], 0.026875f);

    TDiffTempCalibrationTable two(0.0f, 600.0f);
    two.AddDiffTempRefPoint(100, 2.0f, 400, "");
    two.AddDiffTempRefPoint(300, 2.0f, 200, "");
    two.SetInterpolationType(itPolynomial);
    two.Calc();
    EXPECT_NEAR(two.GetItems()[200], 0.0075f, 1e-9);
}

TEST_F(DiffTable, TwoPointsAtOneTemperature) {
    table.AddDiffTempRefPoint(200, 2.0f, 400, "");
    table.AddDiffTempRefPoint(200, 2.0f, 200, "");
    table.Calc();  // line: no division, the first segment is flat
    for (float v : table.GetItems())
        EXPECT_TRUE(std::isfinite(v));
    table.SetInterpolationType(itPolynomial);
    try {
        table.Calc();
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_NE(std::string(e.what()).find("одинаковой температурой (200)"), std::string::npos);
    }
}

TEST_F(DiffTable, MethodsThatLeaveEveryFactorZeroAreReported) {
    TwoPoints(itMinSquare);
    for (float v : table.GetItems())
        ASSERT_EQ(v, 0.0f);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_NE(ui->messages[0].find("равны нулю"), std::string::npos);
    EXPECT_EQ(table.GetRealValue(1000, 200.0f), 0.0f);
    EXPECT_THROW(table.GetUnitsValue(1.0f, 200), std::domain_error);
}

TEST_F(DiffTable, WildKeysAreClippedNotWalked) {
    const auto start = std::chrono::steady_clock::now();
    table.AddDiffTempRefPoint(-2000000000, 2.0f, 400, "");
    table.AddDiffTempRefPoint(100, 2.0f, 200, "");
    table.AddDiffTempRefPoint(2000000000, 2.0f, 100, "");
    table.Calc();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    const std::vector<float>& e = table.GetItems();
    EXPECT_FLOAT_EQ(e[100], 0.01f);
    // The first entry takes the last write of the rising run towards 100: its value at 0 degrees.
    EXPECT_NEAR(e[0], 0.01 - 100 * (0.01 - 0.005) / 2000000100.0, 2e-9);
}

TEST_F(DiffTable, PointsAndRangesThatCannotBe) {
    EXPECT_THROW(table.AddDiffTempRefPoint(100, 2.0f, 0, ""), std::domain_error);
    EXPECT_THROW(table.AddDiffTempRefPoint(100, 2.0f, -5, ""), std::range_error);
    EXPECT_EQ(table.GetRefPointsCount(), 0);
    table.AddDiffTempRefPoint(100, 2.0f, 400, "");
    EXPECT_THROW(table.Calc(), ERefPoinsCount);

    EXPECT_THROW(table.SetTemperatureRange(600.0f, 0.0f), ECalibrationException);
    EXPECT_THROW(table.SetTemperatureRange(0.0f, 1e9f), ECalibrationException);
    EXPECT_EQ(table.GetItemCount(), 600);  // unchanged by the refused ranges

    TDiffTempCalibrationTable empty(5.0f, 5.0f);
    EXPECT_THROW(empty.GetRealValue(1, 5.0f), std::range_error);
    EXPECT_THROW(empty.GetFactor(5.0f), std::range_error);
    EXPECT_EQ(empty.GetUnitsValue(7.0f, 5), 7);
    empty.AddDiffTempRefPoint(1, 1.0f, 1, "");
    empty.AddDiffTempRefPoint(2, 1.0f, 1, "");
    EXPECT_THROW(empty.Calc(), std::range_error);
}

TEST_F(DiffTable, NotProvidedOperations) {
    TCalibrationTable& base = table;
    EXPECT_THROW(base.GetRealValue(1), EAbstractError);
    try {
        base.GetUnitsValue(1.0f);
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_STREQ(e.what(), "Do not use!");
    }
}

TEST_F(DiffTable, SetTemperatureRangeDiscardsTheEntries) {
    TwoPoints();
    table.SetTemperatureRange(-10.4f, 100.6f);
    EXPECT_EQ(table.GetBegTemp(), -10);
    EXPECT_EQ(table.GetEndTemp(), 101);
    EXPECT_EQ(table.GetItemCount(), 111);
    EXPECT_EQ(table.GetFactor(50.0f), 1.0f);
    EXPECT_EQ(table.GetMaxFactor(), 1.0f);
}
