#pragma once
// The grid of a plot axis: a round step for a span of values and the format of its labels.

#include <string>
#include <vector>

namespace kalvero {

// The grid step for a span s: the power of ten k with s·k in [100, 1000), the first of 10, 20,
// 50 that cuts s·k into fewer than 16 parts (else 100), divided by k. 0 for a span that is not
// a positive finite number (no grid then).
double GridStep(double aSpan);

// printf pattern of the labels for an axis of span aSpan: "%8.0f" from 10 up, "%8.2f" from 0.1,
// "%8.3f" from 0.01, "%8.4f" from 0.001, "%8.6f" from 0.00001. The labels are multiples of
// aStep, so the pattern never shows fewer decimals than the step has (a tiny span would
// otherwise print every label as "0").
std::string GridLabelFormat(double aSpan, double aStep);

// The grid values inside [aFrom, aTo] (either order): the multiples of aStep, at most 16.
std::vector<double> GridValues(double aFrom, double aTo, double aStep);

}  // namespace kalvero
