#pragma once
// The straight line through the points of an isoconversional or Kissinger plot, with the 95 %
// confidence interval of its slope.

#include <vector>

namespace kalvero::kinetics {

struct RLineFit {
    double slope = 0;
    double intercept = 0;
    // Half-width of the slope's two-sided interval: Student's t for n − 2 degrees of freedom times
    // the slope's standard error; NaN for two points, where no scatter is left to judge by.
    double slopeHalfWidth = 0;
    double r2 = 0;
};

// Least squares of aY on aX (at least two points, not all at one x), solved on centred x so
// that the close reciprocal temperatures of a plot keep their digits.
RLineFit FitLine(const std::vector<double>& aX, const std::vector<double>& aY, double aConfidence = 0.95);

// Student's t quantile for a two-sided interval of aConfidence with aFreedom degrees of freedom.
double StudentQuantile(double aConfidence, double aFreedom);

}  // namespace kalvero::kinetics
