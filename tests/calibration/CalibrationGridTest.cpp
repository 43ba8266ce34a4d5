// The point grid of the calibration dialog as texts: columns, cell checks, points to rows and
// back, and the chart of each kind.

#include <gtest/gtest.h>

#include "calibration/CalibrationGrid.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

struct CalibrationGrid : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;
    TTempCalibrationTable temp{0, 4095};
    TDiffTempCalibrationTable diff{20, 620};
    THeatCalibrationTable heat{20, 620};

    void SetUp() override {
        temp.fTableTypeShortName = "T";
        temp.fRealUnitsName = "°С";
        temp.fMinADCValue = 10;
        temp.fMaxADCValue = 4000;
        diff.fTableTypeShortName = "dT";
        diff.fRealUnitsName = "°С";
    }
};

}  // namespace

TEST_F(CalibrationGrid, ColumnsOfEachKind) {
    const auto t = GridColumns(temp, *config);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].heading, "T, отсч.");
    EXPECT_EQ(t[1].heading, "T, °С");
    EXPECT_EQ(t[2].heading, "Комментарий");
    EXPECT_EQ(t[2].width, 300);
    const auto d = GridColumns(diff, *config);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].heading, config->tempChannelShortName + " образца, " + config->tempChannelUnitsName);
    EXPECT_EQ(d[2].heading, "h пика, отсч.");
    EXPECT_FALSE(d[3].editable);
    const auto h = GridColumns(heat, *config);
    ASSERT_EQ(h.size(), 6u);
    EXPECT_EQ(h[2].heading, "T. превр.(" + config->tempChannelUnitsName + ")");
    EXPECT_TRUE(h[4].editable);
    EXPECT_FALSE(h[5].editable);
    EXPECT_EQ(NewGridRow(temp), (TGridRow{"0", "0", "Комментарий"}));
    EXPECT_EQ(NewGridRow(diff), (TGridRow{"0", "0", "0", ""}));
    EXPECT_EQ(NewGridRow(heat), (TGridRow{"Вещество", "0", "0", "", "", ""}));
}

TEST_F(CalibrationGrid, CountsAreClippedAndNumbersTakeEitherSeparator) {
    EXPECT_EQ(CheckGridCell(temp, 0, "5000", "12"), "4000");
    EXPECT_EQ(CheckGridCell(temp, 0, "3", "12"), "10");
    EXPECT_EQ(CheckGridCell(temp, 0, "-", "12"), "-");
    EXPECT_EQ(CheckGridCell(temp, 0, "12a", "12"), "12");
    EXPECT_EQ(CheckGridCell(temp, 0, "99999999999999999999", "12"), "12");
    EXPECT_EQ(CheckGridCell(temp, 1, "156,6", "156"), "156,6");
    EXPECT_EQ(CheckGridCell(temp, 1, "156.6", "156"), "156.6");
    EXPECT_EQ(CheckGridCell(temp, 1, "1,5,", "1,5"), "1,5");
    EXPECT_EQ(CheckGridCell(temp, 1, "", "7"), "7");
    EXPECT_EQ(CheckGridCell(temp, 2, "что угодно", "x"), "что угодно");
}

TEST_F(CalibrationGrid, HeightsAndAreasOfZeroOrLessBecomeOne) {
    EXPECT_EQ(CheckGridCell(diff, 0, "156,5", "1"), "156,5");
    EXPECT_EQ(CheckGridCell(diff, 2, "0", "5"), "1");
    EXPECT_EQ(CheckGridCell(diff, 2, "-3", "5"), "1");
    EXPECT_EQ(CheckGridCell(diff, 2, "2.5", "5"), "5");  // a height is whole counts
    EXPECT_EQ(CheckGridCell(diff, 3, "0.1", "0.01"), "0.01");
    EXPECT_EQ(CheckGridCell(heat, 4, "0", "17000"), "1");
    EXPECT_EQ(CheckGridCell(heat, 1, "5,5", "5"), "5,5");
    EXPECT_EQ(CheckGridCell(heat, 1, "пять", "5"), "5");
    EXPECT_EQ(CheckGridCell(heat, 0, "Олово", "Вещество"), "Олово");
    // The computed margin points keep their labels.
    EXPECT_EQ(CheckGridCell(heat, 0, "Нач. расч. точк", HEAT_START_MARGIN_LABEL), HEAT_START_MARGIN_LABEL);
    EXPECT_EQ(CheckGridCell(heat, 0, "x", HEAT_END_MARGIN_LABEL), HEAT_END_MARGIN_LABEL);
    EXPECT_EQ(CheckGridCell(heat, 5, "1", "142.25"), "142.25");
}

TEST_F(CalibrationGrid, PointsToRowsAndBack) {
    heat.AddHeatRefPoint(157, 2000000, 10.0f, 28.45f, false, "Индий");
    heat.AddHeatRefPoint(20, 0, 0, 0, 1e-7f, true, HEAT_START_MARGIN_LABEL);
    const TGridRows rows = GridRowsOf(heat);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "Индий");
    EXPECT_EQ(rows[0][1], "10");
    EXPECT_EQ(rows[0][2], "157");
    EXPECT_EQ(rows[0][3], "28.450");
    EXPECT_EQ(rows[0][4], "2000000");
    EXPECT_NEAR(std::stod(rows[0][5]), 142.25, 1e-4);
    EXPECT_EQ(rows[0][5].size() - rows[0][5].find('.') - 1, 16u);  // sixteen decimals
    const auto back = HeatRowsOf({rows[0], rows[1], {"", "", "", "", "", ""}}, GridColumns(heat, *config));
    ASSERT_EQ(back.size(), 1u);  // the margin row and the empty row carry no point
    EXPECT_EQ(back[0].temp, 157);
    EXPECT_EQ(back[0].area, 2000000);
    EXPECT_FLOAT_EQ(back[0].heat, 28.45f);

    // A fractional sample temperature (from the automatic points) keys the nearest whole degree.
    const auto d = DiffTempRowsOf({{"156,504", "1.291", "122", "0.010581"}, {"419.5", "2", "266", ""}},
                                  GridColumns(diff, *config));
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].sampleTemp, 157);
    EXPECT_EQ(d[1].sampleTemp, 420);
    EXPECT_EQ(d[0].height, 122);
    EXPECT_EQ(d[0].description, "0.010581");
    try {
        TempRowsOf({{"100", "20", ""}, {"200", "сорок", ""}}, GridColumns(temp, *config));
        FAIL() << "a text in a number column";
    } catch (const ECalibrationException& e) {
        EXPECT_STREQ(e.what(), "Строка 2, столбец \"T, °С\": \"сорок\" не является числом");
    }
    EXPECT_THROW(DiffTempRowsOf({{"100", "2", "1.5", ""}}, GridColumns(diff, *config)),
                 ECalibrationException);
}

TEST_F(CalibrationGrid, ChartsOfEachKind) {
    temp.AddTempRefPoint(1000, 20, "");
    temp.AddTempRefPoint(2000, 120, "");
    temp.Calc();
    const RChartData t = ChartDataOf(temp, *config, 0, 0);
    EXPECT_EQ(t.xTitle, "Отсчёты АЦП");
    EXPECT_EQ(t.yTitle, "Значения T");
    ASSERT_EQ(t.points.size(), 2u);
    ASSERT_FALSE(t.curve.empty());
    EXPECT_EQ(t.curve.front().first, 0);
    EXPECT_EQ(t.curve.back().first, 4095);
    EXPECT_FLOAT_EQ(t.curve.back().second, 20 + 3095 * 0.1);
    EXPECT_LE(t.curve.size(), 1100u);

    diff.AddDiffTempRefPoint(100, 2, 400, "");
    diff.AddDiffTempRefPoint(300, 2, 200, "");
    diff.Calc();
    const RChartData d = ChartDataOf(diff, *config, 20, 620);
    EXPECT_EQ(d.yTitle, "Калибровочный коэффициент");
    ASSERT_EQ(d.curve.size(), 601u);  // every whole degree, both ends
    EXPECT_FLOAT_EQ(d.curve[180].second, 0.0075f);

    heat.AddHeatRefPoint(150, 1000, 0, 0, 1e-7f, false, "a");
    heat.AddHeatRefPoint(250, 1000, 0, 0, 3e-7f, false, "b");
    heat.Calc();
    const RChartData h = ChartDataOf(heat, *config, 20, 620);
    EXPECT_EQ(h.title, "Калибровочная таблица для " + config->tempChannelName);
    EXPECT_NEAR(h.curve[180].second, 200, 1e-3);  // shown × 1e9
    EXPECT_NEAR(h.points[1].second, 300, 1e-3);
    // A table that cannot convert draws its points only.
    TTempCalibrationTable one(0, 4095);
    one.AddTempRefPoint(5, 5, "");
    EXPECT_TRUE(ChartDataOf(one, *config, 0, 0).curve.empty());
}
