// The glass transition construction on logistic steps of known centre and width, where the
// tangent construction's answers follow from the model.

#include <gtest/gtest.h>

#include "evaluation/GlassTransition.h"
#include "evaluation/Models.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using namespace kalvero::test;

TEST(GlassTransition, LogisticStepOnASlopedBase) {
    const TStepModel model;
    const TRecord rec = model.Record(10);
    TGlassTransitionOptions options;
    options.mass = 10;
    const RGlassTransition g = EvaluateGlassTransition(rec.Curve(), rec.All(), options);
    // A logistic of scale w with its tangent at the centre spans c ∓ 2w between equal slopes.
    EXPECT_NEAR(g.onset.temperature, model.c - 2 * model.w, 0.005);
    EXPECT_NEAR(g.endset.temperature, model.c + 2 * model.w, 0.005);
    EXPECT_NEAR(g.midpoint.temperature, model.c, 0.002);
    EXPECT_NEAR(g.inflection.temperature, model.c, 0.005);
    EXPECT_NEAR(g.tangent.slope, model.a1 + model.s / (4 * model.w), 1e-4);
    EXPECT_NEAR(g.stepHeight, model.s, 1e-4);
    EXPECT_NEAR(g.baseBefore.slope, model.a1, 5e-6);
    EXPECT_NEAR(g.rate, 10, 1e-9);
    // 0.5 mW over 10 mg at 10 K/min: 0.5 mJ/s / (0.01 g · 1/6 K/s) = 0.3 J/(g·K).
    EXPECT_NEAR(g.deltaCp, 0.3, 1e-4);
    EXPECT_TRUE(g.warnings.empty());
    // The points carry their item index: the midpoint sits at item 3000 of the 70 … 130 ramp.
    EXPECT_NEAR(g.midpoint.index, 3000, 0.5);
    EXPECT_NEAR(g.midpoint.time, rec.t[3000], 0.03);
}

TEST(GlassTransition, LogisticStepWithNoise) {
    // Noise of 0.4 % of the step: the midpoint within 0.1 K and ΔCp within 2 %; the tangent's
    // ends move with the noise on its slope (over 50 seeds the worst were 0.02 K on the midpoint,
    // 0.08 K on onset and end, 0.4 % on the step).
    const TStepModel model;
    const TRecord rec = model.Record(10, 0.002);
    TGlassTransitionOptions options;
    options.mass = 10;
    const RGlassTransition g = EvaluateGlassTransition(rec.Curve(), rec.All(), options);
    EXPECT_NEAR(g.midpoint.temperature, model.c, 0.1);
    EXPECT_NEAR(g.inflection.temperature, model.c, 0.15);
    EXPECT_NEAR(g.onset.temperature, model.c - 2 * model.w, 0.15);
    EXPECT_NEAR(g.endset.temperature, model.c + 2 * model.w, 0.15);
    EXPECT_NEAR(g.stepHeight, model.s, 0.02 * model.s);
    EXPECT_NEAR(g.deltaCp, 0.3, 0.02 * 0.3);
    EXPECT_TRUE(g.warnings.empty());
}

TEST(GlassTransition, SlopeChangingAtTheStepMovesTheInflection) {
    TStepModel model;
    model.a2 = 0.01;
    const TStepModel::TExpected expected = model.Expected();
    ASSERT_GT(std::abs(expected.inflection - model.c), 0.25);  // the case differs from the symmetric one
    const TRecord rec = model.Record(10);
    const RGlassTransition g = EvaluateGlassTransition(rec.Curve(), rec.All());
    EXPECT_NEAR(g.inflection.temperature, expected.inflection, 0.03);
    EXPECT_NEAR(g.onset.temperature, expected.onset, 0.01);
    EXPECT_NEAR(g.endset.temperature, expected.endset, 0.01);
    // Halfway between the asymptotes the curve is at σ = 1/2, the centre, whatever the slopes;
    // the asymptotes are s apart there.
    EXPECT_NEAR(g.midpoint.temperature, model.c, 0.002);
    EXPECT_NEAR(g.stepHeight, model.s, 1e-4);
    EXPECT_NEAR(g.baseAfter.slope, model.a1 + model.a2, 5e-6);
}

TEST(GlassTransition, OnCoolingTheFirstLineIsTheHighTemperatureOne) {
    const TStepModel model;
    const TRecord rec = model.Record(-10);
    TGlassTransitionOptions options;
    options.mass = 10;
    const RGlassTransition g = EvaluateGlassTransition(rec.Curve(), rec.All(), options);
    EXPECT_NEAR(g.onset.temperature, model.c + 2 * model.w, 0.005);
    EXPECT_NEAR(g.endset.temperature, model.c - 2 * model.w, 0.005);
    EXPECT_NEAR(g.midpoint.temperature, model.c, 0.002);
    // The step is taken from the first line to the second: down on cooling.
    EXPECT_NEAR(g.stepHeight, -model.s, 1e-4);
    EXPECT_NEAR(g.rate, -10, 1e-9);
    EXPECT_NEAR(g.deltaCp, 0.3, 1e-4);
    EXPECT_LT(g.onset.index, g.midpoint.index);
    EXPECT_LT(g.midpoint.index, g.endset.index);
}

TEST(GlassTransition, GivenStretchesFollowTheDrag) {
    const TStepModel model;
    const TRecord rec = model.Record(10);
    const RGlassTransition automatic = EvaluateGlassTransition(rec.Curve(), rec.All());
    // The stretches the automatic construction chose, handed back: the same result.
    const RGlassTransition same =
        EvaluateGlassTransitionBetween(rec.Curve(), automatic.before, automatic.after);
    EXPECT_DOUBLE_EQ(same.onset.temperature, automatic.onset.temperature);
    EXPECT_DOUBLE_EQ(same.midpoint.temperature, automatic.midpoint.temperature);

    // The first line's right end dragged into the step (up to 97 °C, item 2700): the line tilts
    // up, so it meets the tangent later and the step measured at the midpoint is smaller.
    const RGlassTransition dragged = EvaluateGlassTransitionBetween(rec.Curve(), {0, 2700}, automatic.after);
    EXPECT_EQ(dragged.before.to, 2700u);
    EXPECT_GT(dragged.baseBefore.slope, model.a1 + 0.001);
    EXPECT_GT(dragged.onset.temperature, automatic.onset.temperature + 0.3);
    EXPECT_LT(dragged.stepHeight, automatic.stepHeight - 0.02);
    // Segments start at the stretch the operator set.
    ASSERT_FALSE(dragged.drawing.segments.empty());
    EXPECT_DOUBLE_EQ(dragged.drawing.segments[0].a.index, 0);
}

TEST(GlassTransition, DrawingHoldsTheConstruction) {
    const TStepModel model;
    const TRecord rec = model.Record(10);
    const RGlassTransition g = EvaluateGlassTransition(rec.Curve(), rec.All());
    ASSERT_EQ(g.drawing.marks.size(), 4u);
    EXPECT_EQ(g.drawing.marks[1].label, "Tmg");
    int tangents = 0;
    for (const RSegment& s : g.drawing.segments) {
        EXPECT_TRUE(s.a.Valid() && s.b.Valid());
        if (s.role != ESegmentRole::Tangent) continue;
        ++tangents;
        // The tangent is drawn from onset to endset, each end on the tangent line.
        EXPECT_NEAR(s.a.value, g.tangent.At(s.a.temperature), 1e-12);
        EXPECT_NEAR(s.a.temperature, g.onset.temperature, 1e-9);
        EXPECT_NEAR(s.b.temperature, g.endset.temperature, 1e-9);
    }
    EXPECT_EQ(tangents, 1);
}

TEST(GlassTransition, DoubtfulAndImpossibleCases) {
    // Noise without a step: a warning, not a number passed off as a glass transition.
    TRecord flat = Ramp(2001, 0.6, 80, 10, [](double, double) { return 1.0; });
    AddNoise(flat.y, 0.01);
    const RGlassTransition g = EvaluateGlassTransition(flat.Curve(), flat.All());
    EXPECT_FALSE(g.warnings.empty());

    // No mass: no ΔCp.
    EXPECT_TRUE(std::isnan(g.deltaCp));

    const TRecord isothermal = Ramp(200, 1, 100, 0, [](double t, double) { return t; });
    EXPECT_THROW(EvaluateGlassTransition(isothermal.Curve(), isothermal.All()), EEvaluationError);
    EXPECT_THROW(EvaluateGlassTransition(flat.Curve(), {0, 10}), EEvaluationError);
    EXPECT_THROW(EvaluateGlassTransition(flat.Curve(), {0, 5000}), EEvaluationError);
    EXPECT_THROW(EvaluateGlassTransitionBetween(flat.Curve(), {0, 100}, {50, 200}), EEvaluationError);
}
