#include "evaluation/PeakTemperatures.h"

#include <algorithm>

#include "evaluation/Fitting.h"

namespace kalvero::evaluation {
namespace {

constexpr size_t kMinItems = 16;

class TPeakConstruction {
public:
    TPeakConstruction(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBase,
                      const TPeakOptions& aOptions)
        : fCurve(aCurve), fRange(aRange), fBase(aBase), fOptions(aOptions) {}

    RPeakTemperatures Evaluate() {
        fResult.range = fRange;
        FindTop();
        EstimateNoise();
        // The edges' half widths from the plain top, in items: they size the windows below.
        const double rawHalf = 0.5 * std::abs(Dev(fTop));
        const double leadWidth = static_cast<double>(fTop) - Outward(fTop, -1, rawHalf, 0);
        const double trailWidth = Outward(fTop, +1, rawHalf, 0) - static_cast<double>(fTop);
        RefineTop(std::min(leadWidth, trailWidth));
        fResult.threshold =
            std::max(fOptions.noiseFactor * fResult.noise, fOptions.minFraction * std::abs(fResult.height));
        const size_t leadHalf = EdgeHalf(leadWidth), trailHalf = EdgeHalf(trailWidth);
        // Where noise sets the threshold the levels are read on the deviation averaged over the
        // edge's window, or a dip of noise would end the peak early; a quiet curve is read as it is.
        const double noisy = std::min(1.0, fOptions.noiseFactor * fResult.noise / fResult.threshold);
        const size_t leadMean = static_cast<size_t>(std::lround(noisy * static_cast<double>(leadHalf)));
        const size_t trailMean = static_cast<size_t>(std::lround(noisy * static_cast<double>(trailHalf)));
        fResult.initial = Deviation(Outward(fTop, -1, fResult.threshold, leadMean),
                                    "Начало пика не отделено от базовой линии: расширьте диапазон");
        fResult.final = Deviation(Outward(fTop, +1, fResult.threshold, trailMean),
                                  "Конец пика не отделён от базовой линии: расширьте диапазон");
        const double half = 0.5 * std::abs(fResult.height);
        fResult.halfLeft = Deviation(Outward(fTop, -1, half, leadMean), "");
        fResult.halfRight = Deviation(Outward(fTop, +1, half, trailMean), "");
        if (fResult.halfLeft.Valid() && fResult.halfRight.Valid()) {
            fResult.halfWidthTime = fResult.halfRight.time - fResult.halfLeft.time;
            fResult.halfWidthTemperature =
                std::abs(fResult.halfRight.temperature - fResult.halfLeft.temperature);
        }
        fResult.onset = Edge(leadHalf, -1, fResult.leadingTangent);
        fResult.endset = Edge(trailHalf, +1, fResult.trailingTangent);
        Draw();
        return std::move(fResult);
    }

private:
    double Base(size_t i) const { return fBase[i - fRange.from]; }
    double Dev(size_t i) const { return fCurve.signal[i] - Base(i); }
    double Signed(size_t i) const { return fResult.direction * Dev(i); }

    void FindTop() {
        double best = -1;
        for (size_t i = fRange.from; i <= fRange.to; ++i)
            if (std::abs(Dev(i)) > best) {
                best = std::abs(Dev(i));
                fTop = i;
            }
        if (!(best > 0)) throw EEvaluationError("Кривая не отходит от базовой линии: пика нет");
        fResult.direction = Dev(fTop) > 0 ? 1 : -1;
    }

    // σ from the first differences of the deviation over the outer tenths of the range, pooled
    // (their median ignores the part of a peak that reaches into one of them).
    void EstimateNoise() {
        const size_t m = std::max<size_t>(8, fRange.Count() / 10);
        std::vector<double> d;
        for (size_t i = fRange.from; i < std::min(fRange.to, fRange.from + m); ++i)
            d.push_back(Dev(i + 1) - Dev(i));
        for (size_t i = fRange.to - std::min(fRange.Count() - 1, m); i < fRange.to; ++i)
            d.push_back(Dev(i + 1) - Dev(i));
        fResult.noise = NoiseOfDifferences(d);
    }

    // The top by a least-squares parabola over time around the largest deviation. Its half-width
    // is where a Gaussian of the peak's width falls by ten σ of noise from its top, so a quiet
    // curve is read from three items and a noisy one is averaged over as many as the noise needs;
    // the window is centred once more on the first parabola's top.
    void RefineTop(double aEdgeWidth) {
        const double sigmaItems = std::max(1.0, aEdgeWidth / 1.1774);
        const double reach = sigmaItems * std::sqrt(20 * fResult.noise / std::abs(Dev(fTop)));
        const size_t k = static_cast<size_t>(std::clamp(std::round(reach), 1.0, sigmaItems));
        double index = static_cast<double>(fTop), deviation = Dev(fTop);
        size_t centre = fTop;
        for (int pass = 0; pass < 2; ++pass) {
            const size_t lo = centre - std::min(k, centre - fRange.from);
            const size_t hi = std::min(fRange.to, centre + k);
            if (hi - lo < 2) break;
            std::vector<double> x, d;
            for (size_t i = lo; i <= hi; ++i) {
                x.push_back(fCurve.time[i]);
                d.push_back(Dev(i));
            }
            const RParabola p = FitParabola(x, d, 0, x.size() - 1);
            const double tp = p.VertexX();
            if (!std::isfinite(tp) || tp < x.front() || tp > x.back() || !(fResult.direction * p.c2 < 0))
                break;
            index = IndexOfTime(fCurve, fRange, tp);
            deviation = p.At(tp);
            centre = static_cast<size_t>(std::lround(index));
        }
        fResult.height = deviation;
        fResult.top =
            PointAt(fCurve, index, ValueAt(fBase, index - static_cast<double>(fRange.from)) + deviation);
    }

    // The half-width of an edge's derivative window: given, or a quarter of the edge's half width
    // (wide enough to average noise; TangentAt takes out the error of the window's width).
    size_t EdgeHalf(double aEdgeWidth) const {
        if (fOptions.smoothingItems > 0) return fOptions.smoothingItems;
        return std::max<size_t>(2, static_cast<size_t>(std::lround(aEdgeWidth / 4)));
    }

    // From the top outwards (aStep −1 or +1), the fractional index where the signed deviation,
    // averaged over aMean items on either side, first falls to aLevel; the range's end when it
    // never does (marked by fAtEnd).
    double Outward(size_t aStart, int aStep, double aLevel, size_t aMean) {
        fAtEnd = false;
        TLocalMean mean(*this, aStart, aMean);
        size_t i = aStart;
        double a = mean.Value();
        while (true) {
            if (aStep < 0 ? i == fRange.from : i == fRange.to) {
                fAtEnd = true;
                return static_cast<double>(i);
            }
            mean.Move(aStep);
            const double b = mean.Value();
            if (b <= aLevel) {
                const double f = a != b ? (a - aLevel) / (a - b) : 0.0;
                return static_cast<double>(i) + aStep * f;
            }
            a = b;
            i = aStep < 0 ? i - 1 : i + 1;
        }
    }

    // The mean of the signed deviation over c − m … c + m within the range, moved one item at a time.
    class TLocalMean {
    public:
        TLocalMean(const TPeakConstruction& aPeak, size_t aCentre, size_t aHalf)
            : fPeak(aPeak),
              fHalf(static_cast<std::ptrdiff_t>(aHalf)),
              fCentre(static_cast<std::ptrdiff_t>(aCentre)) {
            fLo = Lo(fCentre);
            fHi = Hi(fCentre);
            for (std::ptrdiff_t i = fLo; i <= fHi; ++i)
                fSum += At(i);
        }
        double Value() const { return fSum / static_cast<double>(fHi - fLo + 1); }
        void Move(int aStep) {
            fCentre += aStep;
            const std::ptrdiff_t lo = Lo(fCentre), hi = Hi(fCentre);
            for (; fLo < lo; ++fLo)
                fSum -= At(fLo);
            for (; fLo > lo;)
                fSum += At(--fLo);
            for (; fHi < hi;)
                fSum += At(++fHi);
            for (; fHi > hi; --fHi)
                fSum -= At(fHi);
        }

    private:
        double At(std::ptrdiff_t i) const { return fPeak.Signed(static_cast<size_t>(i)); }
        std::ptrdiff_t Lo(std::ptrdiff_t c) const {
            return std::max(c - fHalf, static_cast<std::ptrdiff_t>(fPeak.fRange.from));
        }
        std::ptrdiff_t Hi(std::ptrdiff_t c) const {
            return std::min(c + fHalf, static_cast<std::ptrdiff_t>(fPeak.fRange.to));
        }
        const TPeakConstruction& fPeak;
        std::ptrdiff_t fHalf, fCentre, fLo = 0, fHi = -1;
        double fSum = 0;
    };

    // The curve's point at an index found by Outward, with a warning when it stopped at the end.
    RPoint Deviation(double aIndex, const char* aWarningAtEnd) {
        if (fAtEnd && *aWarningAtEnd) fResult.warnings.push_back(aWarningAtEnd);
        if (fAtEnd && !*aWarningAtEnd) return {};
        return PointAt(fCurve, aIndex, ValueAt(fCurve.signal, aIndex));
    }

    // The extrapolated onset (aSide −1) or end (+1): the tangent at the steepest point of the edge,
    // where it meets the base line (extended straight beyond the range when it does not meet it
    // within).
    RPoint Edge(size_t aHalf, int aSide, RLine& aTangent) {
        const size_t half = std::min(aHalf, (fRange.Count() - 1) / 2);
        const size_t first = aSide < 0 ? fRange.from + half : std::max(fTop, fRange.from + half);
        const size_t last = aSide < 0 ? std::min(fTop, fRange.to - half) : fRange.to - half;
        if (last <= first) {
            fResult.warnings.push_back("Край пика слишком короток для касательной");
            return {};
        }
        const TValues deviation{fCurve.signal, fBase, fRange.from};
        const double sign = -aSide * fResult.direction;
        bool atEdge = false;
        const double steepest =
            PeakOfTrace(WindowSlopeTrace(deviation, {fCurve.time}, half, first, last,
                                         [sign](double md, double mt) { return sign * md / mt; }),
                        0.7, &atEdge);
        if (atEdge) fResult.warnings.push_back("Точка перегиба на краю пика не найдена внутри диапазона");
        const size_t c = std::clamp<size_t>(static_cast<size_t>(std::lround(steepest)), first, last);
        aTangent = TangentAt(fCurve.time, fCurve.signal, c, half, fRange.from, fRange.to);
        const std::span<const double> t = fCurve.time;
        const double crossing = FirstCrossing([&](size_t i) { return aTangent.At(t[i]) - Base(i); }, c,
                                              aSide < 0 ? fRange.from : fRange.to);
        if (std::isfinite(crossing)) return PointAt(fCurve, crossing, aTangent.At(ValueAt(t, crossing)));
        // Beyond the range: the base line continued straight from its last tenth at that end.
        const size_t far = aSide < 0 ? fRange.from : fRange.to;
        const size_t near = aSide < 0 ? far + std::max<size_t>(1, fRange.Count() / 10)
                                      : far - std::max<size_t>(1, fRange.Count() / 10);
        const double slope = (Base(near) - Base(far)) / (t[near] - t[far]);
        const RLine extended{slope, Base(far) - slope * t[far]};
        const double ds = aTangent.slope - extended.slope;
        if (ds == 0) {
            fResult.warnings.push_back("Касательная параллельна базовой линии");
            return {};
        }
        const double te = (extended.intercept - aTangent.intercept) / ds;
        return PointAt(fCurve, IndexOfTime(fCurve, fRange, te), aTangent.At(te));
    }

    void Draw() {
        const double topValue = fResult.top.value;
        const auto tangent = [&](const RPoint& aFrom, const RLine& aLine) {
            if (!aFrom.Valid() || !aLine.Valid() || aLine.slope == 0) return;
            const double te = (topValue - aLine.intercept) / aLine.slope;
            fResult.drawing.segments.push_back(
                {aFrom, PointAt(fCurve, IndexOfTime(fCurve, fRange, te), topValue), ESegmentRole::Tangent});
        };
        tangent(fResult.onset, fResult.leadingTangent);
        tangent(fResult.endset, fResult.trailingTangent);
        RPoint foot = fResult.top;
        foot.value = topValue - fResult.height;
        fResult.drawing.segments.push_back({foot, fResult.top, ESegmentRole::Height});
        if (fResult.halfLeft.Valid() && fResult.halfRight.Valid())
            fResult.drawing.segments.push_back({fResult.halfLeft, fResult.halfRight, ESegmentRole::Height});
        for (const auto& [point, label] :
             {std::pair{fResult.initial, "Ti"}, std::pair{fResult.onset, "Tei"}, std::pair{fResult.top, "Tp"},
              std::pair{fResult.endset, "Tef"}, std::pair{fResult.final, "Tf"}})
            if (point.Valid()) fResult.drawing.marks.push_back({point, label});
    }

    const TCurve& fCurve;
    TItemRange fRange;
    std::span<const double> fBase;
    const TPeakOptions& fOptions;
    size_t fTop = 0;
    bool fAtEnd = false;
    RPeakTemperatures fResult;
};

}  // namespace

RPeakTemperatures EvaluatePeakTemperatures(const TCurve& aCurve, TItemRange aRange,
                                           std::span<const double> aBaseLine, const TPeakOptions& aOptions) {
    CheckCurve(aCurve, aRange, kMinItems);
    CheckBaseLine(aRange, aBaseLine);
    return TPeakConstruction(aCurve, aRange, aBaseLine, aOptions).Evaluate();
}

}  // namespace kalvero::evaluation
