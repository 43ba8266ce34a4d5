#include "evaluation/PeakIntegral.h"

namespace kalvero::evaluation {
namespace {

// Calls aAt(k, area) for every item of the range with the area up to it.
template <typename At>
void Integrate(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine, At aAt) {
    const std::span<const double> t = aCurve.time, y = aCurve.signal;
    double area = 0, previous = y[aRange.from] - aBaseLine[0];
    aAt(0, 0.0);
    for (size_t k = 1; k < aRange.Count(); ++k) {
        const size_t i = aRange.from + k;
        const double d = y[i] - aBaseLine[k];
        area += 0.5 * (previous + d) * (t[i] - t[i - 1]);
        previous = d;
        aAt(k, area);
    }
}

}  // namespace

std::vector<double> RunningArea(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine) {
    std::vector<double> areas(aRange.Count());
    Integrate(aCurve, aRange, aBaseLine, [&](size_t k, double a) { areas[k] = a; });
    return areas;
}

double PeakArea(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine) {
    double total = 0;
    Integrate(aCurve, aRange, aBaseLine, [&](size_t, double a) { total = a; });
    return total;
}

}  // namespace kalvero::evaluation
