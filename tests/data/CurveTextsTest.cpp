// The texts that describe the curve at a point: item values with units and the status line.

#include <gtest/gtest.h>

#include "data/CurveTexts.h"
#include "data/DataClass.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

class CurveTexts : public ::testing::Test {
protected:
    void SetUp() override {
        config->numberOfDataChannels = 1;
        config->frequency = 10;
        config->endTime = 1;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(100, true);
        for (int i = 0; i < 100; ++i)
            d->items[i][0].dt = 2000 + 2 * i, d->items[i][0].t = 1000 + 10 * i;
        d->FillTempValues();  // no tables: degrees are the readings
    }
    TTestConfig config;
    std::unique_ptr<TDataClass> d;
};

TEST_F(CurveTexts, TheStatusLineInterpolatesChannelZeroForEachViewMode) {
    d->mode = vm_view_dT_by_time;
    EXPECT_EQ(GetCurveStrInfo(*d, 10.5, 0), "t:1.1сек.,  dT 2021отсч.");
    d->mode = vm_view_T_by_time;
    EXPECT_EQ(GetCurveStrInfo(*d, 10.5, 0), "t:1.1сек.,  T 1105отсч.");
    d->mode = vm_view_dt_and_temp_by_time;
    EXPECT_EQ(GetCurveStrInfo(*d, 10, 0), "t:1сек.,  dT 2020отсч.,  T:1100отсч.");
    d->mode = vm_view_dT_by_temp;
    EXPECT_EQ(GetCurveStrInfo(*d, 10, 1100), "T:1100отсч.,  dT 2020отсч.");
    d->diffTempScale = dtsDegrees;
    d->mode = vm_view_dT_by_time;
    EXPECT_EQ(GetCurveStrInfo(*d, 10.5, 0), "t:1.1сек.,  dT 2021" + config->diffChannelUnitsName);
    d->mode = vm_optstate_draw_extra_temp;
    EXPECT_EQ(GetCurveStrInfo(*d, 10, 0), "");
}

TEST_F(CurveTexts, ItemValuesCarryTheirUnitsAndReportMissingSamples) {
    EXPECT_EQ(GetDiffTempStr(*d, 3, 0), "2006 отсч.");
    EXPECT_EQ(GetTempStr(*d, 3, 0), "1030 отсч.");
    d->tempScale = tsDegrees;
    d->items[3][0].tc = 156.55f;
    EXPECT_EQ(GetTempStr(*d, 3, 0), "156.6 " + config->tempChannelUnitsName);
    config->debugMode = true;
    EXPECT_EQ(GetTempStr(*d, 3, 0), "156.6 (1030) " + config->tempChannelUnitsName);
    EXPECT_EQ(GetTempStr(*d, 100, 0), "Error");
    EXPECT_EQ(GetDiffTempStr(*d, 3, 1), "Error");
    EXPECT_EQ(GetTimeStr(*d, 125), "12.5 сек.");
}

}  // namespace
