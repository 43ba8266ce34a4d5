#include "evaluation/GlassTransition.h"

#include <algorithm>

#include "evaluation/Fitting.h"

namespace kalvero::evaluation {
namespace {

constexpr size_t kMinItems = 16;

// Where two lines of the signal over temperature meet; NaN for parallel lines.
double Meet(const RLine& a, const RLine& b) {
    const double ds = a.slope - b.slope;
    if (!(std::abs(ds) > 1e-12 * (std::abs(a.slope) + std::abs(b.slope)))) return NAN;
    return (b.intercept - a.intercept) / ds;
}

// Where the parabola meets the line, the root nearest aNear; aNear itself when they do not meet.
double ParabolaMeetsLine(const RParabola& p, const RLine& aLine, double aNear) {
    // c2·u² + (c1 − slope)·u + (c0 − line(x0)) = 0 with u = T − x0
    const double a = p.c2, b = p.c1 - aLine.slope, c = p.c0 - aLine.At(p.x0);
    if (!std::isfinite(a) || !std::isfinite(b)) return aNear;
    if (std::abs(a) < 1e-300 || std::abs(a * c) < 1e-12 * b * b) return b != 0 ? p.x0 - c / b : aNear;
    const double disc = b * b - 4 * a * c;
    if (disc < 0) return aNear;
    const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    const double u1 = q / a, u2 = c / q;
    return std::abs(p.x0 + u1 - aNear) < std::abs(p.x0 + u2 - aNear) ? p.x0 + u1 : p.x0 + u2;
}

// A point of the construction at temperature aT on aLine, its index found near aHint.
RPoint OnLine(const TCurve& aCurve, TItemRange aRange, const RLine& aLine, double aT, double aHint) {
    if (!std::isfinite(aT)) return {};
    RPoint p = PointAt(aCurve, IndexOfTemperature(aCurve, aRange, aT, aHint), aLine.At(aT));
    p.temperature = aT;  // exact, not read back through the index
    return p;
}

// The steepest point of the step between aFirst and aLast: the top of dy/dT (window slopes,
// scored in the step's direction) as a fractional item index.
double SteepestPoint(const TCurve& aCurve, size_t aHalf, size_t aFirst, size_t aLast, double aSign,
                     bool& aAtEdge) {
    // Windows where the temperature hardly moves (a pause in the ramp) would give a huge ratio.
    const double typical = std::abs(aCurve.temperature[aLast + aHalf] - aCurve.temperature[aFirst - aHalf]) /
                           static_cast<double>(aLast - aFirst + 2 * aHalf);
    const double h = static_cast<double>(aHalf);
    const double minMoment = 0.2 * typical * h * (h + 1) * (2 * h + 1) / 3;
    const auto score = [aSign, minMoment](double my, double mT) {
        return std::abs(mT) < minMoment ? -INFINITY : aSign * my / mT;
    };
    return PeakOfTrace(WindowSlopeTrace({aCurve.signal}, {aCurve.temperature}, aHalf, aFirst, aLast, score),
                       0.9, &aAtEdge);
}

RGlassTransition Construct(const TCurve& aCurve, TItemRange aRange, TItemRange aBefore, TItemRange aAfter,
                           const TGlassTransitionOptions& aOptions) {
    const std::span<const double> T = aCurve.temperature, y = aCurve.signal;
    const int direction = TemperatureDirection(aCurve, aRange);
    if (direction == 0) throw EEvaluationError("Температура в диапазоне не меняется");
    if (aBefore.Count() < 2 || aAfter.Count() < 2 || aAfter.from < aBefore.to + 3)
        throw EEvaluationError("Участки базовых линий перекрываются или слишком коротки");

    RGlassTransition r;
    r.range = aRange;
    r.before = aBefore;
    r.after = aAfter;
    double rmsBefore = 0, rmsAfter = 0;
    r.baseBefore = FitLine(T, y, aBefore.from, aBefore.to, &rmsBefore);
    r.baseAfter = FitLine(T, y, aAfter.from, aAfter.to, &rmsAfter);

    // The steepest point is sought between the stretches, its window inside the range.
    const size_t half = AutoHalfWidth(aRange.Count(), aOptions.smoothingItems, aRange.Count() / 2);
    const size_t first = std::max(aBefore.to, aRange.from + half);
    const size_t last = std::min(aAfter.from, aRange.to - half);
    if (last < first) throw EEvaluationError("Между участками базовых линий нет места для ступени");
    const double middleT = 0.5 * (T[first] + T[last]);
    const double step = r.baseAfter.At(middleT) - r.baseBefore.At(middleT);
    const double sign = (step >= 0 ? 1.0 : -1.0) * direction;
    bool atEdge = false;
    const double inflectionIndex = SteepestPoint(aCurve, half, first, last, sign, atEdge);
    if (atEdge)
        r.warnings.push_back(
            "Наиболее крутая точка на краю участка ступени: расширьте диапазон "
            "или сократите участки базовых линий");

    const size_t c = std::clamp<size_t>(static_cast<size_t>(std::lround(inflectionIndex)), first, last);
    r.tangent = TangentAt(T, y, c, half, aRange.from, aRange.to);
    const double inflectionT = ValueAt(T, inflectionIndex);
    r.inflection = PointAt(aCurve, inflectionIndex, r.tangent.At(inflectionT));

    const double onsetT = Meet(r.baseBefore, r.tangent);
    const double endsetT = Meet(r.baseAfter, r.tangent);
    if (!std::isfinite(onsetT) || !std::isfinite(endsetT))
        r.warnings.push_back(
            "Касательная параллельна базовой линии: начало или конец перехода не определены");
    r.onset = OnLine(aCurve, aRange, r.tangent, onsetT, inflectionIndex);
    r.endset = OnLine(aCurve, aRange, r.tangent, endsetT, inflectionIndex);

    // The midpoint: the curve crosses the middle line at the crossing nearest the steepest point,
    // refined by the least-squares parabola of the window there, so that neither noise picks the
    // item nor the curvature of the step shifts it.
    const RLine middle{0.5 * (r.baseBefore.slope + r.baseAfter.slope),
                       0.5 * (r.baseBefore.intercept + r.baseAfter.intercept)};
    const double rough = NearestCrossing([&](size_t i) { return y[i] - middle.At(T[i]); }, c, first, last);
    double midT = NAN;
    if (std::isfinite(rough)) {
        const size_t k = static_cast<size_t>(std::lround(rough));
        const size_t from = std::max(aRange.from, k - std::min(k, half));
        midT = ParabolaMeetsLine(FitParabola(T, y, from, std::min(aRange.to, k + half)), middle,
                                 ValueAt(T, rough));
    } else {
        r.warnings.push_back("Кривая не пересекает среднюю линию ступени: середина перехода не определена");
    }
    r.midpoint = OnLine(aCurve, aRange, middle, midT, std::isfinite(rough) ? rough : inflectionIndex);
    if (std::isfinite(midT)) r.stepHeight = r.baseAfter.At(midT) - r.baseBefore.At(midT);

    r.rate = std::isfinite(aOptions.rate) ? aOptions.rate : MeanRate(aCurve, aRange);
    if (aOptions.mass > 0 && std::isfinite(r.rate) && r.rate != 0 && std::isfinite(r.stepHeight))
        r.deltaCp = 60.0 * std::abs(r.stepHeight) / (aOptions.mass * std::abs(r.rate));

    if (r.onset.Valid() && r.midpoint.Valid() && r.endset.Valid() &&
        !(r.onset.index <= r.midpoint.index && r.midpoint.index <= r.endset.index))
        r.warnings.push_back(
            "Характерные точки перехода идут не по порядку: проверьте участки базовых линий");
    if (std::isfinite(r.stepHeight) && std::abs(r.stepHeight) < 5 * std::max(rmsBefore, rmsAfter))
        r.warnings.push_back("Высота ступени сравнима с шумом: результат ненадёжен");

    // The drawing: both base lines running on to the far end of the transition, the tangent and
    // the middle line between onset and endset, the step height at the midpoint.
    const double startT = T[aRange.from], endT = T[aRange.to];
    const double farBefore = std::isfinite(endsetT) ? endsetT : inflectionT;
    const double farAfter = std::isfinite(onsetT) ? onsetT : inflectionT;
    // Each end found from an index near it: the range's ends, or the transition's points.
    const auto segment = [&](const RLine& aLine, double aT1, double aHint1, double aT2, double aHint2,
                             ESegmentRole aRole) {
        RSegment s{OnLine(aCurve, aRange, aLine, aT1, aHint1), OnLine(aCurve, aRange, aLine, aT2, aHint2),
                   aRole};
        if (s.a.Valid() && s.b.Valid()) r.drawing.segments.push_back(s);
    };
    const double from = static_cast<double>(aRange.from), to = static_cast<double>(aRange.to);
    const double farBeforeHint = std::isfinite(endsetT) ? r.endset.index : inflectionIndex;
    const double farAfterHint = std::isfinite(onsetT) ? r.onset.index : inflectionIndex;
    segment(r.baseBefore, startT, from, farBefore, farBeforeHint, ESegmentRole::BaseLine);
    segment(r.baseAfter, farAfter, farAfterHint, endT, to, ESegmentRole::BaseLine);
    segment(r.tangent, farAfter, farAfterHint, farBefore, farBeforeHint, ESegmentRole::Tangent);
    segment(middle, farAfter, farAfterHint, farBefore, farBeforeHint, ESegmentRole::MiddleLine);
    if (r.midpoint.Valid()) {
        RPoint low = r.midpoint, high = r.midpoint;
        low.value = r.baseBefore.At(midT);
        high.value = r.baseAfter.At(midT);
        r.drawing.segments.push_back({low, high, ESegmentRole::Height});
    }
    for (const auto& [point, label] : {std::pair{r.onset, "Teig"}, std::pair{r.midpoint, "Tmg"},
                                       std::pair{r.inflection, "Tig"}, std::pair{r.endset, "Tefg"}})
        if (point.Valid()) r.drawing.marks.push_back({point, label});
    return r;
}

}  // namespace

RGlassTransition EvaluateGlassTransition(const TCurve& aCurve, TItemRange aRange,
                                         const TGlassTransitionOptions& aOptions) {
    // The values are checked on the one pass the construction makes over them (the fits and the
    // derivative's block sums cover every item of the range).
    CheckShape(aCurve, aRange, kMinItems);
    const size_t n = aRange.Count();
    const double share = std::clamp(aOptions.stretchFraction, 0.0, 0.5);
    size_t k = aOptions.stretchItems > 0 ? aOptions.stretchItems
                                         : static_cast<size_t>(std::lround(share * static_cast<double>(n)));
    k = std::clamp<size_t>(k, 2, (n - 4) / 2);
    return Construct(aCurve, aRange, {aRange.from, aRange.from + k - 1}, {aRange.to - k + 1, aRange.to},
                     aOptions);
}

RGlassTransition EvaluateGlassTransitionBetween(const TCurve& aCurve, TItemRange aBefore, TItemRange aAfter,
                                                const TGlassTransitionOptions& aOptions) {
    if (aBefore.from > aBefore.to || aAfter.from > aAfter.to)
        throw EEvaluationError("Участки базовых линий заданы неверно");
    const TItemRange range{aBefore.from, aAfter.to};
    CheckShape(aCurve, range, kMinItems);
    return Construct(aCurve, range, aBefore, aAfter, aOptions);
}

}  // namespace kalvero::evaluation
