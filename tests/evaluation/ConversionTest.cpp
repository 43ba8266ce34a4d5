// The running integral of a Gaussian: its conversion is the normal distribution function.

#include <gtest/gtest.h>

#include "evaluation/Conversion.h"
#include "evaluation/Models.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using namespace kalvero::test;

namespace {

constexpr double kC = 500, kSigma = 25, kH = 4;

TRecord GaussianPeak(double aSign = 1) {
    return Ramp(10001, 0.1, 25, 5,
                [aSign](double t, double) { return 0.5 + aSign * kH * Gaussian((t - kC) / kSigma); });
}

std::vector<double> Level(TItemRange aRange, double aValue) {
    return std::vector<double>(aRange.Count(), aValue);
}

}  // namespace

TEST(Conversion, GaussianConvertsAsTheNormalDistribution) {
    const TRecord rec = GaussianPeak();
    const TItemRange range{rec.ItemAt(kC - 8 * kSigma), rec.ItemAt(kC + 8 * kSigma)};
    const RConversion c = ComputeConversion(rec.Curve(), range, Level(range, 0.5));
    ASSERT_EQ(c.alpha.size(), range.Count());
    const double area = kH * kSigma * std::sqrt(2 * M_PI);
    EXPECT_NEAR(c.area, area, 1e-6 * area);
    double worstAlpha = 0, worstRate = 0;
    for (size_t k = 0; k < c.alpha.size(); ++k) {
        const double x = (c.time[k] - kC) / kSigma;
        worstAlpha = std::max(worstAlpha, std::abs(c.alpha[k] - NormalCdf(x)));
        worstRate = std::max(worstRate, std::abs(c.rate[k] - Gaussian(x) / (kSigma * std::sqrt(2 * M_PI))));
    }
    EXPECT_LT(worstAlpha, 1e-5);
    EXPECT_LT(worstRate, 1e-9);
    EXPECT_DOUBLE_EQ(c.alpha.front(), 0);
    EXPECT_DOUBLE_EQ(c.alpha.back(), 1);
    EXPECT_TRUE(c.warnings.empty());

    // α(T): the same conversion against the ramp's temperature, 5 K/min from 25 °C.
    const auto pairs = c.AlphaByTemperature();
    const size_t mid = rec.ItemAt(kC) - range.from;
    EXPECT_NEAR(pairs[mid].first, 25 + 5.0 / 60 * kC, 1e-9);
    EXPECT_NEAR(pairs[mid].second, 0.5, 1e-5);
}

TEST(Conversion, PeakDownConvertsAlike) {
    const TRecord rec = GaussianPeak(-1);
    const TItemRange range{rec.ItemAt(kC - 8 * kSigma), rec.ItemAt(kC + 8 * kSigma)};
    const RConversion c = ComputeConversion(rec.Curve(), range, Level(range, 0.5));
    EXPECT_LT(c.area, 0);
    EXPECT_NEAR(c.alpha[rec.ItemAt(kC - kSigma) - range.from], NormalCdf(-1), 1e-5);
    EXPECT_GT(c.rate[rec.ItemAt(kC) - range.from], 0);
}

TEST(Conversion, CrossingTheBaseLineIsReported) {
    const TRecord rec = GaussianPeak();
    const TItemRange range{rec.ItemAt(kC - 8 * kSigma), rec.ItemAt(kC + 8 * kSigma)};
    // A base line through the middle of the peak leaves negative area on both sides.
    const RConversion c = ComputeConversion(rec.Curve(), range, Level(range, 0.5 + 0.8 * kH));
    EXPECT_FALSE(c.warnings.empty());
    // A base line on the curve itself leaves no area.
    const std::vector<double> onTheCurve(rec.y.begin() + static_cast<std::ptrdiff_t>(range.from),
                                         rec.y.begin() + static_cast<std::ptrdiff_t>(range.to) + 1);
    EXPECT_THROW(ComputeConversion(rec.Curve(), range, onTheCurve), EEvaluationError);
}

TEST(PeakHeat, AreaOverTheMass) {
    const TRecord rec = GaussianPeak(-1);
    const TItemRange range{rec.ItemAt(kC - 8 * kSigma), rec.ItemAt(kC + 8 * kSigma)};
    // 4 mW × 25 s × √(2π) = 250.66 mJ; over 5 mg, 50.13 J/g (ASTM E793's heat of the transition).
    const RPeakHeat h = EvaluatePeakHeat(rec.Curve(), range, Level(range, 0.5), 5);
    const double area = kH * kSigma * std::sqrt(2 * M_PI);
    EXPECT_EQ(h.direction, -1);
    EXPECT_NEAR(h.area, -area, 1e-6 * area);
    EXPECT_NEAR(h.specificHeat, area / 5, 1e-6 * area);
    EXPECT_TRUE(std::isnan(EvaluatePeakHeat(rec.Curve(), range, Level(range, 0.5), 0).specificHeat));
}
