#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "common/MathProcs.h"
#include "processing/Bubble.h"
#include "processing/MathUtils.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

constexpr double kPi = 3.14159265358979323846;

class Detection : public ::testing::Test {
protected:
    TTestConfig config;
    std::unique_ptr<TDataClass> d;

    // aCount items at aFrequency of f(i) on channel 0.
    template <typename F>
    void Record(int aCount, float aFrequency, F f) {
        config->frequency = aFrequency;
        config->endTime = 1;
        d = std::make_unique<TDataClass>();
        d->SetItemsLength(aCount, true);
        for (int i = 0; i < aCount; ++i) {
            d->items[i][0].dt = static_cast<int32_t>(f(i));
            d->items[i][0].t = 1000 + i / 10;
        }
        d->FillTempValues();
        d->mode = vm_view_dT_by_time;
    }

    TPeakUtils Utils() { return TPeakUtils(*d, *config, nullptr, nullptr); }

    std::vector<TPeak*> Peaks() const {
        std::vector<TPeak*> peaks;
        for (int k = 0; k < d->peaks.GetItemCount(); ++k)
            peaks.push_back(dynamic_cast<TPeak*>(d->peaks.GetItemByIndex(k).value));
        return peaks;
    }
};

// A Gaussian on a linear base line, with noise. The margins are set where the curve is back
// within two counts of the computed base line, which the noise of the derivative puts a few
// counts up the tails: the area loses about 6 counts × the width, 0.5 % of this peak.
struct RGaussianCurve {
    double centre = 3000, sigma = 100, height = 3000, base = 2000, slope = 0.01;
    int noise = 2;
    std::mt19937 random{11};

    double Area() const { return height * sigma * std::sqrt(2 * kPi); }
    int32_t operator()(int i) {
        std::uniform_int_distribution<int> n(-noise, noise);
        const double g = height * std::exp(-0.5 * std::pow((i - centre) / sigma, 2));
        return static_cast<int32_t>(std::lround(base + slope * i + g)) + n(random);
    }
};

}  // namespace

TEST_F(Detection, FindsTheGaussianWithItsAreaAndOnset) {
    RGaussianCurve curve;
    Record(6000, 10, std::ref(curve));
    auto utils = Utils();
    utils.DetectPeaks(0, d->GetItemCount() - 1);
    const auto peaks = Peaks();
    ASSERT_EQ(peaks.size(), 1u);
    const TPeak& p = *peaks[0];
    EXPECT_LT(p.begX, curve.centre - 3 * curve.sigma);
    EXPECT_GT(p.endX, curve.centre + 3 * curve.sigma);
    EXPECT_NEAR(p.top, curve.centre, 10);
    EXPECT_EQ(p.state, PEAK_STATE_UP);
    EXPECT_NEAR(static_cast<double>(p.GetSummaryArea()), curve.Area(), 0.01 * curve.Area());

    // The tangent touches the curve at the steepest point of the rise (the inflection at
    // centre − σ) and meets the base line where a Gaussian's inflection tangent does, at
    // centre − 2σ.
    ASSERT_EQ(p.cutLines.size(), 5u);
    const TCutLine& tangent = p.cutLines[PEAK_LINE_TANGENT];
    EXPECT_FALSE(tangent.invalid);
    EXPECT_NEAR(tangent.points[1].x, curve.centre - curve.sigma, 0.1 * curve.sigma);
    EXPECT_EQ(tangent.points[1].y, d->items[tangent.points[1].x][0].dt);
    EXPECT_NEAR(tangent.points[0].x, curve.centre - 2 * curve.sigma, 0.1 * curve.sigma);
    EXPECT_NEAR(tangent.points[0].y, p.GetBaseLineCrossingYCoord(tangent.points[0].x), 1);
    // The marker goes to the left margin (the default areaBeginCalcType).
    ASSERT_EQ(d->bubbles.GetItemCount(), 1);
    EXPECT_EQ(dynamic_cast<TBubble*>(d->bubbles.GetItemByIndex(0).value)->fTime, p.begX);
}

TEST_F(Detection, PeakEndsJustAfterTheCurveMeetsTheBaseLine) {
    RGaussianCurve curve;
    Record(6000, 10, std::ref(curve));
    Utils().DetectPeaks(0, 5999);
    const auto peaks = Peaks();
    ASSERT_EQ(peaks.size(), 1u);
    const TItem* w = d->workItems[peaks[0]->endX - 1];
    EXPECT_EQ(w[WORKCHANNEL_BASE_CURVE].dt, w[WORKCHANNEL_BASE_LINE].dt);
}

TEST_F(Detection, DownwardPeakAndTwoPeaksInARange) {
    RGaussianCurve first, second;
    first.height = -2500;
    second.centre = 7000;
    Record(10000, 10, [&](int i) { return first(i) + second(i) - static_cast<int32_t>(second.base); });
    Utils().DetectPeaks(0, 9999);
    const auto peaks = Peaks();
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_EQ(peaks[0]->state, PEAK_STATE_DOWN);
    EXPECT_NEAR(static_cast<double>(peaks[0]->GetSummaryArea()), std::fabs(first.Area()),
                0.01 * std::fabs(first.Area()));
    EXPECT_EQ(peaks[1]->state, PEAK_STATE_UP);
    EXPECT_NE(d->peaks.GetItemByIndex(0).key, d->peaks.GetItemByIndex(1).key);
    EXPECT_EQ(d->peaks.GetItemByIndex(0).key.rfind("peak", 0), 0u);

    // A range over the second peak only.
    d->ClearObjects();
    Utils().DetectPeaks(5000, 9999);
    ASSERT_EQ(Peaks().size(), 1u);
    EXPECT_NEAR(Peaks()[0]->top, 7000, 10);
}

TEST_F(Detection, FlatAndTinyRecordsGiveNoPeaks) {
    Record(5000, 10, [](int) { return 2048; });
    Utils().DetectPeaks(0, 4999);
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    for (int count : {0, 1, 2, 5, 50}) {
        std::mt19937 random(count);
        Record(count, 10, [&](int i) { return 1000 + 900 * (i % 2) + static_cast<int>(random() % 7); });
        EXPECT_NO_THROW(Utils().DetectPeaks(0, count - 1)) << count;
        EXPECT_NO_THROW(Utils().DetectPeaks(-100, 100000)) << count;
        EXPECT_NO_THROW(Utils().AddPeakManually(0, count - 1)) << count;
        EXPECT_EQ(d->peaks.GetItemCount(), count >= 2 ? 1 : 0) << count;  // only the manual one
    }
}

TEST_F(Detection, PreparedChannelsAreTheChainOfTheNumericRoutines) {
    // 100 items per second: the Bézier pass has 100 control points 10 items apart.
    RGaussianCurve curve;
    curve.centre = 10000, curve.sigma = 800, curve.noise = 20;
    Record(20000, 100, std::ref(curve));
    const int from = 8000, to = 12000;
    Utils().PrepareDerivatives(from, to, nullptr);

    TItemArray ref(WORKCHANNELS_COUNT);
    ref.ResizeItems(d->items.ItemCount());
    for (size_t i = 0; i < ref.ItemCount(); ++i)
        ref[i][0] = d->items[i][0];
    for (int i = 0; i < 100; ++i)
        ref[i][0].dt = ref[100][0].dt;  // the first second flattened
    const int lo = from - 5000, hi = to + 5000;
    AverageSmooth(ref, 0, lo, hi, 100, 10, 10, false);
    for (int k = lo; k <= hi; ++k)
        ref[k][1].dt = static_cast<int32_t>(Round(static_cast<double>(Derivat(ref, 0, k, 20, false))));
    AverageSmooth(ref, 1, lo, hi, 100, 10, 10, false);
    BezieSmooth(ref, 1, lo, hi, false, 100, 10);
    for (int k = lo; k <= hi; ++k)
        ref[k][2].dt = static_cast<int32_t>(Round(static_cast<double>(Derivat(ref, 1, k, 20, false))));
    AverageSmooth(ref, 2, lo, hi, 100, 10, 10, false);
    for (int w = 0; w < 3; ++w) {
        for (size_t i = 0; i < ref.ItemCount(); ++i)
            ASSERT_EQ(d->workItems[i][w].dt, ref[i][w].dt) << w << " " << i;
    }
    EXPECT_EQ(d->workItems[5][0].t, d->items[5][0].t);  // the whole sample was copied
}

// A peak marked by hand prepares only the stretch around it, to the same values the whole record's
// preparation gives there: in the middle, against the settling second at the start, and against a
// run stopped early (zeros at the end), at rates whose smoothing windows differ.
TEST_F(Detection, AManualPeakPreparesItsOwnStretchToTheValuesOfTheWholeRecord) {
    struct RCase {
        float frequency;
        int count, from, to, zerosFrom;
    };
    for (const RCase& c : {RCase{100, 20000, 8000, 12000, 20000}, RCase{100, 20000, 30, 900, 20000},
                           RCase{111, 30000, 27000, 29500, 29000}, RCase{7, 3000, 1000, 1400, 3000}}) {
        RGaussianCurve curve;
        curve.centre = (c.from + c.to) / 2.0, curve.sigma = (c.to - c.from) / 8.0, curve.noise = 20;
        Record(c.count, c.frequency, [&](int i) { return i >= c.zerosFrom ? 0 : curve(i); });
        // Both start from the same leftovers in the work channels, which the smoothing reads
        // beyond its range.
        const auto leftovers = [&] {
            for (size_t i = 0; i < d->workItems.ItemCount(); ++i)
                for (int w = 0; w < WORKCHANNELS_COUNT; ++w)
                    d->workItems[i][w] = TItem{-7, static_cast<int32_t>(i % 13)};
        };
        leftovers();
        Utils().PrepareDerivatives(c.from, c.to, nullptr);
        const TItemArray whole = d->workItems;
        leftovers();
        Utils().PrepareAround(c.from, c.to, nullptr);
        const int lo = std::max(0, c.from - static_cast<int>(50 * c.frequency));
        const int hi = std::min(c.count - 1, c.to + static_cast<int>(50 * c.frequency));
        int untouched = 0;
        for (int i = 0; i < c.count; ++i) {
            if (d->workItems[i][WORKCHANNEL_BASE_CURVE].t == -7) {
                ASSERT_TRUE(i < lo || i > hi) << c.frequency << " " << i;
                ++untouched;
                continue;
            }
            for (int w = 0; w < 3; ++w)
                ASSERT_EQ(d->workItems[i][w].dt, whole[i][w].dt) << c.frequency << " " << w << " " << i;
        }
        // Only a stretch was written, unless the peak's neighbourhood is the whole record.
        EXPECT_EQ(untouched > 0, lo > 1000 || hi < c.count - 1000) << c.frequency;

        // The peak is the one built on the whole record's preparation.
        TPeak* byHand = Utils().AddPeakManually(c.from, c.to);
        Utils().PrepareDerivatives(c.from, c.to, nullptr);
        TPeak* onWhole = Utils().AddPeak(c.from, c.to, false);
        ASSERT_TRUE(byHand && onWhole);
        ASSERT_EQ(byHand->cutLines.size(), onWhole->cutLines.size());
        for (size_t k = 0; k < byHand->cutLines.size(); ++k)
            for (size_t j = 0; j < 2; ++j) {
                EXPECT_EQ(byHand->cutLines[k].points[j].x, onWhole->cutLines[k].points[j].x) << k;
                EXPECT_EQ(byHand->cutLines[k].points[j].y, onWhole->cutLines[k].points[j].y) << k;
            }
    }
}

TEST_F(Detection, TangentFallbacksAndMarkerPlaces) {
    // An abrupt rise at 100 that decays slowly: the chord around the steepest point meets the
    // base line left of the margin, so the foot goes to the base line's first point.
    Record(1000, 10, [](int i) {
        if (i <= 100) return 0.0;
        if (i <= 200) return 1000 * (1 - std::exp(-(i - 100) / 20.0));
        return 1000 * (1 - std::exp(-5.0)) * std::exp(-(i - 200) / 30.0);
    });
    TPeak* p = Utils().AddPeakManually(100, 400);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cutLines.size(), 5u);
    EXPECT_TRUE(p->cutLines.back().invalid);
    EXPECT_EQ(p->cutLines.back().points[0].x, p->cutLines[PEAK_LINE_BASE].points[0].x);
    EXPECT_EQ(p->cutLines.back().points[0].y, p->cutLines[PEAK_LINE_BASE].points[0].y);

    // No prepared derivative (all zero): no tangent line, the marker is placed all the same,
    // half way from the onset of the mid-rise chord to the top.
    d->ClearObjects();
    d->ClearWorkChannel(WORKCHANNEL_FIRST_DERIVATIVE);
    config->areaBeginCalcType = 2;
    p = Utils().AddPeak(90, 400, false);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->cutLines.size(), 4u);
    ASSERT_EQ(d->bubbles.GetItemCount(), 1);
    const int bubble = dynamic_cast<TBubble*>(d->bubbles.GetItemByIndex(0).value)->fTime;
    EXPECT_GT(bubble, 90);
    EXPECT_LT(bubble, p->top);

    // A rise of fewer than 20 items from the margin: the chord still spans two points, so the
    // onset is a real crossing and never (0, 0).
    Record(300, 10, [](int i) {
        return i >= 150 && i <= 154 ? 500 * (i - 149) : (i > 154 ? std::max(0, 2500 - 100 * (i - 154)) : 0);
    });
    config->areaBeginCalcType = 1;
    p = Utils().AddPeakManually(146, 299);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cutLines.size(), 5u);
    EXPECT_FALSE(p->cutLines.back().invalid);
    EXPECT_NEAR(p->cutLines.back().points[0].x, 149, 2);
    EXPECT_EQ(dynamic_cast<TBubble*>(d->bubbles.GetItemByIndex(0).value)->fTime,
              p->cutLines.back().points[0].x);
}

TEST_F(Detection, TouchTangentAndUnknownType) {
    RGaussianCurve curve;
    curve.noise = 0;
    Record(6000, 10, std::ref(curve));
    config->tangentDetectType = TANGENT_DETECT_TYPE_TOUCH;
    TPeak* p = Utils().AddPeakManually(2500, 3500);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->cutLines.size(), 5u);
    // The tangent runs from the top down to where the probe line first met the curve.
    EXPECT_LT(p->cutLines.back().points[1].x, p->top);
    EXPECT_GE(p->cutLines.back().points[1].x, 2500);

    config->tangentDetectType = 7;
    p = Utils().AddPeakManually(2500, 3500);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->cutLines.size(), 4u);
}

TEST_F(Detection, ScanHelpers) {
    Record(100, 10, [](int i) { return i < 20 ? 0 : (i < 40 ? 30 : (i < 45 ? 0 : (i < 60 ? -30 : 0))); });
    auto utils = Utils();
    int high = 0, low = 0, result = 0;
    bool positive = false;
    EXPECT_THROW(
        utils.IterateToBeginOfGreaterThan(0, 99, 20, 10, tsUnspecified, d->items, 0, high, low, positive),
        EPeakUtilsException);
    ASSERT_TRUE(
        utils.IterateToBeginOfGreaterThan(0, 99, 1, 15, tsUnspecified, d->items, 0, high, low, positive));
    EXPECT_EQ(high, 20);
    EXPECT_EQ(low, 19);
    EXPECT_TRUE(positive);
    ASSERT_TRUE(utils.IterateToBeginOfGreaterThan(20, 99, 1, 15, tsFalse, d->items, 0, high, low, positive));
    EXPECT_EQ(high, 45);
    EXPECT_EQ(low, 44);
    EXPECT_FALSE(positive);
    // The walk back from 46 leaves the range before it finds a quiet item.
    EXPECT_FALSE(utils.IterateToBeginOfGreaterThan(46, 99, 1, 15, tsFalse, d->items, 0, high, low, positive));
    ASSERT_TRUE(utils.IterateToBeginOfLessThan(20, 99, 1, d->items, 0, result));
    EXPECT_EQ(result, 40);
    // A quiet run longer than one second (10 items).
    ASSERT_TRUE(utils.FindSegmentByLessThan(0, 99, 1.0f, 1, d->items, 0, result));
    EXPECT_EQ(result, 11);
    EXPECT_FALSE(utils.FindSegmentByLessThan(60, 70, 1.0f, 1, d->items, 0, result));  // reaches the end first
    EXPECT_FALSE(utils.FindSegmentByLessThan(0, 99, 1.0f, 0, d->items, 0, result));
    ASSERT_TRUE(utils.IterateToMaxValueWithPolarity(0, 99, false, d->items, 0, result));
    EXPECT_EQ(result, 20);  // the first of the largest non-negative values
    ASSERT_TRUE(utils.IterateToMaxValueWithPolarity(0, 99, true, d->items, 0, result));
    EXPECT_EQ(result, 45);
    EXPECT_FALSE(utils.IterateToMaxValueWithPolarity(0, 19, true, d->items, 0, result));
}

TEST_F(Detection, CalcPeaksFollowsTheCurve) {
    RGaussianCurve curve;
    Record(6000, 10, std::ref(curve));
    auto utils = Utils();
    TPeak* p = utils.AddPeakManually(2500, 3500);
    ASSERT_NE(p, nullptr);
    const long double before = p->GetSummaryArea();
    for (int i = 2900; i < 3100; ++i)
        d->items[i][0].dt += 100;
    utils.CalcPeaks();
    EXPECT_NEAR(static_cast<double>(p->GetSummaryArea() - before), 200 * 100, 1);
}

TEST_F(Detection, DebugModeShowsTheWorkChannels) {
    RGaussianCurve curve;
    Record(6000, 10, std::ref(curve));
    config->debugMode = true;
    for (int run = 0; run < 2; ++run)
        Utils().DetectPeaks(0, 5999);  // the second run replaces the channels
    ASSERT_EQ(d->GetChannelCount(), 5);
    EXPECT_EQ(d->descriptors[1].name, "Исходная кривая");
    EXPECT_EQ(d->descriptors[4].name, "Расчётная базовая линия");
    EXPECT_EQ(d->descriptors[4].channelType, CHANNEL_TYPE_TEMPORARY);
    for (int i = 0; i < 6000; i += 97) {
        ASSERT_EQ(d->items[i][2].dt, d->workItems[i][WORKCHANNEL_FIRST_DERIVATIVE].dt);
        ASSERT_EQ(d->items[i][4].dt, d->workItems[i][WORKCHANNEL_BASE_LINE].dt);
        ASSERT_EQ(d->items[i][4].dtc, static_cast<float>(d->items[i][4].dt));  // calibrated (identity)
    }
    EXPECT_EQ(d->peaks.GetItemCount(), 2);  // one per run: detection adds, it does not clear
}

TEST_F(Detection, BaseLineBridgesTheEffect) {
    RGaussianCurve curve;
    Record(6000, 10, std::ref(curve));
    auto utils = Utils();
    ASSERT_TRUE(utils.DetectBaseLine(0, 5999, nullptr));
    std::vector<int32_t> line(6000);
    for (int i = 0; i < 6000; ++i)
        line[i] = d->workItems[i][WORKCHANNEL_BASE_LINE].dt;
    // At 10 items per second the base line's Bézier pass has 10 points and keeps it as laid: the
    // work-channel version of the chords gives the same line.
    ASSERT_TRUE(utils.FillBaseLine(0, 5999, config->detectBaseLineLimit));
    for (int i = 0; i < 6000; ++i)
        ASSERT_EQ(d->workItems[i][WORKCHANNEL_BASE_LINE].dt, line[i]) << i;
    // Outside the effect the base line is the smoothed curve; across it a chord well below the top.
    EXPECT_EQ(line[1000], d->workItems[1000][WORKCHANNEL_BASE_CURVE].dt);
    EXPECT_NEAR(line[3000], curve.base + curve.slope * 3000, 15);
    EXPECT_FALSE(utils.FillBaseLine(10, 5, 15));
}

TEST_F(Detection, LowLimitOfZeroFindsNothingAtOnce) {
    RGaussianCurve curve;
    Record(200000, 10, std::ref(curve));
    config->detectPeakLowLimit = 0;
    Utils().DetectPeaks(0, 199999);  // would walk back to item 0 from every item of the peak
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    config->detectPeakLowLimit = 2;
    Utils().DetectPeaks(0, 199999);
    EXPECT_EQ(d->peaks.GetItemCount(), 1);
}

TEST_F(Detection, QuietLevelFollowsTheLimitOnASlopingBaseLine) {
    // A 24-bit record at 25 Hz: a base line rising 0.12 counts an item (about 5 units of the
    // derivative, never within one count of quiet) with 16 counts of noise, and a broad peak.
    RGaussianCurve curve;
    curve.centre = 15000, curve.sigma = 1500, curve.height = 50000, curve.base = 0, curve.slope = 0.12;
    curve.noise = 16;
    Record(30000, 25, std::ref(curve));
    config->detectPeakHighLimit = 1000;
    config->detectPeakLowLimit = 100;
    config->detectBaseLineLimit = 15;
    EXPECT_DOUBLE_EQ(TPeakUtils::QuietLevel(15), 1.0);  // the usual limit: quiet within one count
    Utils().DetectPeaks(0, 29999);
    EXPECT_EQ(d->peaks.GetItemCount(), 0);
    // A ten times higher limit lets the base line be quiet within ten units.
    config->detectBaseLineLimit = 150;
    Utils().DetectPeaks(0, 29999);
    const auto peaks = Peaks();
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0]->top, curve.centre, 100);
    EXPECT_LT(peaks[0]->begX, curve.centre - 2 * curve.sigma);
    EXPECT_GT(peaks[0]->endX, curve.centre + 2 * curve.sigma);
}

TEST_F(Detection, StepOfTheBaseLineIsNoRiseOfTheNextEffect) {
    // The heater switched on at item 500 (the base line climbs 3000 counts within seconds and
    // stays), then an exotherm at item 4000: the climb must not be paired with the exotherm's
    // falling flank into one effect from 500 on.
    RGaussianCurve curve;
    curve.centre = 4000, curve.height = -2500, curve.slope = 0;
    Record(6000, 10,
           [&](int i) { return curve(i) + (i < 500 ? 0 : 3000 * (1 - std::exp(-(i - 500) / 30.0))); });
    Utils().DetectPeaks(0, 5999);
    const auto peaks = Peaks();
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_EQ(peaks[0]->state, PEAK_STATE_DOWN);
    EXPECT_NEAR(peaks[0]->top, curve.centre, 10);
    EXPECT_GT(peaks[0]->begX, 3000);
    EXPECT_NEAR(static_cast<double>(peaks[0]->GetSummaryArea()), -curve.Area(), 0.02 * -curve.Area());
}
