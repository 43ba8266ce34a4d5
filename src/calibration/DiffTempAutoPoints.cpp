// Reference points of the dT table measured on the peaks of a curve.

#include "calibration/DiffTempAutoPoints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempCalibration.h"
#include "common/Globals.h"
#include "common/MathProcs.h"
#include "data/DataClass.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"

namespace kalvero {
namespace {

// The temperature difference over one peak: the temperature curve is compared with the straight
// line between the peak's margins, and the sample furthest from it (the first on ties) gives the
// difference in degrees.
double PeakDiffTemp(const TItemArray& aItems, int b, int e) {
    const TItem& sb = aItems[b][0];
    const TItem& se = aItems[e][0];
    int64_t largest = 0;
    double dT = 0;
    for (int q = b; q <= e; ++q) {
        const TItem& s = aItems[q][0];
        const int64_t baseCounts = std::llround(LineInterp(b, sb.t, e, se.t, q));
        const int64_t deviation = std::llabs(baseCounts - s.t);
        if (deviation > largest) {
            largest = deviation;
            dT = std::fabs(s.tc - LineInterp(b, sb.tc, e, se.tc, q));
        }
    }
    return dT;
}

}  // namespace

std::vector<RDiffTempAutoPoint> DiffTempPointsFromCurve(const TDataClass& aExperiment,
                                                        const TAppConfig& aConfig) {
    const int count = aExperiment.GetItemCount();
    if (count < 2) throw ENoPeaksForCalibration();
    // Detection clears and fills the objects and the work channels of the experiment it runs on.
    TDataClass scratch;
    scratch.SetNumChannels(1);
    scratch.SetItemsLength(count, true);
    for (int i = 0; i < count; ++i)
        scratch.items[i][0] = aExperiment.items[i][0];
    scratch.frequency = aExperiment.frequency;
    scratch.fPeriod = aExperiment.fPeriod;
    scratch.mode = vm_view_dT_by_time;
    TPeakUtils(scratch, aConfig, gLogger, nullptr).DetectPeaks(0, count - 1);
    if (scratch.peaks.GetItemCount() == 0) throw ENoPeaksForCalibration();

    std::vector<RDiffTempAutoPoint> points;
    for (int k = 0; k < scratch.peaks.GetItemCount(); ++k) {
        const auto* peak = dynamic_cast<const TPeak*>(scratch.peaks.GetItemByIndex(k).value);
        if (!peak) continue;
        const int b = std::clamp(std::min(peak->begX, peak->endX), 0, count - 1);
        const int e = std::clamp(std::max(peak->begX, peak->endX), 0, count - 1);
        const int top = std::clamp(peak->top, 0, count - 1);
        RDiffTempAutoPoint p;
        p.temp = aExperiment.items[top][0].tc;
        p.dT = PeakDiffTemp(aExperiment.items, b, e);
        // Detection leaves the height slot empty: the height is measured at the top, from the
        // peak's base line.
        p.height =
            peak->height > 0 ? peak->height : peak->GetHeightAtPoint(top, aExperiment.items[top][0].dt);
        p.factor = p.height > 0 ? p.dT / p.height : 0;
        points.push_back(p);
    }
    return points;
}

int32_t WholeDegree(double aTemp) {
    const double rounded = std::round(aTemp);
    return calibration_math::RoundToInt32(rounded);
}

int FillDiffTempTable(TDiffTempCalibrationTable& aTable, const std::vector<RDiffTempAutoPoint>& aPoints) {
    aTable.ClearRefPoints();
    int used = 0;
    for (const RDiffTempAutoPoint& p : aPoints) {
        if (p.height <= 0) continue;
        aTable.AddDiffTempRefPoint(WholeDegree(p.temp), static_cast<float>(p.dT), p.height, "");
        ++used;
    }
    aTable.Calc();
    return used;
}

}  // namespace kalvero
