#include <gtest/gtest.h>

#include <cmath>

#include "data/DataClass.h"
#include "processing/Bubble.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/Tangent.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

// Every sample tells where it came from: t = 10000 + item, dt = 100 × item + channel (with a
// Gaussian on channel 0 around item 600 when asked).
class ChannelOperations : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> d;

    void SetUp() override {
        config->endTime = 100;
        config->frequency = 10;
        config->numberOfDataChannels = 3;
        d = std::make_unique<TDataClass>();
        Fill(*d, 1000, false);
    }

    static void Fill(TDataClass& aData, int aCount, bool aPeak) {
        aData.SetItemsLength(aCount, true);
        for (int i = 0; i < aCount; ++i) {
            for (int ch = 0; ch < aData.GetChannelCount(); ++ch) {
                const double g = aPeak && ch == 0 ? 5000 * std::exp(-0.5 * std::pow((i - 600) / 20.0, 2)) : 0;
                aData.items[i][ch] = TItem{10000 + i, 100 * i + ch + static_cast<int32_t>(std::lround(g)),
                                           static_cast<float>(i) / 4, static_cast<float>(ch) / 8};
            }
        }
    }

    void AddTangentAt(int x0) {
        auto* t = new TTangent(ttForDiffTemp);
        t->x0 = x0, t->x1 = x0 - 10, t->x2 = x0 + 10;
        d->tangents.AddItem(t);
    }
    template <typename T>
    T& Object(TObjectCollection& c, int k) {
        return *dynamic_cast<T*>(c.GetItemByIndex(k).value);
    }
};

}  // namespace

TEST_F(ChannelOperations, CutRemovesTheStretchAndMovesLaterObjects) {
    for (TCurveMode mode : {vm_view_dT_by_time, vm_view_dT_by_temp, vm_view_dt_and_temp_by_time}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Fill(*d, 1000, false);
        d->mode = mode;  // the objects inside the cut go in every view mode
        for (int x : {50, 150, 300})
            d->bubbles.AddItem(new TBubble(x, 1));
        AddTangentAt(150);
        AddTangentAt(300);
        d->fEndCalcInfo = 999;
        ASSERT_TRUE(d->CutData(100, 200));
        EXPECT_EQ(d->GetItemCount(), 900);
        EXPECT_EQ(d->items[100][2].dt, 100 * 200 + 2);
        EXPECT_EQ(d->items[99][0].t, 10099);
        EXPECT_EQ(d->items[899][1].t, 10999);
        ASSERT_EQ(d->bubbles.GetItemCount(), 2);
        EXPECT_EQ(Object<TBubble>(d->bubbles, 0).fTime, 50);
        EXPECT_EQ(Object<TBubble>(d->bubbles, 1).fTime, 200);
        ASSERT_EQ(d->tangents.GetItemCount(), 1);
        const TTangent& t = Object<TTangent>(d->tangents, 0);
        EXPECT_EQ(t.x0, 200);
        EXPECT_EQ(t.x1, 190);
        EXPECT_EQ(t.x2, 210);
        ASSERT_FALSE(t.fPointsUnits.empty());  // rebuilt from the moved items
        EXPECT_EQ(t.fPointsUnits.front().x, 190);
        EXPECT_EQ(d->fEndCalcInfo, 899u);
        EXPECT_TRUE(d->fHasUnsavedChanges);
    }
}

TEST_F(ChannelOperations, CutBoundsAreClippedAndOrderedBeforeTheWidth) {
    EXPECT_FALSE(d->CutData(0, 995));  // would leave 5 items
    EXPECT_EQ(d->GetItemCount(), 1000);
    EXPECT_FALSE(d->CutData(300, 300));
    EXPECT_EQ(d->GetItemCount(), 1000);

    ASSERT_TRUE(d->CutData(200, 100));  // reversed: the same stretch
    EXPECT_EQ(d->GetItemCount(), 900);
    EXPECT_EQ(d->items[100][0].t, 10200);

    Fill(*d, 1000, false);
    ASSERT_TRUE(d->CutData(-50, 100));  // only the 100 items that exist are removed
    EXPECT_EQ(d->GetItemCount(), 900);
    EXPECT_EQ(d->items[0][0].t, 10100);

    Fill(*d, 1000, false);
    ASSERT_TRUE(d->CutData(900, 5000));  // past the end: the tail only
    EXPECT_EQ(d->GetItemCount(), 900);
    EXPECT_EQ(d->items[899][0].t, 10899);

    Fill(*d, 1000, false);
    ASSERT_TRUE(d->CutData(0, 990));
    EXPECT_EQ(d->GetItemCount(), 10);
    EXPECT_EQ(d->items[0][0].t, 10990);
    EXPECT_EQ(d->items[9][0].t, 10999);
}

TEST_F(ChannelOperations, CutMovesPeaksAfterItAndDropsOverlappingOnes) {
    Fill(*d, 1000, true);
    TPeakUtils utils(*d, *config, nullptr, nullptr);
    ASSERT_NE(utils.AddPeak(120, 250, true), nullptr);
    TPeak* after = utils.AddPeak(500, 700, true);
    ASSERT_NE(after, nullptr);
    const int32_t top = after->top;
    const auto area = after->fAreas.size();
    ASSERT_EQ(d->peaks.GetItemCount(), 2);

    ASSERT_TRUE(d->CutData(100, 200));
    ASSERT_EQ(d->peaks.GetItemCount(), 1);
    const TPeak& p = Object<TPeak>(d->peaks, 0);
    EXPECT_EQ(p.begX, 400);
    EXPECT_EQ(p.endX, 600);
    EXPECT_EQ(p.top, top - 100);
    EXPECT_EQ(p.cutLines[PEAK_LINE_LEFT_MARGIN].points[0].x, 400);
    EXPECT_EQ(p.cutLines[PEAK_LINE_BASE].points[1].x, 600);
    EXPECT_EQ(p.cutLines[PEAK_LINE_BASE].points[1].y, d->items[600][0].dt);
    EXPECT_EQ(p.fAreas.size(), area);
    EXPECT_NEAR(p.peakCenter.x, 500, 1);
}

TEST_F(ChannelOperations, SwapChannels) {
    Fill(*d, 1000, true);
    d->bubbles.AddItem(new TBubble(10, 0));
    d->bubbles.AddItem(new TBubble(20, 1));
    d->bubbles.AddItem(new TBubble(30, 2));
    TPeakUtils(*d, *config, nullptr, nullptr).AddPeak(500, 700, true);
    AddTangentAt(300);
    d->descriptors[0].name = "a", d->descriptors[1].name = "b", d->descriptors[2].name = "c";
    d->descriptors[0].diffTempCurveColor = 10, d->descriptors[1].diffTempCurveColor = 11;
    d->descriptors[2].diffTempCurveColor = 12;

    d->SwapWorkChannelChannels(1, 2);  // no primary channel: peaks stay, descriptors swap whole
    EXPECT_EQ(d->items[5][1].dt, 502);
    EXPECT_EQ(d->items[5][2].dt, 501);
    EXPECT_EQ(d->peaks.GetItemCount(), 1);
    EXPECT_EQ(d->descriptors[1].name, "c");
    EXPECT_EQ(d->descriptors[1].diffTempCurveColor, 12u);
    EXPECT_EQ(Object<TBubble>(d->bubbles, 1).fChannel, 2);
    EXPECT_EQ(Object<TBubble>(d->bubbles, 2).fChannel, 1);

    d->SwapWorkChannelChannels(0, 1);  // the primary channel: its objects go, colours stay put
    EXPECT_EQ(d->items[5][0].dt, 502);
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    EXPECT_EQ(d->tangents.GetItemCount(), 0);
    EXPECT_EQ(d->descriptors[0].name, "c");
    EXPECT_EQ(d->descriptors[1].name, "a");
    EXPECT_EQ(d->descriptors[0].diffTempCurveColor, 10u);
    EXPECT_EQ(d->descriptors[1].diffTempCurveColor, 12u);
    EXPECT_EQ(Object<TBubble>(d->bubbles, 0).fChannel, 1);

    d->SwapWorkChannelChannels(0, 7);  // no such channel: nothing moves, not even a marker
    EXPECT_EQ(d->items[5][0].dt, 502);
    EXPECT_EQ(Object<TBubble>(d->bubbles, 2).fChannel, 0);
    EXPECT_EQ(d->descriptors[0].name, "c");
}

TEST_F(ChannelOperations, SwapTempAndDiffTempTwiceRestores) {
    d->SwapTempAndDiffTemp(1);
    EXPECT_EQ(d->items[7][1].t, 701);
    EXPECT_EQ(d->items[7][1].dt, 10007);
    EXPECT_FLOAT_EQ(d->items[7][1].tc, 0.125f);
    EXPECT_EQ(d->items[7][0].t, 10007);  // other channels untouched
    d->SwapTempAndDiffTemp(1);
    EXPECT_EQ(d->items[7][1].t, 10007);
    EXPECT_EQ(d->items[7][1].dt, 701);
    EXPECT_FLOAT_EQ(d->items[7][1].dtc, 0.125f);
}

TEST_F(ChannelOperations, SubtractThenUndoRestoresChannelZero) {
    TDataClass curve;
    Fill(curve, 400, false);
    d->CopyToBuffer();
    d->Substract(curve, 50);
    EXPECT_EQ(d->items[10][0].dt, 1000 - 1000 + 50);
    EXPECT_EQ(d->items[399][0].dt, 50);
    EXPECT_EQ(d->items[400][0].dt, 40000);  // beyond the shorter curve
    EXPECT_EQ(d->items[10][0].t, 10010);
    EXPECT_EQ(d->items[10][1].dt, 1001);

    ASSERT_TRUE(d->Undo(2));
    for (int i : {0, 10, 399, 400, 999}) {
        EXPECT_EQ(d->items[i][0].dt, 100 * i) << i;
        EXPECT_EQ(d->items[i][0].t, 10000 + i) << i;
    }
}

TEST_F(ChannelOperations, UndoNeverZeroesOrMisalignsChannelZero) {
    // Data written without an undo copy: nothing to restore.
    EXPECT_FALSE(d->Undo(0));
    EXPECT_EQ(d->items[500][0].dt, 50000);

    // A cut after the copy cuts the copy the same way.
    d->CopyToBuffer();
    d->items[350][0].dt = -1;
    ASSERT_TRUE(d->CutData(100, 200));
    ASSERT_TRUE(d->Undo(0));
    EXPECT_EQ(d->items[250][0].dt, 35000);
    EXPECT_EQ(d->items[99][0].dt, 9900);

    // A record that grew past its copy has no complete copy.
    d->CopyToBuffer();
    d->SetItemsLength(950, false);
    d->items[940][0].dt = 7;
    EXPECT_FALSE(d->Undo(0));
    EXPECT_EQ(d->items[940][0].dt, 7);
}

TEST_F(ChannelOperations, CopiesAndClearing) {
    d->PartCopyToChannel(-20, 3, 2, 0);
    EXPECT_EQ(d->items[3][0].dt, 302);
    EXPECT_EQ(d->items[4][0].dt, 400);
    d->PartCopyToChannel(998, 5000, 1, 0);
    EXPECT_EQ(d->items[999][0].dt, 99901);
    d->CopyToChannel(1, 2);
    EXPECT_EQ(d->items[500][2].dt, 50001);

    Fill(*d, 1000, true);
    TPeakUtils(*d, *config, nullptr, nullptr).AddPeak(500, 700, true);
    d->bubbles.AddItem(new TBubble(10, 0));
    d->CopyToBuffer();
    d->ClearChannels();
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    EXPECT_EQ(d->bubbles.GetItemCount(), 0);
    EXPECT_EQ(d->GetItemCount(), 1000);
    EXPECT_EQ(d->items[600][0].dt, 0);
    EXPECT_FALSE(d->Undo(0));  // the reset took the undo copy with it

    Fill(*d, 1000, false);
    d->SetNumChannels(5);
    d->ClearAll();
    EXPECT_EQ(d->GetItemCount(), 1000);
    EXPECT_EQ(d->GetChannelCount(), 3);
    EXPECT_EQ(d->items[999][2].dt, 0);
}
