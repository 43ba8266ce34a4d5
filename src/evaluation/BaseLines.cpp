#include "evaluation/BaseLines.h"

#include <algorithm>

#include "evaluation/Fitting.h"

namespace kalvero::evaluation {
namespace {

// The sigmoidal iteration first runs on a coarse copy (node values at most this many blocks
// apart), which costs little however long the record, then finishes at full resolution where the
// coarse copy is too coarse for the peak.
constexpr size_t kMaxBlocks = 1 << 14;

double MarginLevel(std::span<const double> aY, size_t aFrom, size_t aTo, size_t aCount, bool aLeft) {
    const size_t count = std::clamp<size_t>(aCount, 1, (aTo - aFrom + 1) / 2);
    double sum = 0;
    for (size_t k = 0; k < count; ++k)
        sum += aY[aLeft ? aFrom + k : aTo - k];
    return sum / static_cast<double>(count);
}

RLine Through(double aT1, double aY1, double aT2, double aY2) {
    const double slope = (aY2 - aY1) / (aT2 - aT1);
    return {slope, aY1 - slope * aT1};
}

TItemRange StretchOf(TItemRange aRange, const std::optional<TItemRange>& aGiven,
                     const TBaseLineOptions& aOptions, bool aLeft) {
    if (aGiven) {
        if (aGiven->from > aGiven->to || !aRange.Contains(aGiven->from) || !aRange.Contains(aGiven->to) ||
            aGiven->Count() < 2)
            throw EEvaluationError("Участок базовой линии вне диапазона пика");
        return *aGiven;
    }
    const size_t n = aRange.Count();
    size_t k = aOptions.stretchItems > 0
                   ? aOptions.stretchItems
                   : static_cast<size_t>(std::lround(aOptions.stretchFraction * static_cast<double>(n)));
    k = std::clamp<size_t>(k, 2, n / 2);
    return aLeft ? TItemRange{aRange.from, aRange.from + k - 1} : TItemRange{aRange.to - k + 1, aRange.to};
}

// ∫ f·g over an interval of length aWidth where f and g are straight between their end values.
double ProductIntegral(double f0, double f1, double g0, double g1, double aWidth) {
    return aWidth * (2 * f0 * g0 + f0 * g1 + f1 * g0 + 2 * f1 * g1) / 6;
}

// The fixed point b = L1 + α·(L2 − L1), α(i) the share of the area between the curve and b up to
// item i. With D = L2 − L1 and p = y − L1 the area up to i is P(i) − Q(i), P the integral of p
// and Q that of α·D, so one iteration is α ← (P − Q) / (P − Q)(end).
class TSigmoidalSolver {
public:
    TSigmoidalSolver(const TCurve& aCurve, TItemRange aRange, const RLine& aFirst, const RLine& aSecond)
        : fT(aCurve.time.subspan(aRange.from, aRange.Count())),
          fY(aCurve.signal.subspan(aRange.from, aRange.Count())),
          fFirst(aFirst),
          fSecond(aSecond) {}

    void Solve(const TBaseLineOptions& aOptions, RBaseLine& aResult) {
        Summarise();
        const double tolerance = std::max(aOptions.tolerance, 1e-14) * fHeight;
        std::vector<double> alpha(fNodes.size()), next(fNodes.size());
        for (size_t m = 0; m < fNodes.size(); ++m)
            alpha[m] = (fNodeT[m] - fT.front()) / (fT.back() - fT.front());
        int iterations = 0;
        bool converged = false;
        while (iterations < aOptions.maxIterations && !converged) {
            const double total = NodeAreas(alpha, next);
            double delta = 0;
            for (size_t m = 0; m < fNodes.size(); ++m) {
                next[m] /= total;
                delta = std::max(delta, std::abs(next[m] - alpha[m]) * std::abs(fNodeD[m]));
            }
            alpha.swap(next);
            ++iterations;
            converged = delta <= tolerance;
        }
        std::vector<double>& b = aResult.values;
        std::vector<double> perItem(fNodes.size() - 1);
        double bend = 0, reach = 0;
        for (size_t m = 0; m + 1 < fNodes.size(); ++m) {
            perItem[m] = (alpha[m + 1] - alpha[m]) / static_cast<double>(fNodes[m + 1] - fNodes[m]);
            if (m > 0) bend = std::max(bend, std::abs(alpha[m + 1] - 2 * alpha[m] + alpha[m - 1]));
            reach = std::max(reach, std::abs(fNodeD[m]));
        }
        const auto coarse = [&](size_t aBlock, size_t i) {
            return alpha[aBlock] + static_cast<double>(i - fNodes[aBlock]) * perItem[aBlock];
        };
        // Between the nodes α is straight: its error there is an eighth of the bend between
        // neighbouring blocks. Where every item is a node, or that error is within the
        // tolerance, the coarse α is the answer and the base line is written from it without
        // reading the curve again; otherwise the iteration goes on at full resolution from it
        // while the base line still moves.
        if (fNodes.size() == fT.size() || bend / 8 * reach <= tolerance) {
            Write(coarse, b);
        } else {
            double delta = FinePass<true>(
                [&](size_t aBlock, size_t i, double, double aD) { return coarse(aBlock, i) * aD; },
                NodeAreas(alpha, next), b);
            ++iterations;
            while (delta > tolerance && iterations < aOptions.maxIterations) {
                delta = FinePass<false>([&](size_t, size_t i, double aL1, double) { return b[i] - aL1; },
                                        fAreaEnd - fNextQ, b);
                ++iterations;
            }
            converged = delta <= tolerance;
        }
        aResult.iterations = iterations;
        aResult.converged = converged;
    }

private:
    double D(double aT) const { return fSecond.At(aT) - fFirst.At(aT); }
    double P(size_t i) const { return fY[i] - fFirst.At(fT[i]); }

    // One pass over the record: the nodes, P at each node, the area P(end) and the reach of the
    // curve from the first line. The values are checked on the way: an invalid one makes the area
    // invalid, and time must increase.
    void Summarise() {
        const size_t n = fT.size();
        const size_t blocks = std::min(n - 1, kMaxBlocks);
        fNodes.resize(blocks + 1);
        for (size_t m = 0; m <= blocks; ++m)
            fNodes[m] = static_cast<size_t>(std::lround(static_cast<double>(m) * static_cast<double>(n - 1) /
                                                        static_cast<double>(blocks)));
        fNodeT.assign(blocks + 1, 0);
        fNodeP.assign(blocks + 1, 0);
        fNodeD.assign(blocks + 1, 0);
        const double span = fT.back() - fT.front();
        const double s1 = fFirst.slope, i1 = fFirst.intercept;
        const double* t = fT.data();
        const double* y = fY.data();
        // Time sampled at a fixed step is noted, so the base line can be written without reading it.
        const double step = span / static_cast<double>(n - 1), slack = 1e-9 * step;
        double area = 0, highest = 0, lowest = 0, level = 0, previous = P(0);
        bool increasing = true, uniform = true;
        // Items in pairs: the running sum takes one addition per pair, the two trapezoids being
        // added together first, so the chain of additions is half as long.
        for (size_t m = 0; m < blocks; ++m) {
            size_t i = fNodes[m];
            const size_t end = fNodes[m + 1];
            for (; i + 2 <= end; i += 2) {
                const double pa = y[i + 1] - (s1 * t[i + 1] + i1), pb = y[i + 2] - (s1 * t[i + 2] + i1);
                const double dta = t[i + 1] - t[i], dtb = t[i + 2] - t[i + 1];
                area += 0.5 * ((previous + pa) * dta + (pa + pb) * dtb);
                highest = std::max(highest, std::max(pa, pb));
                lowest = std::min(lowest, std::min(pa, pb));
                increasing = increasing && dta > 0 && dtb > 0;
                uniform = uniform && std::abs(dta - step) <= slack && std::abs(dtb - step) <= slack;
                previous = pb;
            }
            if (i < end) {
                const double p = y[i + 1] - (s1 * t[i + 1] + i1), dt = t[i + 1] - t[i];
                area += 0.5 * (previous + p) * dt;
                highest = std::max(highest, p);
                lowest = std::min(lowest, p);
                increasing = increasing && dt > 0;
                uniform = uniform && std::abs(dt - step) <= slack;
                previous = p;
            }
            fNodeP[m + 1] = area;
            level = std::max(level, std::abs(fY[fNodes[m]]));
        }
        if (!std::isfinite(area)) ThrowInvalidValues();
        if (!increasing) throw EEvaluationError("Время в диапазоне должно возрастать");
        fStep = uniform ? step : 0;
        for (size_t m = 0; m <= blocks; ++m) {
            fNodeT[m] = fT[fNodes[m]];
            fNodeD[m] = D(fNodeT[m]);
        }
        fAreaEnd = area;
        // The scale of the tolerance: the curve's reach from the first line either way, which is
        // the peak's height give or take the step between the lines.
        fHeight = std::max(highest, -lowest);
        if (!(fHeight > 1e-12 * level) || !(std::abs(area) > 1e-12 * fHeight * span))
            throw EEvaluationError(
                "Над базовой линией нет площади пика: сигмоидальная базовая линия не определена");
    }

    // aAreas[m] = P − Q at node m for the node values aAlpha (straight between nodes); returns the
    // area at the end.
    double NodeAreas(const std::vector<double>& aAlpha, std::vector<double>& aAreas) const {
        double q = 0;
        aAreas[0] = 0;
        for (size_t m = 0; m + 1 < fNodes.size(); ++m) {
            q += ProductIntegral(aAlpha[m], aAlpha[m + 1], fNodeD[m], fNodeD[m + 1],
                                 fNodeT[m + 1] - fNodeT[m]);
            aAreas[m + 1] = fNodeP[m + 1] - q;
        }
        const double total = aAreas.back();
        if (!(std::abs(total) > 1e-12 * fHeight * (fT.back() - fT.front())))
            throw EEvaluationError(
                "Площадь пика над базовой линией исчезает: сигмоидальная базовая линия не определена");
        return total;
    }

    // One iteration at full resolution: aPrevious(block, i, L1, D) is α·D of the last iteration at
    // item i (read before item i is overwritten), aTotal the area it leaves at the end. Writes the
    // base line into aOut, keeps the integral of the new α·D for a further pass and returns the
    // largest move of the base line. The area up to i is the integral of p − α·D, one running sum.
    template <bool Append, typename Previous>
    double FinePass(Previous aPrevious, double aTotal, std::vector<double>& aOut) {
        // The lines' coefficients in locals: the writes to aOut cannot be taken to change them.
        const double s1 = fFirst.slope, i1 = fFirst.intercept;
        const double sd = fSecond.slope - s1, id = fSecond.intercept - i1;
        const double scale = 1 / aTotal;
        const double* t = fT.data();
        const double* y = fY.data();
        if (Append) {
            aOut.clear();
            aOut.reserve(fT.size());
        }
        const auto put = [&](size_t i, double v) {
            if constexpr (Append)
                aOut.push_back(v);
            else
                aOut[i] = v;
        };
        double area = 0, nextQ = 0, delta = 0, previousNewAD = 0;
        double previousR = y[0] - (s1 * t[0] + i1) - aPrevious(0, 0, s1 * t[0] + i1, sd * t[0] + id);
        put(0, s1 * t[0] + i1);
        // One item: its trapezoids into the running sums, the new base line written.
        const auto item = [&](size_t m, size_t i, double& aArea, double& aStep, double& aQ, double& aMove) {
            const double ti = t[i], dt = ti - t[i - 1];
            const double l1 = s1 * ti + i1, d = sd * ti + id;
            const double ad = aPrevious(m, i, l1, d), r = y[i] - l1 - ad;
            aStep = 0.5 * (previousR + r) * dt;
            const double newAD = (aArea + aStep) * scale * d;
            aQ = 0.5 * (previousNewAD + newAD) * dt;
            aMove = std::abs(newAD - ad);
            put(i, l1 + newAD);
            previousR = r;
            previousNewAD = newAD;
        };
        // In pairs, as in Summarise: the second item's area is the first's plus its trapezoid,
        // and the running sums advance once per pair.
        for (size_t m = 0; m + 1 < fNodes.size(); ++m) {
            size_t i = fNodes[m] + 1;
            const size_t end = fNodes[m + 1];
            for (; i + 1 <= end; i += 2) {
                double stepA, stepB, qa, qb, moveA, moveB;
                item(m, i, area, stepA, qa, moveA);
                double areaA = area + stepA;
                item(m, i + 1, areaA, stepB, qb, moveB);
                area += stepA + stepB;
                nextQ += qa + qb;
                delta = std::max(delta, std::max(moveA, moveB));
            }
            if (i == end) {
                double step, q, move;
                item(m, i, area, step, q, move);
                area += step;
                nextQ += q;
                delta = std::max(delta, move);
            }
        }
        fNextQ = nextQ;
        return delta;
    }

    // The base line from α given per item by aAlpha(block, i): from time alone, and where time
    // runs at a fixed step, from the item's number without reading time either.
    template <typename Alpha>
    void Write(Alpha aAlpha, std::vector<double>& aOut) const {
        if (fStep > 0)
            WriteAt(
                aAlpha, [t0 = fT[0], step = fStep](size_t i) { return t0 + step * static_cast<double>(i); },
                aOut);
        else
            WriteAt(
                aAlpha, [t = fT](size_t i) { return t[i]; }, aOut);
    }

    template <typename Alpha, typename Time>
    void WriteAt(Alpha aAlpha, Time aTime, std::vector<double>& aOut) const {
        const double s1 = fFirst.slope, i1 = fFirst.intercept;
        const double sd = fSecond.slope - s1, id = fSecond.intercept - i1;
        aOut.clear();
        aOut.reserve(fT.size());
        aOut.push_back(s1 * fT[0] + i1);
        // Through a small buffer, so the values are computed in a plain loop and appended in runs.
        constexpr size_t kChunk = 256;
        double chunk[kChunk];
        for (size_t m = 0; m + 1 < fNodes.size(); ++m)
            for (size_t i = fNodes[m] + 1; i <= fNodes[m + 1]; i += kChunk) {
                const size_t count = std::min(kChunk, fNodes[m + 1] + 1 - i);
                for (size_t k = 0; k < count; ++k) {
                    const double t = aTime(i + k);
                    chunk[k] = s1 * t + i1 + aAlpha(m, i + k) * (sd * t + id);
                }
                aOut.insert(aOut.end(), chunk, chunk + count);
            }
    }

    std::span<const double> fT, fY;
    RLine fFirst, fSecond;
    std::vector<size_t> fNodes;
    std::vector<double> fNodeT, fNodeP, fNodeD;
    double fAreaEnd = 0, fHeight = 0, fNextQ = 0;
    double fStep = 0;  // the time step where it is fixed, else 0
};

}  // namespace

RBaseLine ComputeBaseLine(const TCurve& aCurve, TItemRange aRange, const TBaseLineOptions& aOptions) {
    RBaseLine r;
    ComputeBaseLine(aCurve, aRange, aOptions, r);
    return r;
}

void ComputeBaseLine(const TCurve& aCurve, TItemRange aRange, const TBaseLineOptions& aOptions,
                     RBaseLine& aResult) {
    // The sigmoidal kinds check the values on their first pass over a record that may be long.
    const bool sigmoidal =
        aOptions.type == EBaseLine::Sigmoidal || aOptions.type == EBaseLine::TangentialSigmoidal;
    if (sigmoidal)
        CheckShape(aCurve, aRange, 3);
    else
        CheckCurve(aCurve, aRange, 3);
    const std::span<const double> t = aCurve.time, y = aCurve.signal;
    // A new result, keeping the old one's memory for the values.
    std::vector<double> values = std::move(aResult.values);
    aResult = RBaseLine{};
    aResult.values = std::move(values);
    RBaseLine& r = aResult;
    r.type = aOptions.type;
    r.range = aRange;
    const double tL = t[aRange.from], tR = t[aRange.to];
    const double yL = MarginLevel(y, aRange.from, aRange.to, aOptions.marginItems, true);
    const double yR = MarginLevel(y, aRange.from, aRange.to, aOptions.marginItems, false);

    switch (aOptions.type) {
        case EBaseLine::Straight:
            r.before = r.after = Through(tL, yL, tR, yR);
            break;
        case EBaseLine::HorizontalLeft:
            r.before = r.after = {0, yL};
            break;
        case EBaseLine::HorizontalRight:
            r.before = r.after = {0, yR};
            break;
        case EBaseLine::Sigmoidal:
            r.before = {0, yL};
            r.after = {0, yR};
            break;
        case EBaseLine::TangentialSigmoidal: {
            const TItemRange first = StretchOf(aRange, aOptions.before, aOptions, true);
            const TItemRange second = StretchOf(aRange, aOptions.after, aOptions, false);
            r.before = FitLine(t, y, first.from, first.to);
            r.after = FitLine(t, y, second.from, second.to);
            break;
        }
    }

    if (sigmoidal) {
        TSigmoidalSolver(aCurve, aRange, r.before, r.after).Solve(aOptions, r);
        if (!r.converged)
            r.warnings.push_back("Сигмоидальная базовая линия не сошлась за " + std::to_string(r.iterations) +
                                 " итераций");
        for (const RLine& line : {r.before, r.after})
            r.drawing.segments.push_back({PointAt(aCurve, static_cast<double>(aRange.from), line.At(tL)),
                                          PointAt(aCurve, static_cast<double>(aRange.to), line.At(tR)),
                                          ESegmentRole::BaseLine});
    } else {
        r.values.resize(aRange.Count());
        for (size_t i = aRange.from; i <= aRange.to; ++i)
            r.values[i - aRange.from] = r.before.At(t[i]);
    }
}

}  // namespace kalvero::evaluation
