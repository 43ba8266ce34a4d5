// Line geometry and the least-squares line.

#include <cmath>
#include <cstdlib>

#include "common/MathProcs.h"
#include "processing/MathUtils.h"

namespace kalvero {

bool TryLineIntersect(const TLine& l1, const TLine& l2, TXYPoint& aResult) {
    const long double den = (l2.y2 - l2.y1) * (l1.x2 - l1.x1) - (l2.x2 - l2.x1) * (l1.y2 - l1.y1);
    if (den == 0 || !std::isfinite(den)) return false;
    const long double r = ((l2.x2 - l2.x1) * (l1.y1 - l2.y1) - (l2.y2 - l2.y1) * (l1.x1 - l2.x1)) / den;
    aResult = {l1.x1 + r * (l1.x2 - l1.x1), l1.y1 + r * (l1.y2 - l1.y1)};
    return true;
}

TXYPoint LineIntersect(const TLine& l1, const TLine& l2) {
    TXYPoint p;
    return TryLineIntersect(l1, l2, p) ? p : TXYPoint{};
}

TXYPoint LineIntersectAB(long double a1, long double b1, long double a2, long double b2) {
    const long double x = a1 != a2 ? (b1 - b2) / (a2 - a1) : b1 - b2;
    return {x, a1 * x + b1};
}

Trpoint LineCurveIntersect(const TLine& l, const TDataClass& t, int begx, int endx) {
    const Trpoint none{-1, -1};
    endx = HLim(t.GetItemCount() - 1, endx);
    begx = LLim(0, begx);
    if (begx > endx) return none;
    const int64_t start = Round(endx - (endx - begx) / 3.0);
    if (start < begx) return none;
    const double y1 = static_cast<double>(l.y1), y2 = static_cast<double>(l.y2);
    for (int64_t from = start; from >= begx; --from) {
        for (int64_t i = endx; i >= from; --i) {
            const int64_t y =
                Round(LineInterp(static_cast<double>(from), y1, endx, y2, static_cast<double>(i)));
            if (y == t.items[static_cast<size_t>(i)][0].dt)
                return {static_cast<long double>(i), static_cast<long double>(y)};
        }
    }
    return none;
}

void MinSquareLine(std::span<const TXYPoint> arr, long double& a, long double& b) {
    const auto n = static_cast<long double>(arr.size());
    long double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const TXYPoint& p : arr) {
        sx += p.x, sy += p.y, sxx += p.x * p.x, sxy += p.x * p.y;
    }
    const long double den = n * sxx - sx * sx;
    if (arr.size() < 2 || den == 0) {
        // No spread of x: the best horizontal line.
        a = 0;
        b = arr.empty() ? 0 : sy / n;
        return;
    }
    a = (n * sxy - sy * sx) / den;
    b = (sy * sxx - sxy * sx) / den;
}

void CalcLineEq(const TLine&, long double&, long double&) {}

}  // namespace kalvero
