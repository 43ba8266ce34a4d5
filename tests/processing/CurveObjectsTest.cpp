#include <gtest/gtest.h>

#include <memory>

#include "processing/Bubble.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/Tangent.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// 2000 items at 10 per second: dt rises 3 counts per item, t 1 count per item.
class CurveObjects : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> d;

    void SetUp() override {
        config->frequency = 10;
        config->endTime = 200;
        d = std::make_unique<TDataClass>();
        for (int i = 0; i < d->GetItemCount(); ++i)
            d->items[i][0].dt = 3 * i, d->items[i][0].t = 100 + i;
        d->FillTempValues();
        d->mode = vm_view_dT_by_time;
    }

    TTangent* Tangent(int k) const { return dynamic_cast<TTangent*>(d->tangents.GetItemByIndex(k).value); }

    TPeak* Peak(int b, int e) {
        auto* p = new TStandardPeak(d->items, d->frequency);
        p->begX = b, p->endX = e;
        return p;
    }
};

}  // namespace

TEST_F(CurveObjects, OnePointTangentSpansTheConfiguredTime) {
    d->AddTangent(500);
    ASSERT_EQ(d->tangents.GetItemCount(), 1);
    const TTangent* t = Tangent(0);
    EXPECT_EQ(t->fTangentType, ttForDiffTemp);
    EXPECT_EQ(t->x0, 500);
    EXPECT_EQ(t->x1, 495);
    EXPECT_EQ(t->x2, 505);
    ASSERT_EQ(t->fPointsUnits.size(), 10u);  // 495 … 504
    EXPECT_EQ(t->fPointsUnits.front().x, 495);
    EXPECT_EQ(t->fPointsReal.front().x, 49.5L);
    EXPECT_NEAR(static_cast<double>(t->tgA_Units), 3, 0.05);
    EXPECT_NEAR(static_cast<double>(t->tgA_Degrees), static_cast<double>(t->tgA_Units),
                1e-9);  // identity tables
    EXPECT_NEAR(static_cast<double>(t->tgA_Real), 10 * static_cast<double>(t->tgA_Units),
                1e-6);  // per second

    d->AddTangent(700, 701);  // too short
    d->AddTangent(-4);        // clipped to a single item: no line to fit
    EXPECT_EQ(d->tangents.GetItemCount(), 1);
    d->AddTangent(d->GetItemCount() - 1);  // clipped, but still five items
    EXPECT_EQ(d->tangents.GetItemCount(), 2);
    d->mode = vm_view_dT_by_temp;
    d->AddTangent(800);
    EXPECT_EQ(d->tangents.GetItemCount(), 2);
}

TEST_F(CurveObjects, StretchPointsInEveryUnit) {
    const TXYPoints raw = d->DtItemsToXYPoints(10, 14, false, false, false);
    ASSERT_EQ(raw.size(), 4u);
    EXPECT_EQ(raw[3].x, 13);
    EXPECT_EQ(raw[3].y, 39);
    const TXYPoints seconds = d->TItemsToXYPoints(10, 14, true, true, false);
    EXPECT_EQ(seconds[3].x, 1.3L);
    EXPECT_EQ(seconds[3].y, 113);
    EXPECT_TRUE(d->DtItemsToXYPoints(14, 10, false, false, true).empty());
    EXPECT_EQ(d->DtItemsToXYPoints(-50, 3, false, false, true).size(), 3u);
}

TEST_F(CurveObjects, DeletingTangentsFollowsTheView) {
    d->AddTangent(300);
    d->mode = vm_view_T_by_time;
    d->AddTangent(320);
    ASSERT_EQ(Tangent(1)->fTangentType, ttForTemp);
    EXPECT_NEAR(static_cast<double>(Tangent(1)->tgA_Units), 1, 0.05);
    d->mode = vm_view_dT_by_time;
    d->DelTangents(0, 1000);  // a dT view leaves the T tangent alone
    ASSERT_EQ(d->tangents.GetItemCount(), 1);
    EXPECT_EQ(Tangent(0)->fTangentType, ttForTemp);
    d->AddTangent(310);
    d->mode = vm_view_T_by_time;
    d->DelTangents(305, 1000);  // a T view takes both kinds
    EXPECT_EQ(d->tangents.GetItemCount(), 0);
}

TEST_F(CurveObjects, DeletingPeaksAndBubbles) {
    d->peaks.AddItem("peak1", Peak(100, 200));
    d->peaks.AddItem("peak2", Peak(300, 400));
    d->peaks.AddItem("peak3", Peak(500, 600));
    d->DelPeaks(350, 360);  // inside the second peak, touching neither margin
    ASSERT_EQ(d->peaks.GetItemCount(), 2);
    EXPECT_EQ(d->peaks.GetItemByIndex(1).key, "peak3");
    d->mode = vm_view_T_by_time;
    d->DelPeaks(0, 2000);  // only in dT views
    EXPECT_EQ(d->peaks.GetItemCount(), 2);

    d->mode = vm_view_dT_by_time;
    d->AddBubble(50);
    d->AddBubble(d->GetItemCount());  // beyond the last item
    d->AddBubble(150);
    EXPECT_EQ(d->bubbles.GetItemCount(), 2);
    d->DelBubbles(100, 200);
    ASSERT_EQ(d->bubbles.GetItemCount(), 1);
    EXPECT_EQ(dynamic_cast<TBubble*>(d->bubbles.GetItemByIndex(0).value)->fTime, 50);
    d->ClearObjects();
    EXPECT_EQ(d->peaks.GetItemCount() + d->bubbles.GetItemCount() + d->tangents.GetItemCount(), 0);
}

TEST_F(CurveObjects, ObjectsUnderOneKeyAreDeletedOneByOne) {
    // Two peaks that drew the same key: deleting the one in range keeps the other.
    TPeak* outside = Peak(1000, 1100);
    d->peaks.AddItem("peak42", outside);
    d->peaks.AddItem("peak42", Peak(100, 200));
    d->DelPeaks(150, 160);
    ASSERT_EQ(d->peaks.GetItemCount(), 1);
    EXPECT_EQ(d->peaks.GetItemByIndex(0).value, outside);
    d->DelPeak(0);
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    EXPECT_ANY_THROW(d->DelPeak(0));
}

TEST_F(CurveObjects, ZeroLineMovesPeaksAndRebuildsTangents) {
    TPeakUtils utils(*d, *config, nullptr, nullptr);
    TPeak* p = utils.AddPeak(100, 200, false);
    ASSERT_NE(p, nullptr);
    const int32_t baseY = p->cutLines[PEAK_LINE_BASE].points[0].y;
    d->AddTangent(500);
    d->mode = vm_view_T_by_time;
    d->AddTangent(600);
    d->mode = vm_view_dT_by_time;
    const long double b = Tangent(0)->b_Units, bT = Tangent(1)->b_Units;
    d->SetDTZeroLine(50);
    EXPECT_EQ(d->items[10][0].dt, 30 - 50);
    EXPECT_EQ(p->cutLines[PEAK_LINE_BASE].points[0].y, baseY - 50);
    EXPECT_NEAR(static_cast<double>(Tangent(0)->b_Units), static_cast<double>(b - 50), 1e-6);
    EXPECT_NEAR(static_cast<double>(Tangent(1)->b_Units), static_cast<double>(bT), 1e-6);  // T is not dT
    EXPECT_EQ(Tangent(1)->fPointsUnits.front().y, 100 + 595);
}
