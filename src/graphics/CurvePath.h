#pragma once
// A curve as the points a polyline joins on the graph. With drawing optimisation it is reduced to
// what a pixel column can show: consecutive samples that land in the same column become their
// first, lowest, highest and last value. Unlike skipping samples this keeps every spike, and each
// sample is read once.

#include "data/DataClass.h"
#include "graphics/GraphicsTypes.h"

namespace kalvero {

// Items aFirst … aLast (inside the record) of channel aChannel in graph pixels on the current
// scale (AssignDrawMargins) and mode: every sample, or per column its extremes. Consecutive equal
// points appear once.
TPoints CurvePoints(const TDataClass& aData, int aChannel, int aFirst, int aLast, bool aOptimize);

}  // namespace kalvero
