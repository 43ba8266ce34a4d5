#pragma once
// A point of a curve or of a calibration, in extended precision.

#include <vector>

namespace kalvero {

struct TXYPoint {
    long double x = 0;
    long double y = 0;
};
using TXYPoints = std::vector<TXYPoint>;

}  // namespace kalvero
