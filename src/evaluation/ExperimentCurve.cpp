#include "evaluation/ExperimentCurve.h"

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero::evaluation {

TItemRange TExperimentCurve::Range(int aFrom, int aTo) const {
    const int last = static_cast<int>(signal.size()) - 1;
    const int a = std::clamp(std::min(aFrom, aTo) - first, 0, std::max(0, last));
    const int b = std::clamp(std::max(aFrom, aTo) - first, 0, std::max(0, last));
    return {static_cast<size_t>(a), static_cast<size_t>(b)};
}

TExperimentCurve CurveOfExperiment(const TDataClass& d, int aFrom, int aTo, int aChannel) {
    TExperimentCurve c;
    if (d.GetItemCount() == 0 || aChannel < 0 || aChannel >= d.GetChannelCount()) return c;
    const int from = d.ClipItemIndex(std::min(aFrom, aTo)), to = d.ClipItemIndex(std::max(aFrom, aTo));
    c.first = from;
    const size_t n = static_cast<size_t>(to - from + 1);
    c.time.resize(n), c.temperature.resize(n), c.signal.resize(n);
    const double period = 1.0 / d.frequency;
    const double tStep = d.fPhysical ? d.fPhysical->tStep : 0,
                 sStep = d.fPhysical ? d.fPhysical->signalStep : 0;
    for (size_t k = 0; k < n; ++k) {
        const TItem& s = d.items[from + k][aChannel];
        c.time[k] = static_cast<double>(from + k) * period;
        c.temperature[k] = d.fPhysical ? s.t * tStep : s.tc;
        c.signal[k] = d.fPhysical ? s.dt * sStep : s.dtc;
    }
    return c;
}

TExperimentCurve CurveOfExperiment(const TDataClass& d, int aChannel) {
    return CurveOfExperiment(d, 0, d.GetItemCount() - 1, aChannel);
}

std::vector<double> PeakBaseLineValues(const TDataClass& d, const TPeak& p) {
    std::vector<double> values;
    if (d.GetItemCount() == 0) return values;
    const int from = d.ClipItemIndex(std::min(p.begX, p.endX)),
              to = d.ClipItemIndex(std::max(p.begX, p.endX));
    values.reserve(static_cast<size_t>(to - from + 1));
    for (int i = from; i <= to; ++i) {
        const double reading = p.BaseLineReading(i);
        // A physical scale is linear: the line's readings are the line's values.
        values.push_back(d.fPhysical
                             ? reading * d.fPhysical->signalStep
                             : d.SignalValue(static_cast<int32_t>(std::lround(reading)), d.items[i][0].tc));
    }
    return values;
}

}  // namespace kalvero::evaluation
