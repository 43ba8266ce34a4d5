#include "KissingerFit.h"

#include <cmath>
#include <set>

#include "LineFit.h"

namespace kalvero::kinetics {

RKissingerResult KissingerFit(const std::vector<RKissingerPoint>& aPoints) {
    if (aPoints.size() < 3) {
        throw EKissingerException("Для расчёта по Киссинджеру нужно не менее трёх экспериментов, открыто " +
                                  std::to_string(aPoints.size()));
    }
    std::vector<double> rates, peaks;
    for (const auto& p : aPoints) {
        if (!(p.heatingRate > 0))
            throw EKissingerException("Не задана скорость нагрева эксперимента " + p.file);
        const double tp = p.peakTemperature + 273.15;
        if (!(tp > 0)) throw EKissingerException("Неверная температура пика эксперимента " + p.file);
        rates.push_back(p.heatingRate);
        peaks.push_back(tp);
    }
    return KissingerE698(rates, peaks);
}

RKissingerResult KissingerE698(const std::vector<double>& aHeatingRates,
                               const std::vector<double>& aPeakTemperatures, double aConfidence) {
    if (std::set<double>(aHeatingRates.begin(), aHeatingRates.end()).size() < 2)
        throw EKissingerException("Скорости нагрева всех экспериментов одинаковы");
    if (std::set<double>(aPeakTemperatures.begin(), aPeakTemperatures.end()).size() < 2)
        throw EKissingerException("Температуры пиков всех экспериментов одинаковы");
    std::vector<double> xs, ys;
    for (size_t i = 0; i < aHeatingRates.size(); ++i) {
        const double tp = aPeakTemperatures[i];
        xs.push_back(1.0 / tp);
        ys.push_back(std::log(aHeatingRates[i] / (tp * tp)));
    }
    const RLineFit line = FitLine(xs, ys, aConfidence);
    RKissingerResult r;
    r.intercept = line.intercept;
    r.r2 = line.r2;
    const double energy = -line.slope * GAS_CONSTANT;  // J/mol
    r.activationEnergy = energy / 1000.0;
    r.halfWidth = line.slopeHalfWidth * GAS_CONSTANT / 1000.0;
    const size_t m = MiddleRun(aHeatingRates);
    const double beta = aHeatingRates[m] / 60.0, tp = aPeakTemperatures[m];
    r.preExponential = beta * energy * std::exp(energy / (GAS_CONSTANT * tp)) / (GAS_CONSTANT * tp * tp);
    return r;
}

}  // namespace kalvero::kinetics
