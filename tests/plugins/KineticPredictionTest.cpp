#include <gtest/gtest.h>

#include <cmath>

#include "Prediction.h"
#include "support/KineticCurves.h"

using namespace kalvero::kinetics;
using namespace kalvero::test;

namespace {

constexpr double kEnergy = 150e3;  // J/mol
constexpr double kA = 1e12;        // 1/s
constexpr double kHold = 420;      // K, below every run's reaction
const std::vector<double> kRates{5, 10, 20, 40};

double RateConstant(double aTemperature) {
    return kA * std::exp(-kEnergy / (GAS_CONSTANT * aTemperature));
}

const RMethodEnergies& Method(const RKineticsResult& aResult, TKineticMethod aMethod) {
    const RMethodEnergies* m = FindMethod(aResult, aMethod);
    if (!m) throw std::logic_error("method not evaluated");
    return *m;
}

}  // namespace

// Isothermally g(α) = k(T0)·t: t½ = ln 2 / k for the first order, √(ln 2) / k for Avrami–Erofeev
// n = 2. Every run predicts it, whichever heating rate it was measured at.
TEST(KineticPrediction, ReachesTheExactIsothermalTime) {
    struct RCase {
        std::function<double(double)> model;
        double start, halfLife;
    };
    const double k = RateConstant(kHold);
    for (const RCase& c : {RCase{FirstOrder, 0, std::log(2.0) / k},
                           RCase{AvramiErofeev2, 1e-20, std::sqrt(std::log(2.0)) / k}}) {
        const auto runs = SimulateRuns({{1, kEnergy, kA, c.model, c.start}}, kRates, 300, 700);
        const RKineticsResult r = AnalyseKinetics(runs);
        for (TKineticMethod m :
             {TKineticMethod::kmVyazovkin, TKineticMethod::kmAdvancedVyazovkin, TKineticMethod::kmFriedman}) {
            for (const RKineticRun& run : runs) {
                const RPrediction p = PredictIsothermalTime(run, Method(r, m), 0.5, kHold);
                EXPECT_NEAR(p.value / c.halfLife, 1, 0.002) << KineticMethodName(m) << ", " << run.name;
                EXPECT_LE(p.low, p.value);
                EXPECT_GE(p.high, p.value);
            }
        }
        // The temperature at which α = 0.5 takes that long is the hold's.
        const RPrediction t =
            PredictIsothermalTemperature(runs[1], Method(r, TKineticMethod::kmVyazovkin), 0.5, c.halfLife);
        EXPECT_NEAR(t.value, kHold, 0.1);
    }
}

// Scatter in E carries through: the predicted bounds hold the exact time and temperature, and a
// longer time asks for a cooler store.
TEST(KineticPrediction, CarriesTheEnergysIntervalThrough) {
    auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, {5, 8, 12, 20, 40}, 300, 700);
    ScatterTemperatures(runs, 0.5, 3);
    const RKineticsResult r = AnalyseKinetics(runs);
    const RMethodEnergies& energies = Method(r, TKineticMethod::kmVyazovkin);
    const double exact = std::log(2.0) / RateConstant(kHold);
    const RPrediction time = PredictIsothermalTime(runs[2], energies, 0.5, kHold);
    EXPECT_LT(time.low, exact);
    EXPECT_GT(time.high, exact);
    EXPECT_GT(time.high / time.low, 1.05);

    const RPrediction hold = PredictIsothermalTemperature(runs[2], energies, 0.5, exact);
    EXPECT_LT(hold.low, kHold);
    EXPECT_GT(hold.high, kHold);
    EXPECT_LT(PredictIsothermalTemperature(runs[2], energies, 0.5, 10 * exact).value, hold.value - 5);

    // Between levels E is interpolated; the prediction still grows with α.
    EXPECT_GT(PredictIsothermalTime(runs[2], energies, 0.52, kHold).value, time.value);
    EXPECT_LT(PredictIsothermalTime(runs[2], energies, 0.52, kHold).value,
              PredictIsothermalTime(runs[2], energies, 0.55, kHold).value);
}

TEST(KineticPrediction, RefusesWhatItCannotPredict) {
    const auto runs = SimulateRuns({{1, kEnergy, kA, FirstOrder}}, kRates, 300, 700);
    const RKineticsResult r = AnalyseKinetics(runs);
    const RMethodEnergies& energies = Method(r, TKineticMethod::kmVyazovkin);
    EXPECT_THROW(PredictIsothermalTime(runs[0], energies, 0.02, kHold), EKineticsException);
    EXPECT_THROW(PredictIsothermalTime(runs[0], energies, 0.97, kHold), EKineticsException);
    EXPECT_THROW(PredictIsothermalTime(runs[0], energies, 0.5, 0), EKineticsException);
    // A run cut short before the conversion has no J to offer.
    RKineticRun cut = runs[0];
    for (auto* v : {&cut.time, &cut.temperature, &cut.conversion, &cut.rate})
        v->resize(cut.time.size() / 2);
    ASSERT_LT(cut.conversion.back(), 0.7);
    EXPECT_THROW(PredictIsothermalTime(cut, energies, 0.7, kHold), EKineticsException);
    // Even an infinite temperature takes J = ∫exp(−E/RT)dt of the run (about 1e-16 s here).
    EXPECT_NO_THROW(PredictIsothermalTemperature(runs[0], energies, 0.5, 1e-9));
    EXPECT_THROW(PredictIsothermalTemperature(runs[0], energies, 0.5, 1e-30), EKineticsException);
}
