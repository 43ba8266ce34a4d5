#include <gtest/gtest.h>

#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "data/CurveTexts.h"
#include "data/DataClass.h"
#include "processing/Bubble.h"
#include "processing/Peak.h"
#include "processing/Tangent.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

TEST(DataClass, NewExperimentIsSizedForTheConfiguredRun) {
    TTestConfig config;
    config->numberOfDataChannels = 3;
    config->endTime = 100;
    config->frequency = 10;
    TDataClass d;
    EXPECT_EQ(d.GetChannelCount(), 3);
    ASSERT_EQ(d.descriptors.size(), 3u);
    EXPECT_EQ(d.descriptors[0].name, "Канал № 1");
    EXPECT_EQ(d.descriptors[2].name, "Канал № 3");
    EXPECT_TRUE(d.fShowLegend);
    EXPECT_EQ(d.endX, 999);
    EXPECT_EQ(d.GetItemCount(), 1000);
    EXPECT_EQ(d.workItems.ChannelCount(), static_cast<size_t>(WORKCHANNELS_COUNT));
    EXPECT_EQ(d.items[999][2].dt, 0);
    EXPECT_FALSE(d.fHasUnsavedChanges);
    EXPECT_EQ(d.endXSel, 999);  // the 300 s window is wider than the run: the sizing clips it
    EXPECT_EQ(d.CreateCannel("x", CHANNEL_TYPE_PERMANENT), 4);
    EXPECT_EQ(d.descriptors[3].name, "x");
}

TEST(DataClass, AccessClipsIndexesAndFollowsTheScales) {
    TTestConfig config;
    config->endTime = 10;
    TDataClass d;
    for (int i = 0; i < d.GetItemCount(); ++i) {
        d.items[i][0].t = i;
        d.items[i][0].tc = i * 0.5f;
    }
    EXPECT_EQ(d.GetT(-5), 0);
    EXPECT_EQ(d.GetT(d.GetItemCount() + 10), d.GetItemCount() - 1);
    d.tempScale = tsDegrees;
    EXPECT_EQ(d.GetT(4), 2.0);
    d.timeScale = tmMinutes;
    d.frequency = 10;
    EXPECT_EQ(d.GetTimeDivider(), 600);
    d.mode = vm_view_dT_by_temp;
    EXPECT_TRUE(d.IsTempBasedMode());
    EXPECT_TRUE(d.IsInDtRelatedMode());
    double lo = 0, hi = 0;
    EXPECT_THROW(d.GetMinMaxTempOnRange(0, 5, lo, hi), EDataClassException);
    d.mode = vm_view_dt_and_temp_by_time;
    EXPECT_TRUE(d.IsTimeBasedMode());
    EXPECT_FALSE(d.IsInDtRelatedMode());
}

TEST(DataClass, SizingKeepsOrClearsSamplesAndObjects) {
    TTestConfig config;
    config->endTime = 10;
    TDataClass d;
    d.items[5][0].dt = 77;
    d.mode = vm_view_dT_by_time;
    d.AddBubble(5);
    d.peaks.AddItem(new TStandardPeak(d.items, d.frequency));
    d.SetItemsLength(50, false);
    EXPECT_EQ(d.items[5][0].dt, 77);
    EXPECT_EQ(d.bubbles.GetItemCount(), 1);
    EXPECT_EQ(d.endX, 49);
    d.SetItemsLength(50, true);
    EXPECT_EQ(d.items[5][0].dt, 0);
    EXPECT_EQ(d.bubbles.GetItemCount(), 0);
    EXPECT_EQ(d.peaks.GetItemCount(), 0);
}

TEST(DataClass, TemporaryChannelsGoAndPermanentOnesKeepTheirOrder) {
    TTestConfig config;
    config->endTime = 1;
    TDataClass d;
    d.CreateCannel("temp1", CHANNEL_TYPE_TEMPORARY);
    d.CreateCannel("perm2", CHANNEL_TYPE_PERMANENT);
    d.CreateCannel("temp3", CHANNEL_TYPE_TEMPORARY);
    d.items[3][2].dt = 42;
    d.RemoveTemporaryChannels();
    ASSERT_EQ(d.GetChannelCount(), 2);
    EXPECT_EQ(d.descriptors[1].name, "perm2");
    EXPECT_EQ(d.items[3][1].dt, 42);
    EXPECT_FALSE(d.GetChannelCount() > 2);
}

TEST(DataClass, ZeroLineAndRangeExpansion) {
    TTestConfig config;
    config->endTime = 1;
    TDataClass d;
    d.items[0][0].t = 100;
    const int zero = config->tempZeroLine;
    d.SetTZeroLine(5);
    EXPECT_EQ(d.items[0][0].t, 95);
    EXPECT_EQ(d.items[0][0].tc, 95.0f);  // no table: a reading stands for itself
    EXPECT_EQ(config->tempZeroLine, zero + 5);

    bool changed = true;
    config->autoExpandTempRanges = false;
    const int min = d.fTempMinValue, max = d.fTempMaxValue;
    EXPECT_EQ(d.ExpandTRange(99999, false, changed, max, min), 4095);
    EXPECT_FALSE(changed);
    EXPECT_EQ(d.fTempMaxValue, max);
    config->autoExpandDiffTempRanges = true;
    d.fDiffTempMinValue = 1000, d.fDiffTempMaxValue = 2000;
    EXPECT_EQ(d.ExpandDtRange(2500, false, changed, 2000, 1000, 0), 2500);
    EXPECT_TRUE(changed);
    EXPECT_EQ(d.fDiffTempMaxValue, 2600);
}

TEST(DataClass, ObjectsAreRemovedOnlyInsideTheRangeAndMode) {
    TTestConfig config;
    config->endTime = 100;
    TDataClass d;
    d.mode = vm_view_dT_by_time;
    for (int x : {50, 150, 300})
        d.AddBubble(x);
    d.AddBubble(5000);  // beyond the last item: nothing
    d.AddTangent(100, 200);
    d.AddTangent(400, 401);  // too short: nothing
    EXPECT_EQ(d.bubbles.GetItemCount(), 3);
    ASSERT_EQ(d.tangents.GetItemCount(), 1);
    auto* tangent = dynamic_cast<TTangent*>(d.tangents.GetItemByIndex(0).value);
    EXPECT_EQ(tangent->x0, 150);
    EXPECT_EQ(tangent->fPointsUnits.size(), 100u);  // items 100 … 199
    d.DelBubbles(100, 200);
    EXPECT_EQ(d.bubbles.GetItemCount(), 2);
    d.mode = vm_view_dT_by_temp;
    d.DelTangents(0, 999);
    EXPECT_EQ(d.tangents.GetItemCount(), 1);  // not in this mode
    d.mode = vm_view_dT_by_time;
    d.DelTangents(0, 999);
    EXPECT_EQ(d.tangents.GetItemCount(), 0);
}

TEST(DataClassStat, ExtremesSkipItemZero) {
    TTestConfig config;
    config->endTime = 1;
    TDataClass d;
    for (int i = 0; i < d.GetItemCount(); ++i)
        d.items[i][0].tc = static_cast<float>(i);
    d.items[0][0].tc = 1000;
    EXPECT_EQ(TDataClassStat::GetMaxTemp(&d, 0, 0, 5), 5.0);
    EXPECT_EQ(TDataClassStat::GetMinTemp(&d, 0, 0, 5), 1.0);
    EXPECT_EQ(TDataClassStat::GetMaxTemp(&d), d.GetItemCount() - 1.0);
    try {
        TDataClassStat::GetMaxTemp(nullptr, 0, 0, 1);
        FAIL();
    } catch (const EDataClassStatException& e) {
        EXPECT_EQ(std::string(e.what()), "fDataClass=NIL");
    }
}

TEST(DataClass, DtZeroLineInDegreesWorksWithATemperatureKindTable) {
    TTestConfig config;
    config->endTime = 1;
    TDataClass d;
    TTempCalibrationTable table(0, 4095);
    TCalibrationTable* previous = gDiffTempCalibrationTable;
    gDiffTempCalibrationTable = &table;
    d.diffTempScale = dtsDegrees;
    d.items[0][0].dt = 100;
    d.SetDTZeroLine(7.0);  // identity table: 7 degrees are 7 counts
    gDiffTempCalibrationTable = previous;
    EXPECT_EQ(d.items[0][0].dt, 93);
}

TEST(CurveTexts, UnitsFollowTheScales) {
    TTestConfig config;
    config->endTime = 1;
    TDataClass d;
    d.timeScale = tmHours;
    EXPECT_EQ(GetTimeScaleStr(d), "час.");
    EXPECT_EQ(GetTimeScaleStr(static_cast<TTimeScale>(7)), "");
    d.tempScale = tsUnits;
    EXPECT_EQ(GetTempScaleStr(d), "отсч.");
    d.diffTempScale = dtsDegrees;
    EXPECT_EQ(GetDiffTempScaleStr(d), "°С");
}

// Checking the ranges clamps every reading into the converter's range and widens the axis ranges
// exactly as passing the readings one by one through the range expansion does.
TEST(DataClass, CheckingTheRangesMatchesTheExpansionOfEveryReading) {
    TTestConfig config;
    config->endTime = 300;
    config->frequency = 10;
    config->tMinValue = 1000, config->tMaxValue = 2000;
    config->dTMinValue = 1500, config->dTMaxValue = 2500;
    for (const TDiffTempScale scale : {dtsUnits, dtsDegrees}) {
        TDataClass fast, reference;
        for (TDataClass* d : {&fast, &reference}) {
            d->diffTempScale = scale;
            d->tempScale = scale == dtsDegrees ? tsDegrees : tsUnits;
            for (int i = 0; i < d->GetItemCount(); ++i) {
                d->items[i][0].t = 900 + i / 2;  // below, inside and above the T range
                d->items[i][0].dt = 2000 + (i % 500) * (i % 3 == 0 ? 3 : -3);
            }
            d->items[700][0].dt = 9000;  // beyond the converter: clamped to 4095
            d->items[800][0].t = -50;
        }
        fast.ResetMargins(true);
        reference.FillTempValues();
        for (size_t i = 0; i < reference.items.ItemCount(); ++i) {
            TItem& s = reference.items[i][0];
            bool changed = false;
            const double tMin = reference.fTempMinValue, tMax = reference.fTempMaxValue;
            s.t = reference.ExpandTRange(s.t, false, changed, tMax, tMin);
            const double dMin = reference.fDiffTempMinValue, dMax = reference.fDiffTempMaxValue;
            s.dt = reference.ExpandDtRange(s.dt, false, changed, dMax, dMin, s.tc);
        }
        EXPECT_EQ(fast.items[700][0].dt, 4095);
        EXPECT_EQ(fast.items[800][0].t, 0);
        EXPECT_EQ(fast.fTempMinValue, reference.fTempMinValue);
        EXPECT_EQ(fast.fTempMaxValue, reference.fTempMaxValue);
        EXPECT_EQ(fast.fDiffTempMinValue, reference.fDiffTempMinValue);
        EXPECT_EQ(fast.fDiffTempMaxValue, reference.fDiffTempMaxValue);
        EXPECT_LT(fast.fDiffTempMinValue, 1500);  // widened to hold the data
        for (size_t i = 0; i < fast.items.ItemCount(); ++i) {
            ASSERT_EQ(fast.items[i][0].t, reference.items[i][0].t) << i;
            ASSERT_EQ(fast.items[i][0].dt, reference.items[i][0].dt) << i;
        }
    }
}
