// Bernstein (Bézier) evaluation: factorials, powers and the basis weights.

#include <cmath>
#include <limits>
#include <map>

#include "common/MathProcs.h"
#include "processing/MathUtils.h"
#include "processing/SmoothCore.h"

namespace kalvero {

double Fact(double nf) {
    if (nf == 0) return 1;
    const int64_t last = Round(nf - 1);
    if (last < 0) return 1;
    double r = 1;
    for (int64_t k = 0; k <= last; ++k) {
        r *= nf - static_cast<double>(k);
        if (std::isinf(r) || r == 0) break;  // nothing more can change it
    }
    return r;
}

long double Stepen(long double sn, int si) {
    double r = 1;
    for (int i = 0; i < si; ++i)
        r *= static_cast<double>(sn);
    return r;
}

namespace processing {

void BernsteinWeights(int aDegree, long double t, std::vector<long double>& aWeights) {
    const int n = std::max(0, aDegree);
    aWeights.assign(static_cast<size_t>(n) + 1, 0.0L);
    if (t == 0 || t == 1) {
        aWeights[t == 0 ? 0 : n] = 1;
        return;
    }
    // Up to 170 the factorials fit a double: the plain product form. Beyond, logarithms keep the
    // binomials and powers in range (the curve's own parameters lie in 0 … 1).
    if (n <= 170 || t < 0 || t > 1) {
        const long double fn = Fact(n);
        for (int j = 0; j <= n; ++j) {
            aWeights[j] =
                fn / (static_cast<long double>(Fact(j)) * Fact(n - j)) * Stepen(t, j) * Stepen(1 - t, n - j);
        }
        return;
    }
    const long double lt = std::log(t), l1t = std::log1p(-t),
                      lc = std::lgamma(static_cast<long double>(n) + 1);
    for (int j = 0; j <= n; ++j) {
        aWeights[j] = std::exp(lc - std::lgamma(static_cast<long double>(j) + 1) -
                               std::lgamma(static_cast<long double>(n - j) + 1) + j * lt + (n - j) * l1t);
    }
}

namespace {

std::vector<TBernsteinRow> MakeRows(int aPower) {
    std::vector<TBernsteinRow> rows;
    if (aPower < 10) return rows;
    // Weights below this carry less than a millionth of a count for any 32-bit reading.
    constexpr long double kNegligible = 1e-25L;
    const float polyStep = 1.0f / static_cast<float>(aPower);
    float t = 0;
    std::vector<long double> w;
    rows.reserve(static_cast<size_t>(aPower) - 9);
    for (int i = 0; i <= aPower - 10; ++i) {
        BernsteinWeights(aPower - 1, t, w);
        size_t first = 0, last = w.size();
        while (first + 1 < last && w[first] < kNegligible)
            ++first;
        while (last - 1 > first && w[last - 1] < kNegligible)
            --last;
        rows.push_back(
            {static_cast<int>(first), std::vector<long double>(w.begin() + first, w.begin() + last)});
        t += polyStep;
    }
    return rows;
}

}  // namespace

const std::vector<TBernsteinRow>& BezierSmoothRows(int aPower) {
    // The rows cost as much as smoothing thousands of items and depend on the power alone: each
    // thread keeps the few it used last (a batch smooths every file with the same power).
    constexpr size_t kKept = 4;
    thread_local std::map<int, std::vector<TBernsteinRow>> kept;
    const auto found = kept.find(aPower);
    if (found != kept.end()) return found->second;
    if (kept.size() >= kKept) kept.clear();
    return kept.emplace(aPower, MakeRows(aPower)).first->second;
}

}  // namespace processing

long double Par(std::span<const int32_t> M, long double pt) {
    if (M.empty()) return 0;
    std::vector<long double> w;
    processing::BernsteinWeights(static_cast<int>(M.size()) - 1, pt, w);
    long double sum = 0;
    for (size_t j = 0; j < M.size(); ++j)
        sum += w[j] * M[j];
    return sum;
}

}  // namespace kalvero
