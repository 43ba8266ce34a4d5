#pragma once
// Gap filling of the clock-driven back-ends: when the clock skipped time indices between two
// turns, the indices in between take the previous temperature and either the previous dT or dT
// interpolated along the line to the new sample.

#include <cstddef>
#include <cstdint>

namespace kalvero {

class TDataClass;

// The line through (e, d0) and (c, b) at j; d0 when c = e or b = d0.
double GapInterp(int64_t j, int64_t e, double d0, int64_t c, double b);

// Items aOldTime + 1 … aCurrTime − 1 of channel aChannel: t := aOldT, dt := the line (aInterpolate)
// or aOldDt, calibrated values recomputed. The items must exist.
void FillSkippedItems(TDataClass& aData, size_t aChannel, int64_t aOldTime, int64_t aCurrTime, int32_t aOldT,
                      int32_t aOldDt, int32_t aNewDt, bool aInterpolate);

}  // namespace kalvero
