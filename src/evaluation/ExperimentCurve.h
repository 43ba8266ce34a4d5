#pragma once
// An experiment as the evaluations of the standards read it: time, temperature and signal as plain
// arrays of doubles over a stretch of items, and a peak's base line as signal values at each of
// its items. The values are the experiment's own (its physical scale, or degrees through the
// calibration tables).

#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero {
class TDataClass;
class TPeak;
}  // namespace kalvero

namespace kalvero::evaluation {

struct TExperimentCurve {
    int first = 0;  // the item of index 0
    std::vector<double> time, temperature, signal;
    TCurve View() const { return {time, temperature, signal}; }
    // Items of the experiment as indexes of the arrays, clipped to them.
    TItemRange Range(int aFrom, int aTo) const;
};

// Items aFrom … aTo (clipped, ordered) of channel aChannel; a physical experiment's values come
// straight from its readings in double precision.
TExperimentCurve CurveOfExperiment(const TDataClass& aData, int aFrom, int aTo, int aChannel = 0);
// The whole record.
TExperimentCurve CurveOfExperiment(const TDataClass& aData, int aChannel = 0);

// The peak's base line (of its kind) as signal values at its items begX … endX.
std::vector<double> PeakBaseLineValues(const TDataClass& aData, const TPeak& aPeak);

}  // namespace kalvero::evaluation
