#include "processing/PeakTemperature.h"

#include <algorithm>
#include <cmath>

namespace kalvero {
namespace {

double Det3(double a1, double b1, double c1, double a2, double b2, double c2, double a3, double b3,
            double c3) {
    return a1 * (b2 * c3 - b3 * c2) - b1 * (a2 * c3 - a3 * c2) + c1 * (a2 * b3 - a3 * b2);
}

}  // namespace

double PeakTopTemperature(const TDataClass& d, const TPeak& aPeak) {
    if (d.GetItemCount() == 0) return 0;
    const int top = d.ClipItemIndex(aPeak.top);
    const int from = d.ClipItemIndex(std::min(aPeak.begX, aPeak.endX));
    const int to = d.ClipItemIndex(std::max(aPeak.begX, aPeak.endX));
    auto height = [&](int i) {
        return std::fabs(double(d.items[i][0].dt) - aPeak.GetBaseLineCrossingYCoord(i));
    };
    const double limit = 0.8 * height(top);
    int lo = top, hi = top;
    while (lo > from && height(lo - 1) >= limit)
        --lo;
    while (hi < to && height(hi + 1) >= limit)
        ++hi;
    if (hi - lo < 4) return d.items[top][0].tc;
    // Least squares of h = a·u² + b·u + c with u centred on the top, over lo … hi.
    double s[5] = {}, t[3] = {};
    for (int i = lo; i <= hi; ++i) {
        const double u = i - top, h = height(i);
        double p = 1;
        for (int k = 0; k < 5; ++k, p *= u)
            s[k] += p;
        t[0] += h, t[1] += h * u, t[2] += h * u * u;
    }
    // Normal equations [s4 s3 s2; s3 s2 s1; s2 s1 s0]·[a b c] = [t2 t1 t0] by Cramer's rule.
    const double det = Det3(s[4], s[3], s[2], s[3], s[2], s[1], s[2], s[1], s[0]);
    if (det == 0) return d.items[top][0].tc;
    const double a = Det3(t[2], s[3], s[2], t[1], s[2], s[1], t[0], s[1], s[0]) / det;
    const double b = Det3(s[4], t[2], s[2], s[3], t[1], s[1], s[2], t[0], s[0]) / det;
    if (!(a < 0)) return d.items[top][0].tc;
    const double vertex = std::clamp(top - b / (2 * a), double(lo), double(hi));
    const int i0 = static_cast<int>(vertex);
    const int i1 = std::min(i0 + 1, hi);
    const double f = vertex - i0;
    return d.items[i0][0].tc * (1 - f) + d.items[i1][0].tc * f;
}

}  // namespace kalvero
