#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "Isoconversional.h"
#include "support/KineticCurves.h"

using namespace kalvero::kinetics;
using namespace kalvero::test;

namespace {

constexpr double kEnergy = 150e3;  // J/mol
constexpr double kA = 1e12;        // 1/s
const std::vector<double> kRates{5, 10, 20, 40};

const RMethodEnergies& Method(const RKineticsResult& aResult, TKineticMethod aMethod) {
    const RMethodEnergies* m = FindMethod(aResult, aMethod);
    if (!m) throw std::logic_error("method not evaluated");
    return *m;
}

bool HasWarning(const RKineticsResult& aResult, const std::string& aPart) {
    for (const auto& w : aResult.warnings) {
        if (w.find(aPart) != std::string::npos) return true;
    }
    return false;
}

// Every level of 0.1 … 0.9 within aTolerance (relative) of aExpected (kJ/mol).
void ExpectEnergies(const RKineticsResult& aResult, TKineticMethod aMethod, double aExpected,
                    double aTolerance) {
    const RMethodEnergies& m = Method(aResult, aMethod);
    int checked = 0;
    for (const auto& e : m.levels) {
        if (e.conversion < 0.1 - 1e-9 || e.conversion > 0.9 + 1e-9) continue;
        EXPECT_NEAR(e.energy, aExpected, aExpected * aTolerance)
            << KineticMethodName(aMethod) << " at α = " << e.conversion;
        ++checked;
    }
    EXPECT_EQ(checked, 17) << KineticMethodName(aMethod);
    EXPECT_FALSE(m.multiStep) << KineticMethodName(aMethod);
}

void ExpectSingleStep(const RKineticsResult& aResult, double aKissingerTolerance) {
    ExpectEnergies(aResult, TKineticMethod::kmFriedman, 150, 0.01);
    ExpectEnergies(aResult, TKineticMethod::kmVyazovkin, 150, 0.01);
    ExpectEnergies(aResult, TKineticMethod::kmAdvancedVyazovkin, 150, 0.01);
    ExpectEnergies(aResult, TKineticMethod::kmStarink, 150, 0.01);
    ExpectEnergies(aResult, TKineticMethod::kmKissingerAkahiraSunose, 150, 0.015);
    ExpectEnergies(aResult, TKineticMethod::kmOzawaFlynnWall, 150, 0.02);
    EXPECT_NEAR(aResult.kissinger.activationEnergy, 150, 150 * aKissingerTolerance);
    EXPECT_GT(aResult.kissinger.r2, 0.9999);
    EXPECT_FALSE(HasWarning(aResult, "многостадийный"));
}

}  // namespace

TEST(Isoconversional, RecoverTheEnergyOfAFirstOrderReaction) {
    const auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, kRates, 300, 700);
    const RKineticsResult r = AnalyseKinetics(runs);
    ASSERT_EQ(r.conversions.size(), 19u);
    EXPECT_NEAR(r.conversions.front(), 0.05, 1e-12);
    EXPECT_NEAR(r.conversions.back(), 0.95, 1e-12);
    ASSERT_EQ(r.methods.size(), 6u);
    EXPECT_TRUE(r.warnings.empty());
    ExpectSingleStep(r, 0.005);
    // E698's A: exact for a first-order peak, to the peak temperature's last digits.
    EXPECT_NEAR(std::log(r.kissinger.preExponential), std::log(kA), 0.02);

    // Exact curves leave the straight lines nothing to scatter about: narrow intervals, R² = 1.
    for (const auto& m : r.methods) {
        for (const auto& e : m.levels) {
            EXPECT_LE(e.low, e.energy);
            EXPECT_GE(e.high, e.energy);
            EXPECT_LT(e.high - e.low, 0.5) << KineticMethodName(m.method) << " at α = " << e.conversion;
            if (!std::isnan(e.r2)) {
                EXPECT_GT(e.r2, 0.99999);
            }
        }
    }
}

TEST(Isoconversional, RecoverTheEnergyOfAnAvramiErofeevReaction) {
    // f(α) = 2(1 − α)[−ln(1 − α)]^½ starts at f(0) = 0: the integration starts just above.
    const auto runs = SimulateRuns({{1, kEnergy, kA, AvramiErofeev2, 1e-20}}, kRates, 300, 700);
    const RKineticsResult r = AnalyseKinetics(runs);
    // Kissinger's relation is exact for a first order only; for n = 2 the conversion at the peak
    // shifts a little with β (0.1 % here).
    ExpectSingleStep(r, 0.005);
}

// Two independent first-order steps of equal weight, 80 and 120 kJ/mol (A = 1e10 and 1e14 per
// minute): the low-energy step leads, so E(α) climbs from one to the other.
TEST(Isoconversional, FollowTwoParallelReactionsAndWarnOfAMultiStepProcess) {
    const std::vector<RReactionStep> steps{{0.5, 80e3, 1e10 / 60, FirstOrder},
                                           {0.5, 120e3, 1e14 / 60, FirstOrder}};
    const RKineticsResult r = AnalyseKinetics(SimulateRuns(steps, kRates, 250, 800));
    for (const auto& m : r.methods) {
        const std::string name = KineticMethodName(m.method);
        EXPECT_TRUE(m.multiStep) << name;
        EXPECT_NEAR(m.levels.front().energy, 81, 2) << name;
        EXPECT_NEAR(m.levels.back().energy, 120, 1.5) << name;
        for (const auto& e : m.levels) {
            EXPECT_GT(e.energy, 79) << name;
            EXPECT_LT(e.energy, 130) << name;
        }
    }
    // The integral methods average E over all that went before: they climb steadily.
    for (const auto& e : Method(r, TKineticMethod::kmVyazovkin).levels) {
        if (e.conversion > 0.05) {
            EXPECT_GT(e.energy, (&e - 1)->energy);
        }
    }
    EXPECT_TRUE(HasWarning(r, "более чем на 20 %"));
    EXPECT_TRUE(HasWarning(r, "Вязовкин (усовершенствованный)"));
}

// Scatter in the measured temperature (σ = 0.5 K): the F-test interval of the Vyazovkin method is
// the Student interval of the same least-squares problem, so it matches the KAS line's interval,
// and the intervals hold the true energy at most levels, Kissinger's too.
TEST(Isoconversional, GiveConfidenceIntervalsThatMatchTheScatter) {
    auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, {5, 8, 12, 20, 40}, 300, 700);
    ScatterTemperatures(runs, 0.5, 7);
    const RKineticsResult r = AnalyseKinetics(runs);
    const auto& kas = Method(r, TKineticMethod::kmKissingerAkahiraSunose).levels;
    const auto& vyazovkin = Method(r, TKineticMethod::kmVyazovkin).levels;
    int holding = 0;
    for (size_t k = 0; k < kas.size(); ++k) {
        const double kasWidth = kas[k].high - kas[k].low, width = vyazovkin[k].high - vyazovkin[k].low;
        EXPECT_GT(kasWidth, 0.5) << "α = " << kas[k].conversion;
        EXPECT_NEAR(width / kasWidth, 1, 0.1) << "α = " << kas[k].conversion;
        if (vyazovkin[k].low <= 150 && 150 <= vyazovkin[k].high) ++holding;
    }
    EXPECT_GE(holding, 15);
    EXPECT_GT(r.kissinger.halfWidth, 0.5);
    EXPECT_LT(std::fabs(r.kissinger.activationEnergy - 150), r.kissinger.halfWidth);
}

TEST(Isoconversional, TakeTheCallersPeakTemperatures) {
    auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, kRates, 300, 700);
    // The first-order peak: E·β / (R·Tp²) = A·exp(−E / (R·Tp)), solved by bisection.
    for (auto& run : runs) {
        double lo = 300, hi = 700;
        for (int i = 0; i < 100; ++i) {
            const double tp = 0.5 * (lo + hi);
            const double excess = kEnergy * run.heatingRate / 60 / (GAS_CONSTANT * tp * tp) -
                                  kA * std::exp(-kEnergy / (GAS_CONSTANT * tp));
            (excess > 0 ? lo : hi) = tp;
        }
        run.peakTemperature = 0.5 * (lo + hi);
    }
    const RKineticsResult r = AnalyseKinetics(runs);
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(r.peakTemperatures[i], runs[i].peakTemperature);
    EXPECT_NEAR(r.kissinger.activationEnergy, 150, 1e-6);
    EXPECT_NEAR(r.kissinger.preExponential / kA, 1, 1e-6);
    // Left to find them, it reads the top of dα/dt to hundredths of a kelvin, and to a few tenths
    // under a scatter of 1 % of the top on every sample of the rate.
    std::mt19937 random(11);
    for (auto& run : runs) {
        const double given = run.peakTemperature;
        run.peakTemperature = 0;
        EXPECT_NEAR(PeakTemperature(run), given, 0.02);
        const double top = *std::max_element(run.rate.begin(), run.rate.end());
        std::normal_distribution<double> noise(0, 0.01 * top);
        for (double& rate : run.rate)
            rate += noise(random);
        EXPECT_NEAR(PeakTemperature(run), given, 0.3);
    }
    EXPECT_NEAR(AnalyseKinetics(runs).kissinger.activationEnergy, 150, 3);
}

TEST(Isoconversional, KeepToTheConversionsAllRunsReach) {
    auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, kRates, 300, 700);
    // One run cut short at α ≈ 0.8, one starting at α ≈ 0.12 (a peak cut at its start).
    auto& shortRun = runs[1];
    size_t end = 0;
    while (shortRun.conversion[end] < 0.8)
        ++end;
    for (auto* v : {&shortRun.time, &shortRun.temperature, &shortRun.conversion, &shortRun.rate})
        v->resize(end);
    auto& lateRun = runs[2];
    size_t begin = 0;
    while (lateRun.conversion[begin] < 0.12)
        ++begin;
    for (auto* v : {&lateRun.time, &lateRun.temperature, &lateRun.conversion, &lateRun.rate})
        v->erase(v->begin(), v->begin() + static_cast<std::ptrdiff_t>(begin));

    const RKineticsResult r = AnalyseKinetics(runs);
    ASSERT_EQ(r.conversions.size(), 13u);  // 0.15 … 0.75
    EXPECT_NEAR(r.conversions.front(), 0.15, 1e-12);
    EXPECT_NEAR(r.conversions.back(), 0.75, 1e-12);
    EXPECT_TRUE(HasWarning(r, "Степени превращения 0.05, 0.10, 0.80, 0.85, 0.90, 0.95 лежат вне"));
    // The advanced method's first stretch starts, in every run, at the conversion where the late
    // run's data start: its E stays right.
    for (const auto& e : Method(r, TKineticMethod::kmAdvancedVyazovkin).levels)
        EXPECT_NEAR(e.energy, 150, 1.5) << "α = " << e.conversion;
}

TEST(Isoconversional, DrawTheIsoconversionalLines) {
    const auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, kRates, 300, 700);
    const RKineticsResult r = AnalyseKinetics(runs);
    const RActivationEnergy& e = Method(r, TKineticMethod::kmKissingerAkahiraSunose).levels[9];  // α = 0.5
    ASSERT_EQ(e.x.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const double T = r.points[9][i].temperature;
        EXPECT_DOUBLE_EQ(e.x[i], 1 / T);
        EXPECT_NEAR(e.y[i], std::log(kRates[i] / (T * T)), 1e-12);
        EXPECT_NEAR(e.slope * e.x[i] + e.intercept, e.y[i], 1e-4);
    }
    EXPECT_NEAR(-e.slope * GAS_CONSTANT / 1000, e.energy, 1e-9);
    // Faster heating reaches α = 0.5 hotter.
    for (size_t i = 1; i < 4; ++i)
        EXPECT_GT(r.points[9][i].temperature, r.points[9][i - 1].temperature);
    EXPECT_TRUE(Method(r, TKineticMethod::kmVyazovkin).levels[9].x.empty());
}

TEST(Isoconversional, WarnOfTooFewHeatingRatesAndRefuseWhatCannotBeEvaluated) {
    auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, {5, 20}, 300, 700);
    const RKineticsResult two = AnalyseKinetics(runs);
    EXPECT_TRUE(HasWarning(two, "не менее трёх"));
    // Two points: E exact, no scatter to judge an interval by.
    ExpectEnergies(two, TKineticMethod::kmVyazovkin, 150, 0.01);
    EXPECT_TRUE(std::isnan(Method(two, TKineticMethod::kmFriedman).levels[5].low));
    EXPECT_TRUE(std::isnan(two.kissinger.halfWidth));

    // A rate that is not positive leaves Friedman's level out, with a warning.
    runs.push_back(SimulateRun({{1, kEnergy, kA, FirstOrder}}, 10, 300, 700));
    for (double& rate : runs[0].rate)
        rate = runs[0].conversion[&rate - runs[0].rate.data()] > 0.6 ? 0 : rate;
    const RKineticsResult three = AnalyseKinetics(runs);
    EXPECT_FALSE(HasWarning(three, "не менее трёх"));
    EXPECT_TRUE(std::isnan(Method(three, TKineticMethod::kmFriedman).levels.back().energy));
    EXPECT_FALSE(std::isnan(Method(three, TKineticMethod::kmVyazovkin).levels.back().energy));
    EXPECT_TRUE(HasWarning(three, "Фридман: энергия активации не рассчитана при степенях превращения 0.65"));

    EXPECT_THROW(AnalyseKinetics({runs[0]}), EKineticsException);
    EXPECT_THROW(AnalyseKinetics({runs[0], runs[0]}), EKineticsException);
    runs[1].rate.pop_back();
    EXPECT_THROW(AnalyseKinetics(runs), EKineticsException);
}
