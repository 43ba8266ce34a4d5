#include "graphics/GridScale.h"

#include <algorithm>
#include <cmath>

#include "common/MathProcs.h"

namespace kalvero {

double GridStep(double aSpan) {
    if (!(aSpan > 0) || !std::isfinite(aSpan)) return 0;
    double k = 1;
    // Bounded: a finite double is within 10^±324 of [100, 1000).
    for (int guard = 0; guard < 700 && aSpan * k < 100; ++guard)
        k *= 10;
    for (int guard = 0; guard < 700 && aSpan * k >= 1000; ++guard)
        k /= 10;
    if (k == 0 || !std::isfinite(k)) return 0;
    const double scaled = aSpan * k;
    double step = 100;
    for (double candidate : {10.0, 20.0, 50.0}) {
        if (Round(scaled / candidate) < 16) {
            step = candidate;
            break;
        }
    }
    return step / k;
}

std::string GridLabelFormat(double aSpan, double aStep) {
    const double r = std::fabs(aSpan);
    int decimals = 0;
    if (r >= 10)
        decimals = 0;
    else if (r >= 0.1)
        decimals = 2;
    else if (r >= 0.01)
        decimals = 3;
    else if (r >= 0.001)
        decimals = 4;
    else if (r >= 0.00001)
        decimals = 6;
    if (aStep > 0 && std::isfinite(aStep)) {
        // Steps are 1, 2 or 5 times a power of ten: this many decimals show them exactly.
        const int needed = static_cast<int>(std::ceil(-std::log10(aStep) - 1e-9));
        decimals = std::max(decimals, std::min(needed, 15));
    }
    return "%8." + std::to_string(decimals) + "f";
}

std::vector<double> GridValues(double aFrom, double aTo, double aStep) {
    std::vector<double> values;
    if (!(aStep > 0) || !std::isfinite(aFrom) || !std::isfinite(aTo)) return values;
    if (aTo < aFrom) std::swap(aFrom, aTo);
    const double first = std::ceil(aFrom / aStep - 1e-9), last = std::floor(aTo / aStep + 1e-9);
    for (double n = first; n <= last && values.size() < 16; ++n)
        values.push_back(n * aStep);
    return values;
}

}  // namespace kalvero
