// A heat–cool–heat run split into one experiment per segment, and a stretch of an experiment copied
// into one of its own.

#include <gtest/gtest.h>

#include <cmath>

#include "data/DataClass.h"
#include "data/ExperimentCopy.h"
#include "data/PhysicalExperiment.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/SegmentSplit.h"
#include "support/ProgramRuns.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

// 30 → 180 °C at 10 K/min, back to 30 °C at 10 K/min, up again at 20 K/min: a melting of 40 mJ at
// 120 °C on both heatings (none on the cooling), wider in temperature on the faster one; cp flat.
test::TProgramRun HeatCoolHeat() {
    test::TProgramRun p;
    p.segments = {{10, 900}, {-10, 900}, {20, 450}};
    p.cp = [](double) { return 1.5; };
    p.effect = [](double t, double T) {
        if (t > 900 && t < 1800) return 0.0;
        const double width = t < 900 ? 3.0 : 6.0;  // K
        const double rate = t < 900 ? 10.0 / 60 : 20.0 / 60;
        return 40 * rate * std::exp(-0.5 * std::pow((T - 120) / width, 2)) / (width * std::sqrt(2 * M_PI));
    };
    return p;
}

class SegmentSplitTest : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> Make(const TPhysicalRun& aRun) {
        auto d = test::ExperimentOf(aRun);
        d->fFileName = "/data/run.dsc";
        d->fDescription = "ПЭТ";
        return d;
    }
};

}  // namespace

TEST_F(SegmentSplitTest, HeatCoolHeatBecomesThreeExperimentsEachWithItsRate) {
    const auto d = Make(HeatCoolHeat().Run());
    const std::vector<TSegment> segments = SegmentsToSplit(*d);
    ASSERT_EQ(segments.size(), 3u);
    const double rates[] = {10, -10, 20};
    int items = 0;
    for (int k = 0; k < 3; ++k) {
        TDataClass part;
        CopySegment(*d, segments[k], k + 1, 3, part);
        items += part.GetItemCount();
        EXPECT_EQ(part.GetItemCount(), segments[k].end - segments[k].begin + 1);
        EXPECT_NEAR(part.fHeatSpeed, rates[k], 0.05) << k;
        // The samples are the original's, readings and values alike.
        const TItem& a = part.items[0][0];
        const TItem& b = d->items[static_cast<size_t>(segments[k].begin)][0];
        EXPECT_EQ(a.t, b.t);
        EXPECT_EQ(a.dt, b.dt);
        EXPECT_EQ(a.tc, b.tc);
        EXPECT_EQ(part.fPhysical, d->fPhysical);
        EXPECT_EQ(part.fSampleWeight, d->fSampleWeight);
        EXPECT_EQ(part.fSegmentStarts, std::vector<int32_t>{0});
        EXPECT_EQ(part.fFileName, "/data/run-" + std::to_string(k + 1) + ".dsc");
        EXPECT_TRUE(part.HasUndoCopy());
        EXPECT_TRUE(part.fHasUnsavedChanges);
        // Its own program is that one segment.
        const std::vector<TSegment> own = SegmentsOf(part);
        ASSERT_EQ(own.size(), 1u) << k;
        EXPECT_EQ(own[0].kind, segments[k].kind);
        EXPECT_NEAR(own[0].rate, rates[k], 0.05);
        // The melting is found on each heating apart, at its own rate; the cooling shows none.
        TPeakUtils(part, *config, nullptr, nullptr).DetectPeaks(0, part.GetItemCount() - 1);
        ASSERT_EQ(part.peaks.GetItemCount(), k == 1 ? 0 : 1) << k;
        if (k != 1) {
            const auto* p = dynamic_cast<const TPeak*>(part.peaks.GetItemByIndex(0).value);
            ASSERT_NE(p, nullptr);
            const int top = (p->begX + p->endX) / 2;
            EXPECT_NEAR(part.items[static_cast<size_t>(top)][0].tc, 120, 6) << k;
        }
    }
    EXPECT_EQ(items, d->GetItemCount());
    TDataClass second;
    CopySegment(*d, segments[1], 2, 3, second);
    EXPECT_EQ(second.fDescription, "ПЭТ\nСегмент 2 из 3: " + SegmentCaption(segments[1]));
    EXPECT_LT(second.fHeatSpeed, 0);
}

TEST_F(SegmentSplitTest, IsothermsAreKeptOrLeftOut) {
    test::TProgramRun p;
    p.segments = {{10, 600}, {0, 300}, {-10, 600}, {0, 300}, {10, 600}};
    const auto d = Make(p.Run());
    EXPECT_EQ(SegmentsToSplit(*d).size(), 5u);
    const std::vector<TSegment> moving = SegmentsToSplit(*d, true);
    ASSERT_EQ(moving.size(), 3u);
    EXPECT_EQ(moving[1].kind, skCooling);
    TDataClass hold;
    CopySegment(*d, SegmentsToSplit(*d)[1], 2, 5, hold);
    EXPECT_EQ(hold.fHeatSpeed, 0);
    EXPECT_EQ(SegmentPartFileName("a/b.c.dsc", 12), "a/b.c-12.dsc");
}

TEST_F(SegmentSplitTest, ACopyKeepsEveryChannelAndItsEnd) {
    const auto d = Make(HeatCoolHeat().Run());
    d->SetNumChannels(2);
    d->descriptors[1].name = "второй";
    d->descriptors[1].fScanEndPoint = 1000;
    for (int i = 0; i < d->GetItemCount(); ++i)
        d->items[static_cast<size_t>(i)][1] = {i, -i, static_cast<float>(i), static_cast<float>(-i)};
    d->AddBubble(50);
    TDataClass copy;
    CopyExperimentItems(*d, 1200, 800, copy);  // ordered
    ASSERT_EQ(copy.GetItemCount(), 401);
    ASSERT_EQ(copy.GetChannelCount(), 2);
    EXPECT_EQ(copy.items[0][1].t, 800);
    EXPECT_EQ(copy.items[400][1].dt, -1200);
    EXPECT_EQ(copy.descriptors[1].name, "второй");
    EXPECT_EQ(copy.descriptors[1].fScanEndPoint, 200);
    EXPECT_EQ(copy.descriptors[0].fScanEndPoint, 400);
    EXPECT_EQ(copy.bubbles.GetItemCount(), 0);
    EXPECT_TRUE(copy.fShowLegend);
    TDataClass clipped;
    CopyExperimentItems(*d, -50, 10, clipped);
    EXPECT_EQ(clipped.GetItemCount(), 11);
    TDataClass empty;
    empty.SetItemsLength(0, true);
    EXPECT_THROW(CopyExperimentItems(empty, 0, 10, clipped), EDataClassException);
}
