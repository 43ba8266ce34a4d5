// The workbench's results as the program shows them: E(α) with its band per method, the runs' α(T)
// with the levels marked, the isoconversional lines of the straight-line methods, Kissinger's
// line, the tables, the panels of the prediction and of the options, and the warnings.

#include <algorithm>
#include <cmath>

#include "KineticsCaptions.h"
#include "KineticsTexts.h"
#include "KineticsWorkbench.h"

namespace kalvero::kinetics {
namespace {

// A run's α(T) is drawn from at most this many of its samples.
constexpr size_t kCurvePoints = 2000;

std::string Energy(double aValue) {
    return FixedCaption(aValue, 1);
}

std::string HalfWidth(double aLow, double aHigh) {
    return FixedCaption((aHigh - aLow) / 2, 2);
}

bool IsLineMethod(TKineticMethod aMethod) {
    return aMethod != TKineticMethod::kmVyazovkin && aMethod != TKineticMethod::kmAdvancedVyazovkin;
}

int MethodColour(TKineticMethod aMethod) {
    return static_cast<int>(aMethod);
}

RResultPlot EnergyPlot(const RKineticsResult& r) {
    RResultPlot plot{"Энергия активации E(α)", "α", "E, кДж/моль", {}};
    for (const RMethodEnergies& m : r.methods) {
        RResultSeries band{"", TSeriesStyle::ssBand, {}, {}, {}, MethodColour(m.method)};
        RResultSeries line{KineticMethodName(m.method) + ": Eср = " + Energy(m.meanEnergy) + " кДж/моль" +
                               (m.multiStep ? ", многостадийный" : ""),
                           TSeriesStyle::ssLinePoints,
                           {},
                           {},
                           {},
                           MethodColour(m.method)};
        for (const RActivationEnergy& e : m.levels) {
            band.x.push_back(e.conversion), band.y.push_back(e.low), band.yHigh.push_back(e.high);
            line.x.push_back(e.conversion), line.y.push_back(e.energy);
        }
        if (std::any_of(band.y.begin(), band.y.end(), [](double v) { return std::isfinite(v); }))
            plot.series.push_back(std::move(band));
        plot.series.push_back(std::move(line));
    }
    return plot;
}

RResultPlot ConversionPlot(const std::vector<RKineticRun>& aRuns, const RKineticsResult& r) {
    RResultPlot plot{"Степень превращения α(T)", "T, °С", "α", {}};
    for (size_t i = 0; i < aRuns.size(); ++i) {
        const RKineticRun& run = aRuns[i];
        const int colour = static_cast<int>(i);
        RResultSeries curve{RunCaption(run), TSeriesStyle::ssLine, {}, {}, {}, colour};
        const size_t n = run.temperature.size(), step = (n + kCurvePoints - 1) / kCurvePoints;
        for (size_t k = 0; k < n; k += step)
            curve.x.push_back(run.temperature[k] - kZeroCelsius), curve.y.push_back(run.conversion[k]);
        if ((n - 1) % step != 0)
            curve.x.push_back(run.temperature.back() - kZeroCelsius),
                curve.y.push_back(run.conversion.back());
        RResultSeries marks{"", TSeriesStyle::ssPoints, {}, {}, {}, colour};
        for (size_t k = 0; k < r.conversions.size(); ++k)
            marks.x.push_back(r.points[k][i].temperature - kZeroCelsius), marks.y.push_back(r.conversions[k]);
        plot.series.push_back(std::move(curve));
        plot.series.push_back(std::move(marks));
    }
    return plot;
}

// The points of every level and the line fitted through them, against 1000/T.
RResultPlot LinesPlot(const RMethodEnergies& m) {
    RResultPlot plot{
        "Изоконверсионные прямые: " + KineticMethodName(m.method), "1000/T, К⁻¹", LineOrdinate(m.method), {}};
    for (size_t k = 0; k < m.levels.size(); ++k) {
        const RActivationEnergy& e = m.levels[k];
        const int colour = static_cast<int>(k);
        RResultSeries points{
            "α = " + AlphaCaption(e.conversion), TSeriesStyle::ssPoints, {}, e.y, {}, colour};
        for (double x : e.x)
            points.x.push_back(1000 * x);
        plot.series.push_back(std::move(points));
        if (!std::isfinite(e.slope) || e.x.empty()) continue;
        const auto [lo, hi] = std::minmax_element(e.x.begin(), e.x.end());
        plot.series.push_back({"",
                               TSeriesStyle::ssLine,
                               {1000 * *lo, 1000 * *hi},
                               {e.slope * *lo + e.intercept, e.slope * *hi + e.intercept},
                               {},
                               colour});
    }
    return plot;
}

RResultPlot KissingerPlot(const RKineticsResult& r) {
    RResultPlot plot{"Киссинджер (ASTM E698)", "1000/Tпик, К⁻¹", "ln(β/Tпик²)", {}};
    RResultSeries points{"Эксперименты", TSeriesStyle::ssPoints, {}, {}, {}, 0};
    for (size_t i = 0; i < r.heatingRates.size(); ++i) {
        const double tp = r.peakTemperatures[i];
        points.x.push_back(1000 / tp), points.y.push_back(std::log(r.heatingRates[i] / (tp * tp)));
    }
    const auto [lo, hi] = std::minmax_element(points.x.begin(), points.x.end());
    // ln(β/Tp²) = −E/R · 1/Tp + intercept, against 1000/Tp: the slope per unit is −E (kJ/mol) / R.
    const double slope = -r.kissinger.activationEnergy / GAS_CONSTANT;
    RResultSeries line{"E = " + Energy(r.kissinger.activationEnergy) + " ± " +
                           FixedCaption(r.kissinger.halfWidth, 2) + " кДж/моль",
                       TSeriesStyle::ssLine,
                       {*lo, *hi},
                       {slope * *lo + r.kissinger.intercept, slope * *hi + r.kissinger.intercept},
                       {},
                       1};
    plot.series.push_back(std::move(points));
    plot.series.push_back(std::move(line));
    return plot;
}

RResultTable EnergyTable(const std::vector<RKineticRun>& aRuns, const RKineticsResult& r) {
    RResultTable table{"Энергия активации", {"α"}, {}};
    for (const RKineticRun& run : aRuns)
        table.columns.push_back("T при " + RateCaption(run.heatingRate) + " К/мин, °С");
    for (const RMethodEnergies& m : r.methods) {
        const std::string name = KineticMethodName(m.method);
        table.columns.push_back(name + ", кДж/моль");
        table.columns.push_back(name + " ±");
        if (IsLineMethod(m.method)) table.columns.push_back(name + " R²");
    }
    for (size_t k = 0; k < r.conversions.size(); ++k) {
        std::vector<std::string> row{AlphaCaption(r.conversions[k])};
        for (const RConversionPoint& p : r.points[k])
            row.push_back(FixedCaption(p.temperature - kZeroCelsius, 2));
        for (const RMethodEnergies& m : r.methods) {
            const RActivationEnergy& e = m.levels[k];
            row.push_back(Energy(e.energy));
            row.push_back(HalfWidth(e.low, e.high));
            if (IsLineMethod(m.method)) row.push_back(FixedCaption(e.r2, 5));
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

RResultTable SummaryTable(const RKineticsResult& r) {
    RResultTable table{
        "Сводка", {"Метод", "E, кДж/моль", "±, кДж/моль", "ln(A, с⁻¹)", "R²", "Примечание"}, {}};
    const std::string range = "среднее при α = 0,10…0,90";
    for (const RMethodEnergies& m : r.methods)
        table.rows.push_back({KineticMethodName(m.method), Energy(m.meanEnergy), "—", "—", "—",
                              m.multiStep ? range + "; процесс многостадийный" : range});
    const RKissingerResult& k = r.kissinger;
    table.rows.push_back({"Киссинджер (ASTM E698)", Energy(k.activationEnergy), FixedCaption(k.halfWidth, 2),
                          FixedCaption(std::log(k.preExponential), 2), FixedCaption(k.r2, 5),
                          "по температурам пиков"});
    return table;
}

RResultTable RunTable(const std::vector<RKineticRun>& aRuns, const RKineticsResult& r) {
    RResultTable table{"Эксперименты",
                       {"Эксперимент", "β, К/мин", "Начало эффекта, °С", "Конец эффекта, °С", "Tпик, °С"},
                       {}};
    for (size_t i = 0; i < aRuns.size(); ++i) {
        const RKineticRun& run = aRuns[i];
        table.rows.push_back({run.name, FixedCaption(run.heatingRate, 2),
                              FixedCaption(run.temperature.front() - kZeroCelsius, 2),
                              FixedCaption(run.temperature.back() - kZeroCelsius, 2),
                              FixedCaption(r.peakTemperatures[i] - kZeroCelsius, 2)});
    }
    return table;
}

std::string PredictedCaption(TPredictionKind aKind, double aValue) {
    return aKind == TPredictionKind::pkTime ? DurationCaption(aValue) : CelsiusCaption(aValue);
}

std::vector<std::string> PredictionLines(const std::vector<RKineticRun>& aRuns, const RPredictionSet& p) {
    const std::string on = " (по эксперименту " + RunCaption(aRuns[p.run]) + "):";
    std::vector<std::string> lines{p.kind == TPredictionKind::pkTime
                                       ? "Время достижения α = " + AlphaCaption(p.conversion) + " при " +
                                             CelsiusCaption(p.given) + on
                                       : "Температура, при которой α = " + AlphaCaption(p.conversion) +
                                             " достигается за " + DurationCaption(p.given) + on};
    for (const RMethodPrediction& m : p.methods) {
        std::string line = KineticMethodName(m.method) + ": ";
        if (!m.error.empty()) {
            line += m.error;
        } else {
            line += PredictedCaption(p.kind, m.value.value);
            if (std::isfinite(m.value.low))
                line += " (" + PredictedCaption(p.kind, m.value.low) + " … " +
                        PredictedCaption(p.kind, m.value.high) + ")";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

RPluginResults TKineticsWorkbench::Describe(const std::string& aId) const {
    const RKineticsResult& r = fResult;
    RPluginResults d;
    d.id = aId;
    d.title = "Изоконверсионный анализ";
    d.warnings = fRunWarnings;
    d.warnings.insert(d.warnings.end(), r.warnings.begin(), r.warnings.end());

    d.plots.push_back(EnergyPlot(r));
    d.plots.push_back(ConversionPlot(fRuns, r));
    for (const RMethodEnergies& m : r.methods)
        if (IsLineMethod(m.method)) d.plots.push_back(LinesPlot(m));
    d.plots.push_back(KissingerPlot(r));
    d.tables = {EnergyTable(fRuns, r), SummaryTable(r), RunTable(fRuns, r)};

    const auto input = [&](const char* aId, std::vector<std::string> aChoices = {}, std::string aHint = "") {
        return RResultInput{aId, InputCaption(aId), Input(aId), std::move(aChoices), std::move(aHint)};
    };
    std::vector<std::string> methods{kAllMethodsCaption}, runs;
    for (const RMethodEnergies& m : r.methods)
        methods.push_back(KineticMethodName(m.method));
    for (const RKineticRun& run : fRuns)
        runs.push_back(RunCaption(run));
    RResultPanel prediction{"Прогноз", {}, {}, {}};
    prediction.inputs = {input(kInputPredictMethod, methods), input(kInputPredictRun, runs),
                         input(kInputPredictAlpha),
                         input(kInputPredictTemperature, {}, "например 150 или 423,15 K"),
                         input(kInputPredictTime, {}, "например 30 мин, 8 ч, 1 год")};
    RResultInput& run = prediction.inputs[1];
    if (std::find(runs.begin(), runs.end(), run.value) == runs.end())
        run.value = runs[fPrediction ? fPrediction->run : MiddleRun(r.heatingRates)];
    prediction.actions = {{kActionPredictTime, "Рассчитать время"},
                          {kActionPredictTemperature, "Рассчитать температуру"}};
    if (fPrediction) prediction.lines = PredictionLines(fRuns, *fPrediction);
    RResultPanel options{"Параметры расчёта", {}, {{kActionAnalyse, "Пересчитать"}}, {}};
    options.inputs = {
        input(kInputConversionFrom), input(kInputConversionTo),
        input(kInputConversionStep), input(kInputConfidence),
        input(kInputMultiStepLimit), input(kInputAdvancedStep, {}, "пусто: шаг степени превращения")};
    d.panels = {std::move(prediction), std::move(options)};
    d.values = Values();
    return d;
}

}  // namespace kalvero::kinetics
