// Purity on simulated melting curves: a van't Hoff melting of known impurity heated through a
// thermal resistance, so that the sample lags the measured temperature as in a real cell.

#include <gtest/gtest.h>

#include "evaluation/BaseLines.h"
#include "evaluation/Models.h"
#include "evaluation/Purity.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using namespace kalvero::test;

namespace {

struct TPurityCase {
    TRecord record;
    TItemRange range;
    std::vector<double> base;
};

// The melting peak from aBelow K below T0 to 4 K above it, over the straight base line. The melt
// that began before the range is missing from the partial areas (the linearising correction puts
// it back) and lifts the base line's left end a little (which it cannot: the farther the start,
// the closer the result).
TPurityCase Melting(const TMeltingModel& aModel, double aBelow = 25) {
    TPurityCase c;
    c.record = aModel.Record();
    const auto itemAt = [&](double aT) {
        return static_cast<size_t>((aT - c.record.T.front()) / (aModel.rate / 60) / aModel.step);
    };
    c.range = {itemAt(aModel.T0 - aBelow), itemAt(aModel.T0 + 4)};
    c.base = ComputeBaseLine(c.record.Curve(), c.range).values;
    return c;
}

RPurity Evaluate(const TMeltingModel& aModel, const TPurityCase& aCase, bool aLagCorrection = true) {
    TPurityOptions options;
    if (aLagCorrection) options.lagSlope = 1 / aModel.resistance;
    return EvaluatePurity(aCase.record.Curve(), aCase.range, aCase.base, aModel.mass, aModel.molarMass,
                          options);
}

}  // namespace

TEST(Purity, HalfAMolePercentBack) {
    const TMeltingModel model;
    const TPurityCase c = Melting(model);
    const RPurity r = Evaluate(model, c);
    // Well inside the 0.1 mol % asked for.
    EXPECT_NEAR(r.impurity, 0.5, 0.02);
    EXPECT_NEAR(r.purity, 99.5, 0.02);
    EXPECT_NEAR(r.meltingPoint, model.T0, 0.01);
    EXPECT_NEAR(r.depression, model.K(), 0.02 * model.K());
    EXPECT_NEAR(r.heatOfFusion, 125, 0.005 * 125);
    EXPECT_NEAR(r.molarHeat, model.molarHeat, 0.005 * model.molarHeat);
    // The premelting below the range start is what the correction puts back.
    EXPECT_GT(r.correction, 0.2);
    EXPECT_LT(r.correction, 20);
    EXPECT_GT(r.rSquared, 0.9999);
    EXPECT_GE(r.rSquared, r.rSquaredBefore);
    EXPECT_TRUE(r.warnings.empty());
    ASSERT_EQ(r.measured.size(), 20u);
    EXPECT_NEAR(r.measured.front().inverseFraction, 10, 1e-9);
    EXPECT_NEAR(r.measured.back().inverseFraction, 2, 1e-9);
    // The corrected points lie on the fitted line.
    for (const RVantHoffPoint& p : r.corrected)
        EXPECT_NEAR(p.temperature, r.fit.At(p.inverseFraction), 0.01);
    ASSERT_EQ(r.drawing.marks.size(), 2u);
    EXPECT_EQ(r.drawing.marks[0].label, "F 10 %");
}

TEST(Purity, TwoMolePercentBackWithAWarning) {
    TMeltingModel model;
    model.x2 = 0.02;
    // The broader melting starts earlier: the range too.
    const TPurityCase c = Melting(model, 35);
    const RPurity r = Evaluate(model, c);
    EXPECT_NEAR(r.impurity, 2.0, 0.05);
    EXPECT_NEAR(r.meltingPoint, model.T0, 0.05);
    EXPECT_NEAR(r.heatOfFusion, 125, 0.01 * 125);
    EXPECT_GT(r.correction, 2);
    // Below 98.5 mol % the standard's method is no longer reliable.
    EXPECT_FALSE(r.warnings.empty());
}

TEST(Purity, ThermalLagCorrectionMatters) {
    TMeltingModel model;
    model.resistance = 0.1;  // 10 mW/K
    const TPurityCase c = Melting(model);
    const RPurity corrected = Evaluate(model, c);
    const RPurity plain = Evaluate(model, c, false);
    EXPECT_NEAR(corrected.impurity, 0.5, 0.1);
    EXPECT_GT(std::abs(plain.impurity - 0.5), 0.1);
    // The sign of the slope is not used: an instrument plotting endotherms down gives a negative one.
    TPurityOptions options;
    options.lagSlope = -1 / model.resistance;
    const RPurity negative =
        EvaluatePurity(c.record.Curve(), c.range, c.base, model.mass, model.molarMass, options);
    EXPECT_DOUBLE_EQ(negative.impurity, corrected.impurity);
}

TEST(Purity, EndothermsPlottedDownGiveTheSameResult) {
    const TMeltingModel model;
    TPurityCase c = Melting(model);
    const RPurity up = Evaluate(model, c);
    for (double& v : c.record.y)
        v = -v;
    for (double& v : c.base)
        v = -v;
    const RPurity down = Evaluate(model, c);
    EXPECT_NEAR(down.impurity, up.impurity, 1e-9);
    EXPECT_NEAR(down.meltingPoint, up.meltingPoint, 1e-9);
}

TEST(Purity, WhatCannotBeComputed) {
    const TMeltingModel model;
    const TPurityCase c = Melting(model);
    EXPECT_THROW(EvaluatePurity(c.record.Curve(), c.range, c.base, 0, 200), EEvaluationError);
    EXPECT_THROW(EvaluatePurity(c.record.Curve(), c.range, c.base, 3, NAN), EEvaluationError);
    TPurityOptions reversed;
    reversed.fractionFrom = 0.5;
    reversed.fractionTo = 0.1;
    EXPECT_THROW(EvaluatePurity(c.record.Curve(), c.range, c.base, 3, 200, reversed), EEvaluationError);
    const std::vector<double> onTheCurve(c.record.y.begin() + static_cast<std::ptrdiff_t>(c.range.from),
                                         c.record.y.begin() + static_cast<std::ptrdiff_t>(c.range.to) + 1);
    EXPECT_THROW(EvaluatePurity(c.record.Curve(), c.range, onTheCurve, 3, 200), EEvaluationError);
}
