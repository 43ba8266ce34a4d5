#include "evaluation/Purity.h"

#include <algorithm>

#include "evaluation/Fitting.h"
#include "evaluation/PeakIntegral.h"

namespace kalvero::evaluation {
namespace {

constexpr size_t kMinItems = 16;

struct TVantHoffFit {
    RLine line;
    double rss = NAN;
    double rSquared = NAN;
};

// Ts over (A + c)/(a + c) for the partial areas aPartial of the detected area aArea.
TVantHoffFit FitWith(double c, double aArea, const std::vector<double>& aPartial,
                     const std::vector<double>& aTs) {
    const size_t n = aPartial.size();
    std::vector<double> x(n);
    for (size_t j = 0; j < n; ++j)
        x[j] = (aArea + c) / (aPartial[j] + c);
    TVantHoffFit f;
    double rms = 0;
    f.line = FitLine(x, aTs, 0, n - 1, &rms);
    f.rss = rms * rms * static_cast<double>(n);
    double mean = 0, total = 0;
    for (double v : aTs)
        mean += v / static_cast<double>(n);
    for (double v : aTs)
        total += (v - mean) * (v - mean);
    f.rSquared = total > 0 ? 1 - f.rss / total : 1;
    return f;
}

// The c ≥ 0 up to aLimit that makes the plot straightest: a scan for the bracket of the least
// residual, then golden sections within it.
double Linearise(double aArea, double aLimit, const std::vector<double>& aPartial,
                 const std::vector<double>& aTs) {
    const auto rss = [&](double c) { return FitWith(c, aArea, aPartial, aTs).rss; };
    constexpr int kSteps = 400;
    int best = 0;
    double bestRss = rss(0);
    for (int k = 1; k <= kSteps; ++k) {
        const double v = rss(aLimit * k / kSteps);
        if (v < bestRss) {
            bestRss = v;
            best = k;
        }
    }
    double lo = aLimit * std::max(0, best - 1) / kSteps, hi = aLimit * std::min(kSteps, best + 1) / kSteps;
    const double g = (std::sqrt(5.0) - 1) / 2;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo), ra = rss(a), rb = rss(b);
    while (hi - lo > 1e-12 * std::max(aArea, 1e-300)) {
        if (ra < rb) {
            hi = b;
            b = a;
            rb = ra;
            a = hi - g * (hi - lo);
            ra = rss(a);
        } else {
            lo = a;
            a = b;
            ra = rb;
            b = lo + g * (hi - lo);
            rb = rss(b);
        }
    }
    const double c = 0.5 * (lo + hi);
    return rss(c) <= bestRss ? c : aLimit * best / kSteps;
}

}  // namespace

RPurity EvaluatePurity(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine,
                       double aMass, double aMolarMass, const TPurityOptions& aOptions) {
    CheckCurve(aCurve, aRange, kMinItems);
    CheckBaseLine(aRange, aBaseLine);
    if (!(aMass > 0)) throw EEvaluationError("Не задана масса навески");
    if (!(aMolarMass > 0)) throw EEvaluationError("Не задана молярная масса основного компонента");
    if (!(aOptions.fractionFrom > 0 && aOptions.fractionFrom < aOptions.fractionTo &&
          aOptions.fractionTo <= 1) ||
        aOptions.points < 3)
        throw EEvaluationError("Доли расплава для расчёта чистоты заданы неверно");

    RPurity r;
    r.range = aRange;
    std::vector<double> areas = RunningArea(aCurve, aRange, aBaseLine);
    const double signedArea = areas.back();
    if (!(std::abs(signedArea) > 0)) throw EEvaluationError("Площадь пика плавления равна нулю");
    const double direction = signedArea > 0 ? 1 : -1;
    r.area = std::abs(signedArea);
    const std::span<const double> T = aCurve.temperature, y = aCurve.signal;
    const auto heatFlow = [&](double aIndex) {  // into the sample, above the base line
        const double k = aIndex - static_cast<double>(aRange.from);
        return direction * (ValueAt(y, aIndex) - ValueAt(aBaseLine, k));
    };
    const double lag =
        std::isfinite(aOptions.lagSlope) && aOptions.lagSlope != 0 ? std::abs(aOptions.lagSlope) : NAN;

    // The points at evenly spaced fractions of the detected area, read between items.
    std::vector<double> partial, ts;
    size_t k = 0;
    for (int j = 0; j < aOptions.points; ++j) {
        const double fraction =
            aOptions.fractionFrom + (aOptions.fractionTo - aOptions.fractionFrom) * j / (aOptions.points - 1);
        const double target = fraction * r.area;
        while (k + 1 < areas.size() && direction * areas[k + 1] < target)
            ++k;
        if (k + 1 >= areas.size()) break;
        const double a0 = direction * areas[k], a1 = direction * areas[k + 1];
        const double f = a1 != a0 ? std::clamp((target - a0) / (a1 - a0), 0.0, 1.0) : 0.0;
        const double index = static_cast<double>(aRange.from + k) + f;
        double sampleT = ValueAt(T, index);
        if (std::isfinite(lag)) sampleT -= heatFlow(index) / lag;
        partial.push_back(target);
        ts.push_back(sampleT);
        r.measured.push_back({1 / fraction, sampleT, index});
    }
    if (partial.size() < 3)
        throw EEvaluationError("Слишком мало точек для построения зависимости Вант-Гоффа");

    r.rSquaredBefore = FitWith(0, r.area, partial, ts).rSquared;
    r.correctionArea = Linearise(r.area, aOptions.maxCorrection * r.area, partial, ts);
    const TVantHoffFit fit = FitWith(r.correctionArea, r.area, partial, ts);
    r.fit = fit.line;
    r.rSquared = fit.rSquared;
    r.correction = 100 * r.correctionArea / r.area;
    for (size_t j = 0; j < partial.size(); ++j)
        r.corrected.push_back(
            {(r.area + r.correctionArea) / (partial[j] + r.correctionArea), ts[j], r.measured[j].index});

    r.meltingPoint = r.fit.intercept;
    r.depression = -r.fit.slope;
    r.heatOfFusion = (r.area + r.correctionArea) / aMass;  // mJ/mg = J/g
    r.molarHeat = r.heatOfFusion * aMolarMass;
    const double t0 = r.meltingPoint + KELVIN_OFFSET;
    r.impurity = 100 * r.depression * r.molarHeat / (GAS_CONSTANT * t0 * t0);
    r.purity = 100 - r.impurity;

    if (!(r.depression > 0))
        r.warnings.push_back(
            "Температура образца не растёт с долей расплава: пик не похож на плавление с примесью");
    if (r.purity < 98.5) r.warnings.push_back("Чистота ниже 98,5 мол. %: результат ненадёжен");
    if (r.correction > 20)
        r.warnings.push_back("Поправка линеаризации больше 20 % площади пика: результат ненадёжен");
    if (r.correctionArea >= 0.999 * aOptions.maxCorrection * r.area)
        r.warnings.push_back("Поправка линеаризации достигла предела поиска");

    for (const RVantHoffPoint* p : {&r.measured.front(), &r.measured.back()}) {
        const std::string label = "F " + std::to_string(std::lround(100 / p->inverseFraction)) + " %";
        r.drawing.marks.push_back({PointAt(aCurve, p->index, ValueAt(y, p->index)), label});
    }
    return r;
}

}  // namespace kalvero::evaluation
