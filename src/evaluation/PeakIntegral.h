#pragma once
// The integral of the curve over a base line given per item of a range, by trapezoids over time.

#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

// The running integral: entry k is the area from the range's first item to item from + k.
std::vector<double> RunningArea(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine);

// The whole area (the running integral's last entry, without keeping the others).
double PeakArea(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine);

}  // namespace kalvero::evaluation
