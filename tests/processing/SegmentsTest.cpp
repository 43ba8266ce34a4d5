#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/RangeText.h"
#include "processing/Segments.h"
#include "support/ModelRuns.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TGaussianRun;
using kalvero::test::TTestConfig;

namespace {

// A heat–hold–cool–heat program: 30 → 130 °C at 10 K/min, 5 min at 130 °C, down to 80 °C at
// 5 K/min, up to 180 °C at 20 K/min; the knees rounded by the cell's lag of 8 s.
struct TProgramRun {
    std::vector<double> knots{0, 600, 900, 1500, 1800};  // s
    std::vector<double> rates{10, 0, -5, 20};            // K/min
    double lag = 8;                                      // s

    double Programmed(double t) const {
        double temp = 30;
        for (size_t k = 0; k + 1 < knots.size(); ++k)
            temp += rates[k] / 60 * (std::clamp(t, knots[k], knots[k + 1]) - knots[k]);
        return temp;
    }
    TPhysicalRun Run() const {
        TPhysicalRun r;
        double cell = 30;
        for (double t = 0; t <= knots.back(); t += 0.5) {
            cell += (Programmed(t) - cell) * (1 - std::exp(-0.5 / lag));
            r.time.push_back(t);
            r.temperature.push_back(cell);
            r.signal.push_back(0.1);
        }
        return r;
    }
};

class SegmentsTest : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> Make(const TPhysicalRun& aRun) {
        auto d = std::make_unique<TDataClass>();
        std::vector<std::string> warnings;
        FillFromPhysicalRun(*d, aRun, warnings);
        return d;
    }
};

TEST_F(SegmentsTest, HeatHoldCoolHeatIsFoundWithItsRatesAndBoundaries) {
    const TProgramRun program;
    const auto d = Make(program.Run());
    const std::vector<TSegment> s = SegmentsOf(*d);
    ASSERT_EQ(s.size(), 4u);
    const TSegmentKind kinds[] = {skHeating, skIsothermal, skCooling, skHeating};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(s[k].kind, kinds[k]) << k;
        EXPECT_NEAR(s[k].rate, program.rates[k], 0.05) << k;
        // The lag delays every knee by about its time constant.
        EXPECT_NEAR(s[k].begin / d->frequency, program.knots[k] + (k ? program.lag : 0), 15) << k;
    }
    EXPECT_EQ(s.front().begin, 0);
    EXPECT_EQ(s.back().end, d->GetItemCount() - 1);
    for (size_t k = 1; k < 4; ++k)
        EXPECT_EQ(s[k].begin, s[k - 1].end + 1);
    EXPECT_EQ(SegmentCaption(s[0]), "нагрев 10.0 К/мин");
    EXPECT_EQ(SegmentAt(s, s[2].begin + 1), 2);
}

TEST_F(SegmentsTest, AMeltingPlateauOfTheSampleStaysInsideItsHeating) {
    TProgramRun program;
    program.knots = {0, 1200};
    program.rates = {10};
    TPhysicalRun r = program.Run();
    // The sample's temperature stops for 20 s at 100 °C while it melts.
    double shift = 0;
    for (size_t i = 0; i < r.time.size(); ++i) {
        if (r.temperature[i] > 100) shift = std::min(shift + 0.5 * 10 / 60, 20 * 10.0 / 60);
        r.temperature[i] =
            r.temperature[i] > 100 ? std::max(100.0, r.temperature[i] - shift) : r.temperature[i];
    }
    EXPECT_EQ(SegmentsOf(*Make(r)).size(), 1u);
}

TEST_F(SegmentsTest, DeclaredBoundariesWinAndFollowACut) {
    const auto d = Make(TProgramRun().Run());
    d->fSegmentStarts = {0, 1000, 3000};
    std::vector<TSegment> s = SegmentsOf(*d);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1].begin, 1000);
    EXPECT_EQ(s[1].end, 2999);
    ASSERT_TRUE(d->CutData(500, 1500));  // the second boundary falls into the cut
    EXPECT_EQ(d->fSegmentStarts, (std::vector<int32_t>{0, 500, 2000}));
}

TEST_F(SegmentsTest, RangesInSecondsMinutesAndDegrees) {
    const TProgramRun program;
    const auto d = Make(program.Run());  // 2 items per second
    EXPECT_EQ(ItemRangeOf(*d, "300s:360s"), std::make_pair(600, 720));
    EXPECT_EQ(ItemRangeOf(*d, "5min:6min"), std::make_pair(600, 720));
    EXPECT_EQ(ItemRangeOf(*d, "1,5min:2min"), std::make_pair(180, 240));
    EXPECT_EQ(ItemRangeOf(*d, "720:600"), std::make_pair(600, 720));
    // 100 °C is passed on the first heating and again on the last: the first segment that
    // reaches both ends holds the range.
    const auto [a, b] = ItemRangeOf(*d, "90C:110°C");
    EXPECT_NEAR(d->items[a][0].tc, 90, 0.1);
    EXPECT_NEAR(d->items[b][0].tc, 110, 0.1);
    EXPECT_LT(b / d->frequency, 600);
    // 170 °C only on the last heating.
    const auto [c, e] = ItemRangeOf(*d, "150C:170C");
    EXPECT_GT(c / d->frequency, 1500);
    EXPECT_NEAR(d->items[e][0].tc, 170, 0.1);
    EXPECT_EQ(ItemRangeOf(*d, "363.15K:383.15K"), std::make_pair(a, b));
    EXPECT_THROW(ItemRangeOf(*d, "150C:900C"), ERangeText);
    EXPECT_THROW(ItemRangeOf(*d, "150C:170s"), ERangeSyntax);
    EXPECT_THROW(ItemRangeOf(*d, "abc"), ERangeSyntax);
    EXPECT_THROW(ItemRangeOf(*d, "1:2:3"), ERangeSyntax);
}

TEST_F(SegmentsTest, TheResponseToAChangeOfSegmentIsNoEffect) {
    // A heat flow whose level steps at each change of segment, with a settling tail, and one real
    // effect in the middle of the first heating.
    const TProgramRun program;
    TPhysicalRun r = program.Run();
    TGaussianRun effect;
    effect.centre = 300;
    effect.width = 10;
    effect.heat = 100;
    const double levels[] = {1.0, 0.0, -0.5, 2.0};  // mW in each segment, 0 before the run
    for (size_t i = 0; i < r.time.size(); ++i) {
        const double t = r.time[i];
        const size_t k = std::min<size_t>(
            3, std::upper_bound(program.knots.begin(), program.knots.end(), t) - program.knots.begin() - 1);
        const double before = k == 0 ? 0.0 : levels[k - 1];
        const double since = t - program.knots[k];
        r.signal[i] = levels[k] + (before - levels[k]) * std::exp(-since / 10) + effect.SignalAt(t) -
                      effect.base - effect.slope * t;
    }
    const auto d = Make(r);
    TPeakUtils(*d, *config, nullptr, nullptr).DetectPeaks(0, d->GetItemCount() - 1);
    ASSERT_EQ(d->peaks.GetItemCount(), 1);
    const auto* p = dynamic_cast<const TPeak*>(d->peaks.GetItemByIndex(0).value);
    EXPECT_NEAR(p->top / d->frequency, 300, 2);
}

}  // namespace
