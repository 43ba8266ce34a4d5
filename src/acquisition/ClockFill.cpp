#include "acquisition/ClockFill.h"

#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"

namespace kalvero {

double GapInterp(int64_t j, int64_t e, double d0, int64_t c, double b) {
    if (c == e || b == d0) return d0;
    return d0 + static_cast<double>(j - e) * (b - d0) / static_cast<double>(c - e);
}

void FillSkippedItems(TDataClass& aData, size_t aChannel, int64_t aOldTime, int64_t aCurrTime, int32_t aOldT,
                      int32_t aOldDt, int32_t aNewDt, bool aInterpolate) {
    const float tc = TempRealValue(aOldT);
    for (int64_t j = aOldTime + 1; j < aCurrTime; ++j) {
        TItem& item = aData.items[static_cast<size_t>(j)][aChannel];
        item.t = aOldT;
        item.dt = aInterpolate
                      ? static_cast<int32_t>(Round(GapInterp(j, aOldTime, aOldDt, aCurrTime, aNewDt)))
                      : aOldDt;
        item.tc = tc;
        item.dtc = DiffTempRealValue(item.dt, item.tc);
    }
}

}  // namespace kalvero
