// Base lines under Gaussian peaks of known area sitting on steps of the level.

#include <gtest/gtest.h>

#include <numeric>

#include "evaluation/BaseLines.h"
#include "evaluation/Conversion.h"
#include "evaluation/Models.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using namespace kalvero::test;

namespace {

// A Gaussian of height H and width σ (s) at c = 400 s on a level that steps from 1 to 1 + D mW.
constexpr double kH = 2, kSigma = 30, kC = 400, kD = 0.6;
const double kArea = kH * kSigma * std::sqrt(2 * M_PI);

TRecord PeakOnStep(const std::function<double(double)>& aStep, double aNoise = 0) {
    TRecord r = Ramp(12001, 0.1, 50, 10, [&](double t, double) {
        return 1 + kD * aStep((t - kC) / kSigma) + kH * Gaussian((t - kC) / kSigma);
    });
    if (aNoise > 0) AddNoise(r.y, aNoise);
    return r;
}

// Off-centre: 6 σ before the top, 14 σ after it, so a straight line does not average out.
TItemRange PeakRange(const TRecord& aRecord) {
    return {aRecord.ItemAt(kC - 6 * kSigma), aRecord.ItemAt(kC + 14 * kSigma)};
}

double AreaOver(const TRecord& aRecord, TItemRange aRange, const RBaseLine& aBase) {
    return EvaluatePeakHeat(aRecord.Curve(), aRange, aBase.values, NAN).area;
}

RBaseLine Compute(const TRecord& aRecord, TItemRange aRange, EBaseLine aType, size_t aMarginItems = 1) {
    TBaseLineOptions options;
    options.type = aType;
    options.marginItems = aMarginItems;
    return ComputeBaseLine(aRecord.Curve(), aRange, options);
}

}  // namespace

TEST(BaseLines, SigmoidalRecoversThePeakOnALogisticStep) {
    // The logistic of scale σ/1.702 is the usual stand-in for the normal distribution function,
    // the shape the sigmoidal base line takes under a Gaussian.
    const TRecord rec = PeakOnStep([](double x) { return Logistic(1.702 * x); }, 0.002);
    const TItemRange range = PeakRange(rec);
    const RBaseLine sigmoidal = Compute(rec, range, EBaseLine::Sigmoidal, 50);
    EXPECT_TRUE(sigmoidal.converged);
    EXPECT_GT(sigmoidal.iterations, 1);
    EXPECT_LT(sigmoidal.iterations, 30);
    EXPECT_NEAR(AreaOver(rec, range, sigmoidal), kArea, 0.01 * kArea);
    EXPECT_NEAR(sigmoidal.before.intercept, 1, 0.002);
    EXPECT_NEAR(sigmoidal.after.intercept, 1 + kD, 0.002);

    // The straight line between the margins cuts the step's corner: far more than 1 % off.
    const RBaseLine straight = Compute(rec, range, EBaseLine::Straight, 50);
    EXPECT_GT(std::abs(AreaOver(rec, range, straight) - kArea), 0.1 * kArea);
}

TEST(BaseLines, SigmoidalIsExactForAStepShapedLikeTheConversion) {
    // The level following the normal distribution function is the sigmoidal base line itself.
    const TRecord rec = PeakOnStep(NormalCdf);
    const TItemRange range = PeakRange(rec);
    const RBaseLine b = Compute(rec, range, EBaseLine::Sigmoidal);
    EXPECT_NEAR(AreaOver(rec, range, b), kArea, 1e-4 * kArea);
    double worst = 0;
    for (size_t i = range.from; i <= range.to; ++i)
        worst = std::max(worst,
                         std::abs(b.values[i - range.from] - (1 + kD * NormalCdf((rec.t[i] - kC) / kSigma))));
    EXPECT_LT(worst, 1e-4 * kH);
}

TEST(BaseLines, TangentialSigmoidalFollowsTheFittedLines) {
    // Sloped base lines before and after, joined by the conversion.
    const auto l1 = [](double t) { return 1 + 0.001 * t; };
    const auto l2 = [](double t) { return 2 - 0.0005 * t; };
    const TRecord rec = Ramp(12001, 0.1, 50, 10, [&](double t, double) {
        const double x = (t - kC) / kSigma;
        return l1(t) + NormalCdf(x) * (l2(t) - l1(t)) + kH * Gaussian(x);
    });
    // From 8 σ before the top, so the first tenth of the range is clear of the peak.
    const TItemRange range{rec.ItemAt(kC - 8 * kSigma), rec.ItemAt(kC + 14 * kSigma)};
    const RBaseLine b = Compute(rec, range, EBaseLine::TangentialSigmoidal);
    EXPECT_NEAR(b.before.slope, 0.001, 1e-6);
    EXPECT_NEAR(b.after.slope, -0.0005, 1e-6);
    EXPECT_NEAR(b.after.intercept, 2, 1e-4);
    EXPECT_NEAR(AreaOver(rec, range, b), kArea, 1e-4 * kArea);
    EXPECT_EQ(b.drawing.segments.size(), 2u);

    // Given stretches are used as they are.
    TBaseLineOptions options;
    options.type = EBaseLine::TangentialSigmoidal;
    options.before = TItemRange{range.from, range.from + 100};
    options.after = TItemRange{range.to - 100, range.to};
    const RBaseLine given = ComputeBaseLine(rec.Curve(), range, options);
    EXPECT_NEAR(given.before.slope, 0.001, 1e-6);
    options.after = TItemRange{range.to, range.to + 100};
    EXPECT_THROW(ComputeBaseLine(rec.Curve(), range, options), EEvaluationError);
}

TEST(BaseLines, PeaksDownAreHandledAlike) {
    TRecord rec = PeakOnStep(NormalCdf);
    for (double& v : rec.y)
        v = -v;
    const TItemRange range = PeakRange(rec);
    const RBaseLine b = Compute(rec, range, EBaseLine::Sigmoidal);
    EXPECT_NEAR(AreaOver(rec, range, b), -kArea, 1e-4 * kArea);
}

TEST(BaseLines, StraightAndHorizontalFromTheMargins) {
    const TRecord rec = PeakOnStep(NormalCdf, 0.01);
    const TItemRange range = PeakRange(rec);
    const size_t k = 25;
    const auto mean = [&](size_t aFrom) {
        return std::accumulate(rec.y.begin() + static_cast<std::ptrdiff_t>(aFrom),
                               rec.y.begin() + static_cast<std::ptrdiff_t>(aFrom + k), 0.0) /
               k;
    };
    const double left = mean(range.from), right = mean(range.to + 1 - k);
    const RBaseLine l = Compute(rec, range, EBaseLine::HorizontalLeft, k);
    const RBaseLine r = Compute(rec, range, EBaseLine::HorizontalRight, k);
    const RBaseLine s = Compute(rec, range, EBaseLine::Straight, k);
    ASSERT_EQ(s.values.size(), range.Count());
    EXPECT_EQ(s.iterations, 0);
    for (size_t j : {size_t{0}, range.Count() / 3, range.Count() - 1}) {
        EXPECT_NEAR(l.values[j], left, 1e-12);
        EXPECT_NEAR(r.values[j], right, 1e-12);
        const double f = (rec.t[range.from + j] - rec.t[range.from]) / (rec.t[range.to] - rec.t[range.from]);
        EXPECT_NEAR(s.values[j], left + f * (right - left), 1e-12);
    }
}

namespace {

// The plain fixed point at full resolution, written out as the definition says.
std::vector<double> PlainSigmoidal(const TRecord& aRecord, int aIterations) {
    const size_t n = aRecord.Size();
    const double yL = aRecord.y.front(), yR = aRecord.y.back();
    std::vector<double> b(n), area(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = yL + (yR - yL) * static_cast<double>(i) / static_cast<double>(n - 1);
    for (int it = 0; it < aIterations; ++it) {
        area[0] = 0;
        for (size_t i = 1; i < n; ++i)
            area[i] = area[i - 1] + 0.5 * ((aRecord.y[i - 1] - b[i - 1]) + (aRecord.y[i] - b[i])) *
                                        (aRecord.t[i] - aRecord.t[i - 1]);
        for (size_t i = 0; i < n; ++i)
            b[i] = yL + area[i] / area.back() * (yR - yL);
    }
    return b;
}

double WorstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

}  // namespace

TEST(BaseLines, LongRecordsMatchThePlainIteration) {
    // More items than the coarse stage has nodes. Broad peaks: the coarse α, straight between
    // the nodes, is the answer.
    const size_t n = 200001;
    const TRecord broad = Ramp(n, 0.01, 50, 10, [](double t, double) {
        const double x = (t - 800) / 60;
        return 1 + 0.5 * Logistic(1.702 * x) + 3 * Gaussian(x) + 0.8 * Gaussian((t - 1000) / 40);
    });
    const RBaseLine b1 = Compute(broad, broad.All(), EBaseLine::Sigmoidal);
    ASSERT_TRUE(b1.converged);
    EXPECT_LT(WorstDifference(b1.values, PlainSigmoidal(broad, 100)), 1e-5);

    // A peak a few nodes wide: straight lines between the nodes miss its bend, so the iteration
    // finishes at full resolution. (Its step is small: with a range so much wider than the peak
    // a larger step would make the sigmoidal base line itself ill-posed.)
    const size_t m = 300001;
    const TRecord narrow = Ramp(m, 0.01, 50, 10, [](double t, double) {
        const double x = (t - 1200) / 0.08;
        return 1 + 1e-4 * Logistic(1.702 * x) + 3 * Gaussian(x);
    });
    const RBaseLine b2 = Compute(narrow, narrow.All(), EBaseLine::Sigmoidal);
    ASSERT_TRUE(b2.converged);
    EXPECT_LT(WorstDifference(b2.values, PlainSigmoidal(narrow, 100)), 1e-5);
}

TEST(BaseLines, NoPeakNoSigmoidalBaseLine) {
    const TRecord rec = Ramp(1000, 0.1, 50, 10, [](double t, double) { return 1 + 0.001 * t; });
    EXPECT_THROW(Compute(rec, rec.All(), EBaseLine::Sigmoidal), EEvaluationError);
    EXPECT_NO_THROW(Compute(rec, rec.All(), EBaseLine::Straight));
    EXPECT_THROW(Compute(rec, {5, 6}, EBaseLine::Straight), EEvaluationError);
}
