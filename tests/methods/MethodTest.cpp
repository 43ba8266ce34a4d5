// Methods on model runs of known answer: a method made from an evaluated run and applied to a run
// sampled otherwise evaluates the same temperatures and gives the model's answers; limits pass and
// fail; an evaluation that cannot be made is reported and the others go on; the method file keeps
// everything and refuses what is wrong in the operator's words.

#include <gtest/gtest.h>

#include <fstream>

#include "common/FileUtil.h"
#include "data/DataClass.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakEvaluation.h"
#include "methods/EvaluationSteps.h"
#include "methods/MethodApply.h"
#include "methods/MethodFile.h"
#include "methods/MethodFromExperiment.h"
#include "methods/MethodLimits.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/RangeText.h"
#include "support/MethodRuns.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::methods;
using namespace kalvero::test;

namespace {

class Methods : public ::testing::Test {
protected:
    TTestConfig config;

    // The run of aModel evaluated as an operator would: the melting over 148 … 172 °C with a
    // straight base line, the glass transition over 85 … 115 °C, the crystallinity of the melting
    // against 100 J/g.
    std::unique_ptr<TDataClass> Evaluated(const TMethodRunModel& aModel) {
        auto d = aModel.Experiment();
        d->mode = vm_view_dT_by_time;
        const TPeak& p = AddPeakBetween(*d, *config, nullptr, aModel.ItemAt(148), aModel.ItemAt(172), "");
        d->fEvaluations.glassTransitions.push_back(evaluation::GlassTransitionRecordOver(
            *d, aModel.ItemAt(85), aModel.ItemAt(115), evaluation::GLASS_TRANSITION_STRETCH));
        TCrystallinityRecord c;
        c.meltingPeak = evaluation::KeyOfPeak(*d, &p);
        c.referenceHeat = 100;
        d->fEvaluations.crystallinities.push_back(c);
        return d;
    }

    static const TMethodResult& Result(const TMethodRun& aRun, const std::string& aName) {
        for (const TMethodResult& r : aRun.results)
            if (r.name == aName) return r;
        throw std::runtime_error("no result " + aName);
    }
};

TEST_F(Methods, MadeFromOneRunEvaluatesTheSameTemperaturesOfAnother) {
    const TMethodRunModel first{.step = 0.5}, second{.step = 0.4};
    const auto source = Evaluated(first);
    const TMethod method = MethodOf(*source, "ПЭТ, партия");
    ASSERT_EQ(method.evaluations.size(), 3u);
    EXPECT_EQ(method.evaluations[0].kind, EEvaluationKind::Peak);
    EXPECT_EQ(method.evaluations[1].kind, EEvaluationKind::GlassTransition);
    EXPECT_EQ(method.evaluations[2].kind, EEvaluationKind::Crystallinity);
    // Ranges in degrees, read back to the very items of the source.
    EXPECT_EQ(method.evaluations[0].range, "148C:172C");
    const auto [a, b] = ItemRangeOf(*source, method.evaluations[0].range);
    EXPECT_EQ(a, first.ItemAt(148));
    EXPECT_EQ(b, first.ItemAt(172));

    const auto target = second.Experiment();
    const TMethodRun run = ApplyMethod(*target, method, *config, nullptr);
    EXPECT_FALSE(run.Failed());
    EXPECT_FALSE(run.LimitFailed());
    // The peak of the other run lies over the same temperatures, within an item of it.
    ASSERT_EQ(target->peaks.GetItemCount(), 1);
    const auto* p = dynamic_cast<const TPeak*>(target->peaks.GetItemByIndex(0).value);
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(target->items[p->begX][0].tc, 148, 0.07);
    EXPECT_NEAR(target->items[p->endX][0].tc, 172, 0.07);
    // The model's answers.
    EXPECT_NEAR(Result(run, "topTemp").value, 160, 0.05);
    EXPECT_NEAR(Result(run, "specificHeat").value, second.SpecificHeat(), second.SpecificHeat() * 0.005);
    EXPECT_EQ(Result(run, "specificHeat").unit, "J/g");
    EXPECT_NEAR(Result(run, "midpoint").value, 100, 0.1);
    EXPECT_NEAR(Result(run, "crystallinity").value, 30, 0.15);
    // The evaluations the experiment keeps give the same results again, without limits.
    const TMethodRun kept = ResultsOf(*target, *config);
    ASSERT_EQ(kept.results.size(), run.results.size());
    for (size_t k = 0; k < kept.results.size(); ++k) {
        EXPECT_EQ(kept.results[k].name, run.results[k].name);
        EXPECT_DOUBLE_EQ(kept.results[k].value, run.results[k].value) << kept.results[k].name;
    }
    // The experiment keeps what the method made.
    EXPECT_EQ(target->fEvaluations.glassTransitions.size(), 1u);
    EXPECT_EQ(target->fEvaluations.crystallinities.size(), 1u);
    // Provenance: the method and the program; no table touches a run in physical units.
    EXPECT_EQ(run.provenance.method, "ПЭТ, партия");
    EXPECT_EQ(run.provenance.program.rfind("Kalvero ", 0), 0u);
    EXPECT_TRUE(run.provenance.tables.empty());
    EXPECT_EQ(TablesText(run.provenance.tables), "—");
}

TEST_F(Methods, LimitsPassFailAndAskForValues) {
    const TMethodRunModel shifted{.step = 0.5, .peakShift = 2};
    TMethod method{"Контроль",
                   {{.kind = EEvaluationKind::Peak,
                     .range = "148C:176C",
                     .limits = {{"topTemp", {159, 161}}, {"specificHeat", {25, NAN}}}}}};
    const auto d = shifted.Experiment();
    TMethodRun run = ApplyMethod(*d, method, *config, nullptr);
    EXPECT_EQ(Result(run, "topTemp").verdict, EVerdict::Fail);  // 162 °C
    EXPECT_EQ(Result(run, "specificHeat").verdict, EVerdict::Pass);
    EXPECT_EQ(Result(run, "onsetTemp").verdict, EVerdict::None);
    EXPECT_TRUE(run.LimitFailed());
    EXPECT_FALSE(run.Failed());

    method.evaluations[0].limits = {{"topTemp", {161.9, 162.1}}};
    run = ApplyMethod(*d, method, *config, nullptr);
    EXPECT_EQ(Result(run, "topTemp").verdict, EVerdict::Pass);
    EXPECT_FALSE(run.LimitFailed());

    // Without a mass there is no heat per mass: a limit on it fails, and without a limit the
    // result is left out.
    d->fSampleWeight = 0;
    method.evaluations[0].limits = {{"specificHeat", {25, 35}}};
    run = ApplyMethod(*d, method, *config, nullptr);
    EXPECT_EQ(Result(run, "specificHeat").verdict, EVerdict::Fail);
    method.evaluations[0].limits.clear();
    run = ApplyMethod(*d, method, *config, nullptr);
    EXPECT_THROW(Result(run, "specificHeat"), std::runtime_error);
}

// A batch that keeps no experiment leaves out the peaks' onset tangents; the results are those
// of the method applied with everything drawn, bit for bit, also where a peak too narrow for its
// extrapolated onset reports the tangent's foot, and on a base line that moves the top.
TEST_F(Methods, ResultsWithoutTheDrawnTangentsAreTheSame) {
    const TMethodRunModel model;
    const TMethod method{
        "Контроль",
        {{.kind = EEvaluationKind::Peak, .range = "148C:172C"},
         {.kind = EEvaluationKind::GlassTransition, .range = "85C:115C"},
         {.kind = EEvaluationKind::Crystallinity, .range = "148C:172C", .referenceHeat = 140},
         {.kind = EEvaluationKind::Peak, .range = "150C:175C", .baseLine = "tangent-sigmoid"},
         {.kind = EEvaluationKind::Peak, .range = "159.5C:160.5C"},
         {.kind = EEvaluationKind::Purity, .range = "148C:172C", .molarMass = 200}}};
    const auto drawn = model.Experiment(), bare = model.Experiment();
    const TMethodRun a = ApplyMethod(*drawn, method, *config, nullptr);
    const TMethodRun b = ApplyMethod(*bare, method, *config, nullptr, false);
    ASSERT_EQ(a.results.size(), b.results.size());
    for (size_t k = 0; k < a.results.size(); ++k) {
        const TMethodResult &x = a.results[k], &y = b.results[k];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.error, y.error);
        EXPECT_TRUE(x.value == y.value || (std::isnan(x.value) && std::isnan(y.value)))
            << x.evaluation << " " << x.name << ": " << x.value << " and " << y.value;
    }
    // The narrow peak has no extrapolated onset of its own: its tangent was drawn after all.
    const auto onsetOf = [](const TMethodRun& aRun, int aEvaluation) {
        for (const TMethodResult& r : aRun.results)
            if (r.evaluation == aEvaluation && r.name == "onsetTemp") return r.value;
        return std::nan("");
    };
    EXPECT_TRUE(std::isfinite(onsetOf(b, 5)));
    int tangents = 0;
    for (int k = 0; k < bare->peaks.GetItemCount(); ++k)
        tangents += TPeakUtils::HasTangent(*dynamic_cast<const TPeak*>(bare->peaks.GetItemByIndex(k).value));
    EXPECT_EQ(tangents, 1);
}

TEST_F(Methods, AnEvaluationThatCannotBeMadeIsReportedAndTheOthersGoOn) {
    const TMethodRunModel model;
    const TMethod method{
        "Контроль",
        {{.kind = EEvaluationKind::Peak, .range = "300C:310C"},
         {.kind = EEvaluationKind::Purity, .range = "148C:172C", .molarMass = 180},
         {.kind = EEvaluationKind::Peak, .range = "148C:172C"},
         {.kind = EEvaluationKind::Crystallinity, .range = "148C:172C", .polymer = "nosuch"}}};
    const auto d = model.Experiment();
    const TMethodRun run = ApplyMethod(*d, method, *config, nullptr);
    EXPECT_TRUE(run.Failed());
    ASSERT_GE(run.results.size(), 3u);
    EXPECT_EQ(run.results[0].evaluation, 1);
    EXPECT_EQ(run.results[0].verdict, EVerdict::Error);
    EXPECT_NE(run.results[0].error.find("300"), std::string::npos) << run.results[0].error;
    EXPECT_NEAR(Result(run, "topTemp").value, 160, 0.05);
    const TMethodResult& last = run.results.back();
    EXPECT_EQ(last.evaluation, 4);
    EXPECT_NE(last.error.find("nosuch"), std::string::npos) << last.error;
    // The purity and the peak over one range are one peak.
    EXPECT_EQ(d->peaks.GetItemCount(), 1);
}

TEST_F(Methods, FileKeepsEverythingAndRefusesWhatIsWrong) {
    const TMethod method{
        "Полиэтилентерефталат",
        {{.kind = EEvaluationKind::Peak,
          .range = "148C:172C",
          .baseLine = "sigmoid",
          .limits = {{"onsetTemp", {155.5, 157.5}}, {"specificHeat", {NAN, 40}}}},
         {.kind = EEvaluationKind::GlassTransition,
          .range = "85C:115C",
          .before = "85C:90C",
          .after = "110C:115C"},
         {.kind = EEvaluationKind::Purity, .range = "5min:6min", .molarMass = 151.2, .lagSlope = 3.5},
         {.kind = EEvaluationKind::Crystallinity,
          .range = "148C:172C",
          .coldRange = "120C:135C",
          .polymer = "PET",
          .polymerShare = 0.7}}};
    const std::string file = config.File("m.json");
    SaveMethodFile(method, file);
    // Every field comes back (NaN for what the method leaves open).
    const TMethod read = LoadMethodFile(file);
    EXPECT_EQ(MethodToJson(read), MethodToJson(method));
    EXPECT_EQ(read.evaluations[3].polymerShare, 0.7);
    EXPECT_TRUE(std::isnan(read.evaluations[0].limits[1].second.low));
    EXPECT_EQ(read.evaluations[0].limits[1].second.high, 40);

    struct RCase {
        const char* text;
        const char* message;
    };
    const RCase cases[] = {
        {"{", "это не JSON"},
        {"[]", "объектом JSON"},
        {R"({"evaluations": [{"kind": "peak", "range": "1:2"}]})", "нет имени"},
        {R"({"name": "m", "evaluations": []})", "нет оценок"},
        {R"({"name": "m", "evaluations": [], "x": 1})", "нет оценок"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2"}], "x": 1})",
         "ключ методики \"x\""},
        {R"({"name": "m", "evaluations": [{"kind": "dsc", "range": "1:2"}]})",
         "Оценка 1: неизвестный вид \"dsc\""},
        {R"({"name": "m", "evaluations": [{"kind": "peak"}]})", "нет ключа \"range\""},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "150C-170C"}]})", "Неверный диапазон"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "150C:170"}]})", "Неверный диапазон"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "baseline": "curve"}]})",
         "базовая линия \"curve\""},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "molarMass": 5}]})",
         "ключ \"molarMass\" для вида peak"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2"}, {"kind": "purity", "range": "1:2"}]})",
         "Оценка 2: нет ключа \"molarMass\""},
        {R"({"name": "m", "evaluations": [{"kind": "purity", "range": "1:2", "molarMass": -1}]})",
         "положительным числом"},
        {R"({"name": "m", "evaluations": [{"kind": "crystallinity", "range": "1:2"}]})", "\"polymer\", либо"},
        {R"({"name": "m", "evaluations": [{"kind": "tg", "range": "1:2", "before": "1:2"}]})",
         "\"before\" и \"after\""},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "limits": {"midpoint": [1, 2]}}]})",
         "нет результата \"midpoint\""},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "limits": {"topTemp": [2, 1]}}]})",
         "нижняя граница больше верхней"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "limits": {"topTemp": 5}}]})",
         "парой [от, до]"},
        {R"({"name": "m", "evaluations": [{"kind": "peak", "range": "1:2", "limits": {"topTemp": ["a", 1]}}]})",
         "числом или null"},
    };
    for (const RCase& c : cases) {
        WriteFileBytes(file, c.text);
        try {
            LoadMethodFile(file);
            ADD_FAILURE() << c.text << " was read";
        } catch (const EMethodError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Методика " + file + " не прочитана: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.text << " → " << message;
        }
    }
    EXPECT_THROW(LoadMethodFile(config.File("absent.json")), EMethodError);
}

TEST_F(Methods, AnExperimentWithoutEvaluationsMakesNoMethod) {
    const auto d = TMethodRunModel{}.Experiment();
    EXPECT_THROW(MethodOf(*d, "m"), EMethodError);
}

// The limits an operator sets before saving: a row per result beside the run's value, bounds
// typed with either separator, kept in the results' order, cleared when both sides are empty.
TEST_F(Methods, LimitsSetRowByRowBesideTheRunsValues) {
    const TMethodRunModel model;
    const auto d = Evaluated(model);
    TMethod method = MethodOf(*d, "m");
    const std::vector<TLimitRow> rows = LimitRows(method, ResultsOf(*d, *config));
    size_t rowsOf[3] = {};
    for (const TLimitRow& row : rows) {
        ++rowsOf[row.evaluation];
        if (row.name == "topTemp") {
            EXPECT_NEAR(row.value, TMethodRunModel::kMelting, 0.05);
        } else if (row.name == "midpoint") {
            EXPECT_NEAR(row.value, TMethodRunModel::kGlass, 0.1);
        } else if (row.name == "specificHeat" && row.evaluation == 0) {
            EXPECT_NEAR(row.value, model.SpecificHeat(), 0.3);
        }
    }
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(rowsOf[k], ResultNames(method.evaluations[k].kind).size());

    TMethodEvaluation& peak = method.evaluations[0];
    SetLimit(peak, "specificHeat", {BoundOf("28,5", "Q"), BoundOf(" 31.5 ", "Q")});
    SetLimit(peak, "topTemp", {BoundOf("159", "T"), BoundOf("", "T")});
    ASSERT_EQ(peak.limits.size(), 2u);
    EXPECT_EQ(peak.limits[0].first, "topTemp");  // before the heat, as the results come
    EXPECT_TRUE(std::isnan(peak.limits[0].second.high));
    EXPECT_EQ(peak.limits[1].second.low, 28.5);
    EXPECT_EQ(peak.limits[1].second.high, 31.5);
    SetLimit(peak, "topTemp", {});
    ASSERT_EQ(peak.limits.size(), 1u);
    EXPECT_EQ(peak.limits[0].first, "specificHeat");
    EXPECT_THROW(SetLimit(peak, "topTemp", {161, 159}), EMethodError);
    for (const char* wrong : {"сто", "-", "1,2,3", "inf"})
        EXPECT_THROW(BoundOf(wrong, "T"), EMethodError) << wrong;
    // The limits set come back with the rows.
    const auto kept = LimitRows(method, ResultsOf(*d, *config));
    const auto heat = std::find_if(kept.begin(), kept.end(), [](const TLimitRow& r) {
        return r.evaluation == 0 && r.name == "specificHeat";
    });
    ASSERT_NE(heat, kept.end());
    EXPECT_EQ(heat->limit.low, 28.5);
}

}  // namespace
