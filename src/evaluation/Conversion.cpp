#include "evaluation/Conversion.h"

#include "evaluation/PeakIntegral.h"

namespace kalvero::evaluation {

std::vector<std::pair<double, double>> RConversion::AlphaByTemperature() const {
    std::vector<std::pair<double, double>> pairs(alpha.size());
    for (size_t i = 0; i < alpha.size(); ++i)
        pairs[i] = {temperature[i], alpha[i]};
    return pairs;
}

RConversion ComputeConversion(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine) {
    CheckCurve(aCurve, aRange, 3);
    CheckBaseLine(aRange, aBaseLine);
    RConversion r;
    r.range = aRange;
    r.alpha = RunningArea(aCurve, aRange, aBaseLine);
    r.area = r.alpha.back();
    if (!(std::abs(r.area) > 0))
        throw EEvaluationError("Площадь пика равна нулю: степень превращения не определена");
    const size_t n = aRange.Count();
    r.time.assign(aCurve.time.begin() + static_cast<std::ptrdiff_t>(aRange.from),
                  aCurve.time.begin() + static_cast<std::ptrdiff_t>(aRange.to) + 1);
    r.temperature.assign(aCurve.temperature.begin() + static_cast<std::ptrdiff_t>(aRange.from),
                         aCurve.temperature.begin() + static_cast<std::ptrdiff_t>(aRange.to) + 1);
    r.rate.resize(n);
    const double scale = 1.0 / r.area;
    // A curve crossing the base line makes α fall back or leave 0 … 1 (beyond a percent of noise).
    bool crossing = false;
    double highest = 0;
    for (size_t k = 0; k < n; ++k) {
        r.alpha[k] *= scale;
        r.rate[k] = (aCurve.signal[aRange.from + k] - aBaseLine[k]) * scale;
        highest = std::max(highest, r.alpha[k]);
        crossing = crossing || r.alpha[k] < -0.01 || r.alpha[k] > 1.01 || r.alpha[k] < highest - 0.01;
    }
    if (crossing)
        r.warnings.push_back("Кривая пересекает базовую линию: степень превращения выходит за пределы 0…1");
    return r;
}

RPeakHeat EvaluatePeakHeat(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine,
                           double aMass) {
    CheckCurve(aCurve, aRange, 2);
    CheckBaseLine(aRange, aBaseLine);
    RPeakHeat h;
    h.area = PeakArea(aCurve, aRange, aBaseLine);
    h.direction = h.area < 0 ? -1 : 1;
    if (aMass > 0) h.specificHeat = std::abs(h.area) / aMass;
    return h;
}

}  // namespace kalvero::evaluation
