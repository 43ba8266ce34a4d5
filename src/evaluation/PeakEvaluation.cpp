#include "evaluation/PeakEvaluation.h"

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero::evaluation {

TPeakCurve PeakCurveOf(const TDataClass& d, const TPeak& p) {
    TPeakCurve c;
    c.curve = CurveOfExperiment(d, p.begX, p.endX);
    c.range = {0, c.curve.signal.empty() ? 0 : c.curve.signal.size() - 1};
    c.base = PeakBaseLineValues(d, p);
    return c;
}

RPeakTemperatures PeakTemperaturesOf(const TDataClass& d, const TPeak& p) {
    const TPeakCurve c = PeakCurveOf(d, p);
    return EvaluatePeakTemperatures(c.curve.View(), c.range, c.base);
}

RConversion ConversionOf(const TDataClass& d, const TPeak& p) {
    const TPeakCurve c = PeakCurveOf(d, p);
    return ComputeConversion(c.curve.View(), c.range, c.base);
}

double HeatFlowScale(const TDataClass& d) {
    if (!d.fPhysical) return NAN;
    switch (d.fPhysical->quantity) {
        case sqHeatFlow:
            return 1;
        case sqHeatFlowPerMass:
            return d.fSampleWeight > 0 ? d.fSampleWeight : NAN;
        default:
            return NAN;
    }
}

RPurity PurityOf(const TDataClass& d, const TPeak& p, double aMolarMass, double aLagSlope) {
    const double scale = HeatFlowScale(d);
    if (!std::isfinite(scale))
        throw EEvaluationError(
            "Чистота определяется по кривой теплового потока (мВт, или мВт/мг с массой навески)");
    TPeakCurve c = PeakCurveOf(d, p);
    for (double& v : c.curve.signal)
        v *= scale;
    for (double& v : c.base)
        v *= scale;
    TPurityOptions options;
    options.lagSlope = aLagSlope;
    return EvaluatePurity(c.curve.View(), c.range, c.base, d.fSampleWeight, aMolarMass, options);
}

const TPeak* PeakByKey(const TDataClass& d, const std::string& aKey, int* aNumber) {
    int number = 0;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
        const auto item = d.peaks.GetItemByIndex(k);
        const auto* p = dynamic_cast<const TPeak*>(item.value);
        if (!p) continue;
        ++number;
        if (item.key == aKey) {
            if (aNumber) *aNumber = number;
            return p;
        }
    }
    if (aNumber) *aNumber = 0;
    return nullptr;
}

std::string KeyOfPeak(const TDataClass& d, const TPeak* aPeak) {
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (d.peaks.GetItemByIndex(k).value == aPeak) return d.peaks.GetItemByIndex(k).key;
    return {};
}

}  // namespace kalvero::evaluation
