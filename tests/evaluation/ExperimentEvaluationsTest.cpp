// The evaluations kept with an experiment: a peak's kinds of base line on a Gaussian whose
// sigmoidal base line is known, glass transitions on a logistic step in each kind of signal, the
// ends of a construction dragged and cut, and every peak and evaluation back unchanged from the
// experiment's file.

#include <gtest/gtest.h>

#include <cmath>

#include "data/ExperimentExtras.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/FakeUiHooks.h"
#include "support/RecordFiles.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::evaluation;
using namespace kalvero::test;

namespace {

// A Gaussian of 150 mJ (σ 12 s at 600 s) on a level stepping by 0.5 mW with the share of its area
// passed: the sigmoidal base line is the step itself. 10 K/min from 30 °C, 0.5 s a item, 5 mg.
constexpr double kHeat = 150, kSigma = 12, kCentre = 600;

TRecord PeakOnStep() {
    return Ramp(2801, 0.5, 30, 10, [](double t, double) {
        const double x = (t - kCentre) / kSigma;
        return 1 + 0.5 * NormalCdf(x) + kHeat * Gaussian(x) / (kSigma * std::sqrt(2 * M_PI));
    });
}

class ExperimentEvaluations : public ::testing::Test {
protected:
    TTestConfig config;
    TFakeUiScope ui;

    TPeak& AddPeak(TDataClass& d, int aFrom, int aTo) {
        TPeak* p = TPeakUtils(d, *config, nullptr, nullptr).AddPeakManually(aFrom, aTo);
        EXPECT_NE(p, nullptr);
        return *p;
    }
    static double Area(const TPeak& p) { return static_cast<double>(p.GetSummaryAreaInRealUnits()); }
};

}  // namespace

TEST_F(ExperimentEvaluations, APeakFollowsItsKindOfBaseLineAndComesBackStraight) {
    const auto d = ExperimentOf(PeakOnStep(), 5);
    TPeak& p = AddPeak(*d, 1056, 1440);  // −6 σ … +10 σ
    const double straight = Area(p);
    const int straightTop = p.top;
    const TCutLine straightBase = p.cutLines[PEAK_LINE_BASE];

    p.SetBaseLineKind(pbkSigmoidal);
    ASSERT_TRUE(p.HasComputedBaseLine());
    EXPECT_NEAR(Area(p), kHeat, 0.01 * kHeat);
    EXPECT_NEAR(EffectResultOf(*d, p, 1).heat, kHeat / 1000, 0.01 * kHeat / 1000);
    // The base line at the centre is half way up the step, and the top line stands on it.
    EXPECT_NEAR(d->SignalValue(p.GetBaseLineCrossingYCoord(1200), 0), 1.25, 0.005);
    EXPECT_EQ(p.cutLines[PEAK_LINE_TOP].points[1].y,
              p.GetBaseLineCrossingYCoord(p.cutLines[PEAK_LINE_TOP].points[1].x));
    // The evaluations read the same base line.
    const TPeakCurve c = PeakCurveOf(*d, p);
    EXPECT_NEAR(c.base[144], 1.25, 0.005);
    EXPECT_EQ(EffectResultOf(*d, p, 1).baseLine, "sigmoid");

    // A margin dragged outwards: the computed line follows and the heat stays.
    p.UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, 1500);
    EXPECT_NEAR(Area(p), kHeat, 0.01 * kHeat);
    p.UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, 1440);

    // Level with the right margin the curve lies below the line before the step: counted too.
    p.SetBaseLineKind(pbkHorizontalRight);
    EXPECT_NEAR(d->SignalValue(p.GetBaseLineCrossingYCoord(1100), 0), 1.5, 1e-3);

    // Back to the straight line: the operator's line, area and top as they were.
    p.SetBaseLineKind(pbkStraight);
    EXPECT_FALSE(p.HasComputedBaseLine());
    EXPECT_DOUBLE_EQ(Area(p), straight);
    EXPECT_EQ(p.top, straightTop);
    EXPECT_EQ(p.cutLines[PEAK_LINE_BASE].points[0].y, straightBase.points[0].y);
    EXPECT_EQ(p.cutLines[PEAK_LINE_BASE].points[1].y, straightBase.points[1].y);
}

TEST_F(ExperimentEvaluations, AKindThatCannotBeComputedLeavesTheStraightLineAndSaysWhy) {
    // A flat curve has no area above its straight line for the sigmoidal iteration.
    const auto d = ExperimentOf(Ramp(400, 0.5, 30, 10, [](double, double) { return 1.0; }), 5);
    TPeak& p = AddPeak(*d, 100, 300);
    p.SetBaseLineKind(pbkSigmoidal);
    EXPECT_FALSE(p.HasComputedBaseLine());
    ASSERT_FALSE(p.BaseLineWarnings().empty());
    EXPECT_EQ(EffectResultOf(*d, p, 1).warnings.front(), p.BaseLineWarnings().front());
}

TEST_F(ExperimentEvaluations, GlassTransitionInEachKindOfSignal) {
    const TStepModel model;  // a step of 0.5 at 100 °C, 10 K/min
    const TRecord r = model.Record(10);
    const TGlassTransitionRecord stretches{0, 899, 5101, 6000};
    // mW on 10 mg: 60·0.5 / (10·10); mW/mg: 60·0.5 / 10; J/(g·K): the step itself; K: none.
    const std::pair<TSignalQuantity, double> kinds[] = {
        {sqHeatFlow, 0.3}, {sqHeatFlowPerMass, 3.0}, {sqSpecificHeat, 0.5}, {sqDiffTemp, NAN}};
    for (const auto& [quantity, deltaCp] : kinds) {
        const auto d = ExperimentOf(r, 10, quantity);
        EXPECT_EQ(GlassTransitionRecordOver(*d, 0, 6000, 0.15), stretches);
        int first = -1;
        const RGlassTransition g = GlassTransitionOf(*d, stretches, &first);
        EXPECT_EQ(first, 0);
        EXPECT_NEAR(g.midpoint.temperature, model.c, 0.05);
        if (std::isnan(deltaCp)) {
            EXPECT_TRUE(std::isnan(g.deltaCp));
        } else {
            EXPECT_NEAR(g.deltaCp, deltaCp, 0.02 * deltaCp) << quantity;
        }
    }
    // The construction over a stretch of the record: its points count from the stretch's start.
    const auto d = ExperimentOf(r, 10);
    const TGlassTransitionRecord inner = GlassTransitionRecordOver(*d, 1000, 5000, 0.2);
    EXPECT_EQ(inner.beforeFrom, 1000);
    EXPECT_EQ(inner.afterTo, 5000);
    int first = 0;
    const RGlassTransition g = GlassTransitionOf(*d, inner, &first);
    EXPECT_EQ(first, 1000);
    EXPECT_NEAR(r.T[static_cast<size_t>(std::lround(first + g.midpoint.index))], g.midpoint.temperature,
                0.02);
    EXPECT_THROW(GlassTransitionRecordOver(*d, 100, 110, 0.15), EEvaluationError);
}

TEST_F(ExperimentEvaluations, DraggedEndsKeepTheStretchesInOrderAndACutMovesThem) {
    TGlassTransitionRecord g{100, 200, 400, 500};
    MoveGlassTransitionEnd(g, 1, 450, 1000);  // past the second stretch: held short of it
    EXPECT_EQ(g.beforeTo, 397);
    MoveGlassTransitionEnd(g, 0, 600, 1000);  // past its own end
    EXPECT_EQ(g.beforeFrom, 396);
    MoveGlassTransitionEnd(g, 0, -50, 1000);
    EXPECT_EQ(g.beforeFrom, 0);
    MoveGlassTransitionEnd(g, 2, 10, 1000);
    EXPECT_EQ(g.afterFrom, 400);
    MoveGlassTransitionEnd(g, 3, 5000, 1000);
    EXPECT_EQ(g.afterTo, 999);

    const auto d = ExperimentOf(TStepModel().Record(10), 10);
    d->fEvaluations.glassTransitions = {{100, 200, 400, 500}, {3000, 3100, 3400, 3500}};
    ASSERT_TRUE(d->CutData(2000, 2100));
    // The one before the cut stays; the one after it moves back with its items.
    ASSERT_EQ(d->fEvaluations.glassTransitions.size(), 2u);
    EXPECT_EQ(d->fEvaluations.glassTransitions[1], (TGlassTransitionRecord{2900, 3000, 3300, 3400}));
    ASSERT_TRUE(d->CutData(450, 460));
    ASSERT_EQ(d->fEvaluations.glassTransitions.size(), 1u);  // a cut inside it takes it away
    EXPECT_EQ(d->fEvaluations.glassTransitions[0].beforeFrom, 2890);
}

TEST_F(ExperimentEvaluations, EveryPeakAndEvaluationComesBackFromTheFile) {
    // Three effects: a Gaussian on a step, a van't Hoff melting's shape and a release.
    const TRecord base = PeakOnStep();
    TRecord r = base;
    for (size_t i = 0; i < r.Size(); ++i)
        r.y[i] -= 80 * Gaussian((r.t[i] - 1150) / 20) / (20 * std::sqrt(2 * M_PI));
    auto d = ExperimentOf(r, 5);
    TPeak& first = AddPeak(*d, 1056, 1440);
    first.SetBaseLineKind(pbkTangentialSigmoidal);
    TPeak& second = AddPeak(*d, 2060, 2540);
    // The operator's straight line: one end dragged, the top moved.
    second.UpdatePeakBaseLine(1, second.cutLines[PEAK_LINE_BASE].points[1].y + 1000);
    second.UpdatePeakTop(PEAK_LINE_TOP, second.top + 5);
    d->fEvaluations.glassTransitions.push_back({10, 300, 2700, 2800});
    d->fEvaluations.purities.push_back({KeyOfPeak(*d, &first), 200, 50});
    d->fEvaluations.crystallinities.push_back(
        {KeyOfPeak(*d, &first), KeyOfPeak(*d, &second), "PET", 140, 0.8});
    const std::string file = config.File("kept.dsc");
    d->SaveToFile(file, false);

    TDataClass loaded;
    loaded.LoadFromFile(file, ftDSC, 0);
    EXPECT_TRUE(loaded.LastLoadWarnings().empty());
    ASSERT_EQ(loaded.peaks.GetItemCount(), 2);
    for (int k = 0; k < 2; ++k) {
        const auto* a = dynamic_cast<const TPeak*>(d->peaks.GetItemByIndex(k).value);
        const auto* b = dynamic_cast<const TPeak*>(loaded.peaks.GetItemByIndex(k).value);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(loaded.peaks.GetItemByIndex(k).key, d->peaks.GetItemByIndex(k).key);
        EXPECT_EQ(b->baseLineKind, a->baseLineKind);
        EXPECT_EQ(b->top, a->top);
        ASSERT_EQ(b->cutLines.size(), a->cutLines.size());
        for (size_t j = 0; j < a->cutLines.size(); ++j) {
            EXPECT_EQ(b->cutLines[j].lineType, a->cutLines[j].lineType);
            EXPECT_EQ(b->cutLines[j].dragType, a->cutLines[j].dragType);
            for (size_t n = 0; n < a->cutLines[j].points.size(); ++n) {
                EXPECT_EQ(b->cutLines[j].points[n].x, a->cutLines[j].points[n].x);
                EXPECT_EQ(b->cutLines[j].points[n].y, a->cutLines[j].points[n].y);
            }
        }
        EXPECT_DOUBLE_EQ(Area(*b), Area(*a));
        const TEffectResult ra = EffectResultOf(*d, *a, k + 1), rb = EffectResultOf(loaded, *b, k + 1);
        EXPECT_DOUBLE_EQ(rb.onsetTemp, ra.onsetTemp);
        EXPECT_DOUBLE_EQ(rb.endsetTemp, ra.endsetTemp);
        EXPECT_DOUBLE_EQ(rb.heat, ra.heat);
    }
    EXPECT_EQ(loaded.fEvaluations.glassTransitions, d->fEvaluations.glassTransitions);
    EXPECT_EQ(loaded.fEvaluations.purities, d->fEvaluations.purities);
    EXPECT_EQ(loaded.fEvaluations.crystallinities, d->fEvaluations.crystallinities);
    const auto pa = PurityResults(*d), pb = PurityResults(loaded);
    ASSERT_EQ(pb.size(), 1u);
    EXPECT_EQ(pb[0].error, pa[0].error);
    EXPECT_DOUBLE_EQ(pb[0].result.impurity, pa[0].result.impurity);
    const auto ca = CrystallinityResults(*d), cb = CrystallinityResults(loaded);
    ASSERT_EQ(cb.size(), 1u);
    EXPECT_TRUE(cb[0].error.empty()) << cb[0].error;
    // (150/5 − 80/5) J/g over 140 J/g, of a polymer that is 80 % of the sample.
    EXPECT_NEAR(cb[0].result.percent, 100 * (30.0 - 16.0) / 140 / 0.8, 0.5);
    EXPECT_DOUBLE_EQ(cb[0].result.percent, ca[0].result.percent);
    const auto ga = GlassTransitionResults(*d), gb = GlassTransitionResults(loaded);
    ASSERT_EQ(gb.size(), 1u);
    EXPECT_EQ(gb[0].error, ga[0].error);

    // Without its peak an evaluation lapses: it is neither listed nor saved.
    loaded.DelPeak(1);
    EXPECT_TRUE(CrystallinityResults(loaded).empty());
    EXPECT_EQ(PurityResults(loaded).size(), 1u);
    loaded.SaveToFile(file, false);
    TDataClass again;
    again.LoadFromFile(file, ftDSC, 0);
    EXPECT_TRUE(again.fEvaluations.crystallinities.empty());
    EXPECT_EQ(again.fEvaluations.purities.size(), 1u);
}

TEST_F(ExperimentEvaluations, APeakThatDoesNotFitTheRecordIsLeftOutWithItsEvaluations) {
    const auto d = ExperimentOf(PeakOnStep(), 5);
    TPeak& p = AddPeak(*d, 1056, 1440);
    d->fEvaluations.purities.push_back({KeyOfPeak(*d, &p), 200, NAN});
    TExperimentExtras e = ExtrasFromJson(ExtrasToJson(*d, d->GetItemCount()), "x.dsc");
    ASSERT_EQ(e.peaks.size(), 1u);
    EXPECT_TRUE(std::isnan(e.evaluations.purities[0].lagSlope));
    e.peaks[0].endX = d->GetItemCount() + 10;
    TDataClass other;
    std::vector<std::string> warnings;
    FillFromPhysicalRun(other, PhysicalRunOf(*d), warnings);
    ApplyExtrasObjects(other, e, warnings);
    EXPECT_EQ(other.peaks.GetItemCount(), 0);
    EXPECT_TRUE(other.fEvaluations.purities.empty());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("не загружен"), std::string::npos);
}
