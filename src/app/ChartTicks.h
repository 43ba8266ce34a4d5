#pragma once
// The grid of a chart's axis drawn with QPainter: round values across a span and their labels.

#include <QString>

#include <utility>
#include <vector>

namespace kalvero::app {

// Grid values of one axis from aFrom to aTo, about aLines of them, each with its label.
std::vector<std::pair<double, QString>> ChartTicks(double aFrom, double aTo, int aLines = 8);

}  // namespace kalvero::app
