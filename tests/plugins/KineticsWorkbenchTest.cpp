// The isoconversional workbench of the Kinetics plug-in: the texts it reads and writes, the run a
// marked effect of an experiment gives (against the reaction integrated from its rate equation),
// the description of its results (the plotted lines go through the plotted points), and the
// options and prediction its inputs ask for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "KineticEffect.h"
#include "KineticsCaptions.h"
#include "KineticsTexts.h"
#include "KineticsWorkbench.h"
#include "evaluation/Conversion.h"
#include "processing/Peak.h"
#include "support/FakeUiHooks.h"
#include "support/KineticExperiments.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::kinetics;
using namespace kalvero::test;

namespace {

const std::vector<double> kRates{5, 10, 20, 40};

const std::vector<RKineticRun>& Reaction() {
    static const std::vector<RKineticRun> runs = FirstOrderRuns(kRates);
    return runs;
}

// aValues at aX, linear between the samples of aXs (ascending).
double Interpolate(const std::vector<double>& aXs, const std::vector<double>& aValues, double aX) {
    const size_t i = static_cast<size_t>(std::lower_bound(aXs.begin(), aXs.end(), aX) - aXs.begin());
    if (i == 0) return aValues.front();
    if (i == aXs.size()) return aValues.back();
    const double w = (aX - aXs[i - 1]) / (aXs[i] - aXs[i - 1]);
    return aValues[i - 1] + w * (aValues[i] - aValues[i - 1]);
}

// Inputs from a list of id = text.
TInputTexts Inputs(std::map<std::string, std::string> aTexts) {
    return [texts = std::move(aTexts)](const std::string& aId) {
        const auto it = texts.find(aId);
        return it == texts.end() ? std::string() : it->second;
    };
}

std::string Message(const std::function<void()>& aAction) {
    try {
        aAction();
    } catch (const EKineticsException& e) {
        return e.what();
    }
    return "no error";
}

class KineticsWorkbenchTest : public ::testing::Test {
protected:
    // The workbench over the runs made experiments, each effect marked over the whole reaction.
    TKineticsWorkbench Bench() {
        std::vector<RKineticRun> runs;
        std::vector<std::string> warnings;
        for (const RKineticRun& simulated : Reaction()) {
            auto d = ExperimentOf(simulated,
                                  "b" + std::to_string(static_cast<int>(simulated.heatingRate)) + ".dsc");
            runs.push_back(RunOfPeak(*d, PeakInRange(*d, "150C:400C", *config, nullptr), warnings));
            experiments.push_back(std::move(d));
        }
        EXPECT_TRUE(warnings.empty());
        TKineticsWorkbench bench(std::move(runs));
        bench.Analyse(Inputs({}));
        return bench;
    }

    TTestConfig config;
    TFakeUiScope ui;
    std::vector<std::unique_ptr<TDataClass>> experiments;
};

}  // namespace

TEST(KineticsTexts, ReadNumbersTemperaturesAndDurationsAsTheOperatorWritesThem) {
    EXPECT_DOUBLE_EQ(NumberOfText(" 0,5 ", "α"), 0.5);
    EXPECT_DOUBLE_EQ(NumberOfText("1e-3", "α"), 1e-3);
    EXPECT_DOUBLE_EQ(TemperatureOfText("150", "T"), 423.15);
    EXPECT_DOUBLE_EQ(TemperatureOfText("150 °С", "T"), 423.15);
    EXPECT_DOUBLE_EQ(TemperatureOfText("150C", "T"), 423.15);
    EXPECT_DOUBLE_EQ(TemperatureOfText("-20,5 °C", "T"), 252.65);
    EXPECT_DOUBLE_EQ(TemperatureOfText("423,15 K", "T"), 423.15);
    EXPECT_DOUBLE_EQ(TemperatureOfText("423.15К", "T"), 423.15);
    EXPECT_DOUBLE_EQ(DurationOfText("3600", "t"), 3600);
    EXPECT_DOUBLE_EQ(DurationOfText("30 мин", "t"), 1800);
    EXPECT_DOUBLE_EQ(DurationOfText("8h", "t"), 28800);
    EXPECT_DOUBLE_EQ(DurationOfText("2 сут", "t"), 172800);
    EXPECT_DOUBLE_EQ(DurationOfText("1y", "t"), 31557600);  // the Julian year
    EXPECT_DOUBLE_EQ(DurationOfText("0,5 года", "t"), 15778800);
    EXPECT_EQ(Message([] { NumberOfText("0,5 мин", "Степень превращения"); }),
              "Неверное значение «0,5 мин» поля «Степень превращения»");
    EXPECT_EQ(Message([] { TemperatureOfText("150F", "Температура, °С"); }),
              "Неверное значение «150F» поля «Температура, °С»");
    EXPECT_EQ(Message([] { DurationOfText("год", "Время"); }), "Неверное значение «год» поля «Время»");
    EXPECT_EQ(Message([] { DurationOfText("", "Время"); }), "Неверное значение «» поля «Время»");
}

TEST(KineticsTexts, WriteDurationsInTheUnitThatSuitsThem) {
    EXPECT_EQ(DurationCaption(45), "45,0 с");
    EXPECT_EQ(DurationCaption(750), "12,5 мин");
    EXPECT_EQ(DurationCaption(11520), "3,20 ч");
    EXPECT_EQ(DurationCaption(4.15 * 86400), "4,15 сут");
    EXPECT_EQ(DurationCaption(1.5 * 31557600), "548 сут");
    EXPECT_EQ(DurationCaption(3 * 31557600), "3,00 года");
    EXPECT_EQ(DurationCaption(101 * 31557600.0), "101 год");
    EXPECT_EQ(DurationCaption(122 * 31557600.0), "122 года");
    EXPECT_EQ(DurationCaption(150 * 31557600.0), "150 лет");
    EXPECT_EQ(DurationCaption(111 * 31557600.0), "111 лет");
    EXPECT_EQ(SignificantCaption(0.0123), "0,0123");
    EXPECT_EQ(SignificantCaption(NAN), "—");
    EXPECT_EQ(FixedCaption(150, 1), "150,0");
    EXPECT_EQ(AlphaCaption(0.125), "0,125");
    EXPECT_EQ(AlphaCaption(0.5), "0,50");
    EXPECT_EQ(CelsiusCaption(423.15), "150,0 °С");
}

// α and dα/dt over the marked effect are the reaction's own (the running integral starts where the
// effect is marked, 4·10⁻⁵ into the reaction at 5 K/min), and so is the peak's top.
TEST_F(KineticsWorkbenchTest, AMarkedEffectGivesTheRunOfTheReaction) {
    const RKineticRun simulated = Reaction()[1];
    RDscModel model;
    model.rateRecorded = false;
    auto d = ExperimentOf(simulated, "/tmp/b10.dsc", model);
    std::vector<std::string> warnings;
    const TPeak& peak = PeakInRange(*d, "150C:400C", *config, nullptr);
    const RKineticRun run = RunOfPeak(*d, peak, warnings);
    EXPECT_EQ(run.name, "b10.dsc");
    EXPECT_NEAR(run.heatingRate, 10, 1e-6);  // measured over the heating, as the file has none
    EXPECT_NEAR(run.temperature.front(), 423.15, 0.02);
    ASSERT_EQ(run.time.size(), run.conversion.size());
    double top = 0;
    size_t topAt = 0;
    for (size_t i = 0; i < simulated.rate.size(); ++i)
        if (simulated.rate[i] > top) top = simulated.rate[i], topAt = i;
    for (double T : {480.0, 520.0, 540.0, 560.0, 580.0, 600.0}) {
        const double exact = Interpolate(simulated.temperature, simulated.conversion, T);
        EXPECT_NEAR(Interpolate(run.temperature, run.conversion, T), exact, 2e-4) << T;
        const double rate = Interpolate(simulated.temperature, simulated.rate, T);
        EXPECT_NEAR(Interpolate(run.temperature, run.rate, T), rate, 1e-3 * top) << T;
    }
    // The top read from the signal as the Kissinger command reads it: a parabola over the top 80 %
    // of the skewed peak puts it a little below the top of dα/dt.
    EXPECT_NEAR(run.peakTemperature, simulated.temperature[topAt], 1.0);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(KineticsWorkbenchTest, AnEffectOffTheHeatingHasNoHeatingRate) {
    TPhysicalRun hold;
    for (double t = 0; t <= 1200; t += 0.5) {
        hold.time.push_back(t);
        hold.temperature.push_back(200);
        hold.signal.push_back(0.5 + std::exp(-0.5 * std::pow((t - 600) / 30, 2)));
    }
    auto d = std::make_unique<TDataClass>();
    std::vector<std::string> warnings;
    FillFromPhysicalRun(*d, hold, warnings);
    d->fFileName = "hold.dsc";
    EXPECT_EQ(Message([&] { HeatingRateAt(*d, 1200); }),
              "Эффект эксперимента hold.dsc лежит не на участке нагрева: скорость нагрева не определена");
    d->fHeatSpeed = 10;  // a rate the file records is taken as it stands
    EXPECT_DOUBLE_EQ(HeatingRateAt(*d, 1200), 10);
}

TEST_F(KineticsWorkbenchTest, DescribesLinesThatGoThroughTheirPoints) {
    const TKineticsWorkbench bench = Bench();
    const RPluginResults d = bench.Describe("bench 1");
    EXPECT_EQ(d.id, "bench 1");
    ASSERT_EQ(d.plots.size(), 7u);
    EXPECT_TRUE(d.warnings.empty());

    // E(α): each method's band holds its line.
    const RResultPlot& energy = d.plots[0];
    ASSERT_EQ(energy.series.size(), 12u);
    for (size_t k = 0; k < 12; k += 2) {
        const RResultSeries &band = energy.series[k], &line = energy.series[k + 1];
        ASSERT_EQ(band.style, TSeriesStyle::ssBand);
        EXPECT_EQ(band.colour, line.colour);
        for (size_t i = 0; i < line.y.size(); ++i) {
            EXPECT_LE(band.y[i], line.y[i]);
            EXPECT_GE(band.yHigh[i], line.y[i]);
            EXPECT_NEAR(line.y[i], 150, 0.6);
        }
    }
    // α(T): each level's mark lies on its run's curve, in °C.
    const RResultPlot& conversion = d.plots[1];
    ASSERT_EQ(conversion.series.size(), 8u);
    for (size_t r = 0; r < 4; ++r) {
        const RResultSeries &curve = conversion.series[2 * r], &marks = conversion.series[2 * r + 1];
        EXPECT_LE(curve.x.size(), 2001u);
        EXPECT_NEAR(curve.x.front(), 150, 0.1);
        ASSERT_EQ(marks.x.size(), 19u);
        for (size_t k = 0; k < marks.x.size(); ++k)
            EXPECT_NEAR(Interpolate(curve.x, curve.y, marks.x[k]), marks.y[k], 2e-3) << r << " " << k;
    }
    // The straight-line methods: every level's points on its fitted line, against 1000/T.
    for (size_t p = 2; p < 6; ++p) {
        const RResultPlot& lines = d.plots[p];
        ASSERT_EQ(lines.series.size(), 38u) << lines.title;
        for (size_t k = 0; k < 38; k += 2) {
            const RResultSeries &points = lines.series[k], &line = lines.series[k + 1];
            ASSERT_EQ(points.x.size(), 4u);
            for (size_t i = 0; i < 4; ++i) {
                EXPECT_GT(points.x[i], 1.5);  // 1000/T of 500 … 650 K
                EXPECT_LT(points.x[i], 2.1);
                EXPECT_NEAR(Interpolate(line.x, line.y, points.x[i]), points.y[i], 2e-3) << lines.title;
            }
        }
    }
    // Kissinger: ln(β/Tp²) of the runs on the line of E = 150 kJ/mol.
    const RResultPlot& kissinger = d.plots[6];
    const RResultSeries &points = kissinger.series[0], &line = kissinger.series[1];
    for (size_t i = 0; i < 4; ++i) {
        const double tp = 1000 / points.x[i];
        EXPECT_NEAR(points.y[i], std::log(kRates[i] / (tp * tp)), 1e-12);
        EXPECT_NEAR(Interpolate(line.x, line.y, points.x[i]), points.y[i], 1e-3);
    }
    EXPECT_NEAR((line.y[1] - line.y[0]) / (line.x[1] - line.x[0]) * GAS_CONSTANT, -150, 0.75);

    // The tables: α, four temperatures, E ± and R² of the four line methods, E ± of Vyazovkin's.
    ASSERT_EQ(d.tables.size(), 3u);
    const RResultTable& table = d.tables[0];
    EXPECT_EQ(table.columns.size(), 1u + 4 + 4 * 3 + 2 * 2);
    ASSERT_EQ(table.rows.size(), 19u);
    EXPECT_EQ(table.rows[9][0], "0,50");
    EXPECT_EQ(table.rows[9][5], "150,0");  // Friedman
    EXPECT_EQ(d.tables[2].rows[0][0], "b5.dsc");
    // The prediction on the run nearest the middle rate unless the operator chooses another.
    EXPECT_EQ(d.InputValue(kInputPredictRun), "β = 20 К/мин — b20.dsc");
    EXPECT_EQ(d.InputValue(kInputConversionStep), "0,05");
    EXPECT_TRUE(d.panels[0].lines.empty());
}

TEST_F(KineticsWorkbenchTest, AnalysesWithTheOptionsItIsGiven) {
    TKineticsWorkbench bench = Bench();
    const auto width = [&](TKineticMethod aMethod, size_t aLevel) {
        const RActivationEnergy& e = FindMethod(bench.Result(), aMethod)->levels.at(aLevel);
        return e.high - e.low;
    };
    const double wide = width(TKineticMethod::kmFriedman, 9);
    bench.Analyse(
        Inputs({{kInputConversionFrom, "0,1"}, {kInputConversionStep, "0,1"}, {kInputConfidence, "0,5"}}));
    ASSERT_EQ(bench.Result().conversions.size(), 9u);  // 0.1 … 0.9
    EXPECT_NEAR(bench.Result().conversions[4], 0.5, 1e-12);
    // Student's t for two degrees of freedom: t(0.75) / t(0.975) = 0.8165 / 4.3027.
    const double ratio = width(TKineticMethod::kmFriedman, 4) / wide;
    EXPECT_NEAR(ratio, 0.81650 / 4.30265, 0.002);
    EXPECT_EQ(bench.Describe("x").InputValue(kInputConfidence), "0,5");
    // The window shows again every field as it was entered with the button, the prediction's too.
    bench.Analyse(Inputs({{kInputPredictTemperature, "150"}}));
    EXPECT_EQ(bench.Describe("x").InputValue(kInputPredictTemperature), "150");
    EXPECT_EQ(bench.Describe("x").InputValue(kInputConfidence), "0,95");
    // E of exact data varies by a few tenths of a percent: a limit of 0.01 % calls that multi-step.
    EXPECT_FALSE(FindMethod(bench.Result(), TKineticMethod::kmKissingerAkahiraSunose)->multiStep);
    bench.Analyse(Inputs({{kInputMultiStepLimit, "0,01"}}));
    EXPECT_TRUE(FindMethod(bench.Result(), TKineticMethod::kmKissingerAkahiraSunose)->multiStep);
    ASSERT_FALSE(bench.Result().warnings.empty());
    EXPECT_NE(bench.Result().warnings.back().find("многостадийный"), std::string::npos);

    EXPECT_EQ(Message([&] {
                  bench.Analyse(Inputs({{kInputConversionFrom, "0,9"}, {kInputConversionTo, "0,1"}}));
              }),
              "Степень превращения «до» меньше степени превращения «от»");
    EXPECT_EQ(Message([&] {
                  bench.Analyse(Inputs({{kInputConfidence, "95"}}));
              }),
              "Значение поля «Доверительная вероятность» должно лежать между 0 и 1");
    EXPECT_EQ(Message([&] {
                  bench.Analyse(Inputs({{kInputMultiStepLimit, "-5"}}));
              }),
              "Значение поля «Предел многостадийности, %» должно быть больше нуля");
    EXPECT_EQ(Message([&] {
                  bench.Analyse(Inputs({{kInputConversionStep, "0,0001"}}));
              }),
              "Слишком много степеней превращения: увеличьте шаг");
    // A refused analysis leaves the last one.
    EXPECT_EQ(bench.Result().conversions.size(), 19u);
    EXPECT_TRUE(FindMethod(bench.Result(), TKineticMethod::kmKissingerAkahiraSunose)->multiStep);
}

// Isothermally at 150 °C a first-order reaction is half-way after ln 2 / k.
TEST_F(KineticsWorkbenchTest, PredictsWhatItsInputsAsk) {
    TKineticsWorkbench bench = Bench();
    const double exact = HalfLife(423.15);
    bench.Predict(Inputs({{kInputPredictTemperature, "150 °С"},
                          {kInputPredictRun, "b5.dsc"},
                          {kInputPredictMethod, "Фридман"}}),
                  TPredictionKind::pkTime);
    ASSERT_TRUE(bench.Prediction());
    const RPredictionSet& p = *bench.Prediction();
    EXPECT_EQ(p.run, 0u);
    EXPECT_DOUBLE_EQ(p.conversion, 0.5);
    ASSERT_EQ(p.methods.size(), 1u);
    EXPECT_NEAR(p.methods[0].value.value / exact, 1, 0.005);
    const RPluginResults d = bench.Describe("x");
    ASSERT_EQ(d.panels[0].lines.size(), 2u);
    EXPECT_EQ(d.panels[0].lines[1], "Фридман: " + DurationCaption(p.methods[0].value.value) + " (" +
                                        DurationCaption(p.methods[0].value.low) + " … " +
                                        DurationCaption(p.methods[0].value.high) + ")");
    EXPECT_EQ(d.InputValue(kInputPredictRun), "β = 5 К/мин — b5.dsc");

    // The temperature for that time, by every method.
    bench.Predict(Inputs({{kInputPredictTime, std::to_string(exact)}}), TPredictionKind::pkTemperature);
    ASSERT_EQ(bench.Prediction()->methods.size(), 6u);
    for (const RMethodPrediction& m : bench.Prediction()->methods)
        EXPECT_NEAR(m.value.value, 423.15, 0.5) << KineticMethodName(m.method);

    EXPECT_EQ(Message([&] {
                  bench.Predict(Inputs({{kInputPredictAlpha, "1,2"}}), TPredictionKind::pkTime);
              }),
              "Значение поля «Степень превращения» должно лежать между 0 и 1");
    EXPECT_EQ(Message([&] { bench.Predict(Inputs({}), TPredictionKind::pkTime); }),
              "Не заполнено поле «Температура, °С»");
    EXPECT_EQ(Message([&] {
                  bench.Predict(Inputs({{kInputPredictTemperature, "150"}, {kInputPredictMethod, "Нет"}}),
                                TPredictionKind::pkTime);
              }),
              "Нет метода «Нет»");
    EXPECT_EQ(Message([&] {
                  bench.Predict(Inputs({{kInputPredictTemperature, "150"}, {kInputPredictRun, "b7.dsc"}}),
                                TPredictionKind::pkTime);
              }),
              "Нет эксперимента «b7.dsc»");
    // Beyond the evaluated levels no method predicts: the first one's reason.
    EXPECT_EQ(Message([&] {
                  bench.Predict(Inputs({{kInputPredictTemperature, "150"}, {kInputPredictAlpha, "0,97"}}),
                                TPredictionKind::pkTime);
              }),
              "Степень превращения 0.970 вне рассчитанного диапазона");
    EXPECT_EQ(Message([&] {
                  bench.PredictAsked(Inputs({{kInputPredictTemperature, "150"}, {kInputPredictTime, "1y"}}));
              }),
              "Для прогноза задайте либо температуру, либо время, но не оба");
    // A refused prediction leaves the last one; a new analysis drops it.
    EXPECT_EQ(bench.Prediction()->kind, TPredictionKind::pkTemperature);
    bench.Analyse(Inputs({}));
    EXPECT_FALSE(bench.Prediction());
}
