#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "calibration/TempCalibration.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

struct TempTable : ::testing::Test {
    TTestConfig config;
    TTempCalibrationTable table{0, 10000};
};

}  // namespace

TEST_F(TempTable, WithoutPointsCountsAreDegrees) {
    EXPECT_EQ(table.GetRealValue(1234), 1234.0f);
    EXPECT_EQ(table.GetUnitsValue(12.5f), 12);  // ties to even
    EXPECT_EQ(table.GetUnitsValue(13.5f), 14);
    EXPECT_EQ(table.begRealValue, static_cast<float>(config->tMinADCValue));
    EXPECT_EQ(table.endRealValue, static_cast<float>(config->tMaxADCValue));
    EXPECT_EQ(table.GetTemperatureOffset(), 0);
    EXPECT_THROW(table.GetUnitsValue(3e9f), std::range_error);
}

TEST_F(TempTable, TwoPointsConvertBothWays) {
    table.AddTempRefPoint(1000, 20.0f, "Ga");
    table.AddTempRefPoint(2000, 120.0f, "In");
    EXPECT_FLOAT_EQ(table.GetRealValue(1500), 70.0f);
    EXPECT_FLOAT_EQ(table.GetRealValue(500), -30.0f);
    EXPECT_FLOAT_EQ(table.GetRealValue(2500), 170.0f);
    EXPECT_FLOAT_EQ(table.GetRealValue(2500, 999.0f), 170.0f);
    EXPECT_FLOAT_EQ(table.GetMaxRealValue(1500), 70.0f);
    EXPECT_EQ(table.GetUnitsValue(70.0f), 1500);
    EXPECT_EQ(table.GetUnitsValue(170.0f), 2500);
    EXPECT_EQ(table.GetUnitsValue(-30.0f), 500);

    table.Calc();
    EXPECT_FLOAT_EQ(table.begRealValue, -80.0f);
    EXPECT_FLOAT_EQ(table.endRealValue, 920.0f);
}

TEST_F(TempTable, InnerPointStartsItsSegmentAndTheWalkFollowsCollectionOrder) {
    table.AddTempRefPoint(0, 0.0f, "");
    table.AddTempRefPoint(1000, 100.0f, "");
    table.AddTempRefPoint(2000, 400.0f, "");
    EXPECT_FLOAT_EQ(table.GetRealValue(1000), 100.0f);
    EXPECT_FLOAT_EQ(table.GetRealValue(1001), 100.3f);  // the segment after 1000, slope 0.3
    EXPECT_EQ(table.GetUnitsValue(250.0f), 1500);

    // Points entered out of order are walked as they stand until Calc sorts them.
    TTempCalibrationTable unsorted(0, 10000);
    unsorted.AddTempRefPoint(2000, 400.0f, "");
    unsorted.AddTempRefPoint(0, 0.0f, "");
    unsorted.AddTempRefPoint(1000, 100.0f, "");
    EXPECT_FLOAT_EQ(unsorted.GetRealValue(3000), 300.0f);  // last segment: (0,0)-(1000,100)
    unsorted.Calc();
    EXPECT_FLOAT_EQ(unsorted.GetRealValue(3000), 700.0f);
    EXPECT_EQ(unsorted.GetRefPoints().GetItem(0).unitValue, 0);
}

TEST_F(TempTable, CalcClampsPointsIntoTheCountRange) {
    TTempCalibrationTable small(0, 4095);
    small.AddTempRefPoint(100, 10.0f, "");
    small.AddTempRefPoint(70000, 600.0f, "");
    small.Calc();
    EXPECT_EQ(small.GetRefPoints().GetItem(1).unitValue, 4095);
    EXPECT_FLOAT_EQ(small.endRealValue, 600.0f);
    EXPECT_THROW(small.GetRefPoints().GetItemByKey(4095), std::runtime_error);  // the key stays
}

TEST_F(TempTable, CalcNeedsTwoPointsAndOnePointCannotConvert) {
    EXPECT_THROW(table.Calc(), ERefPoinsCount);
    table.AddTempRefPoint(1000, 20.0f, "");
    try {
        table.Calc();
        FAIL();
    } catch (const ERefPoinsCount& e) {
        EXPECT_STREQ(e.what(), "Для расчёта необходимо не менее двух калибровочных точек.");
    }
    EXPECT_THROW(table.GetRealValue(5), std::runtime_error);
    EXPECT_THROW(table.GetUnitsValue(5.0f), std::runtime_error);
}

TEST_F(TempTable, TwoPointsAtOneCountDoNotDivideByZero) {
    table.AddTempRefPoint(1000, 20.0f, "");
    table.AddTempRefPoint(1000, 30.0f, "");
    table.Calc();
    EXPECT_FLOAT_EQ(table.GetRealValue(5000), 20.0f);
    table.ClearRefPoints();
    table.AddTempRefPoint(1000, 20.0f, "");
    table.AddTempRefPoint(2000, 20.0f, "");
    EXPECT_EQ(table.GetUnitsValue(20.0f), 1000);
}

TEST_F(TempTable, NotProvidedOperations) {
    try {
        table.GetFactor(1.0f);
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_STREQ(e.what(), "Not applicable for Temparature calibration");
    }
    TCalibrationTable& base = table;
    EXPECT_THROW(base.GetMiddleRealValue(1), EAbstractError);
    EXPECT_THROW(base.GetMinRealValue(1), EAbstractError);
    EXPECT_THROW(base.GetUnitsValueByHighRange(1), EAbstractError);
    EXPECT_THROW(base.GetUnitsValueByMiddleRange(1), EAbstractError);
    EXPECT_THROW(base.GetUnitsValueByLowRange(1), EAbstractError);
    EXPECT_THROW(base.GetUnitsValue(1.0f, 5), EAbstractError);
}

TEST_F(TempTable, NameKeeps255Characters) {
    table.SetName(std::string(300, 'x'));
    EXPECT_EQ(table.GetName().size(), 255u);
    std::string russian;
    for (int i = 0; i < 300; ++i)
        russian += "ж";
    table.SetName(russian);
    EXPECT_EQ(table.GetName().size(), 255u * 2);  // 255 characters of two UTF-8 bytes
}

TEST_F(TempTable, ReadingsInAnyOrderFindTheirSegment) {
    // The segment of one reading is tried first for the next: a run going up, coming down,
    // jumping about and a table changed in between must all land on the right segment.
    const int32_t u[] = {0, 2000, 5000, 6000, 10000};
    const float r[] = {-50, 150, 300, 600, 700};
    for (int k = 0; k < 5; ++k)
        table.AddTempRefPoint(u[k], r[k], "");
    table.Calc();
    auto expected = [&](int32_t x) {
        int k = x < u[1] ? 0 : x < u[2] ? 1 : x < u[3] ? 2 : 3;
        return r[k] + (r[k + 1] - r[k]) * static_cast<double>(x - u[k]) / (u[k + 1] - u[k]);
    };
    std::vector<int32_t> readings;
    for (int32_t x = 0; x <= 10000; x += 37)
        readings.push_back(x);
    for (int32_t x = 10000; x >= 0; x -= 53)
        readings.push_back(x);
    for (int32_t x : {5999, 2000, 1999, 6000, 0, 9999, 4321})
        readings.push_back(x);
    for (int32_t x : readings)
        ASSERT_NEAR(table.GetRealValue(x), expected(x), 1e-3) << x;
    table.ClearRefPoints();
    table.AddTempRefPoint(0, 0, "");
    table.AddTempRefPoint(100, 100, "");
    table.Calc();
    EXPECT_FLOAT_EQ(table.GetRealValue(50), 50.0f);
}
