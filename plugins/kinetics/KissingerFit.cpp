#include "KissingerFit.h"

#include <cmath>
#include <set>

namespace kalvero::kinetics {

RKissingerResult KissingerFit(const std::vector<RKissingerPoint>& aPoints) {
    if (aPoints.size() < 3) {
        throw EKissingerException("Для расчёта по Киссинджеру нужно не менее трёх экспериментов, открыто " +
                                  std::to_string(aPoints.size()));
    }
    std::set<double> rates;
    std::vector<double> xs, ys;
    for (const auto& p : aPoints) {
        if (!(p.heatingRate > 0))
            throw EKissingerException("Не задана скорость нагрева эксперимента " + p.file);
        const double tp = p.peakTemperature + 273.15;
        if (!(tp > 0)) throw EKissingerException("Неверная температура пика эксперимента " + p.file);
        rates.insert(p.heatingRate);
        xs.push_back(1.0 / tp);
        ys.push_back(std::log(p.heatingRate / (tp * tp)));
    }
    if (rates.size() < 2) throw EKissingerException("Скорости нагрева всех экспериментов одинаковы");

    const double n = static_cast<double>(xs.size());
    double sx = 0, sy = 0;
    for (size_t i = 0; i < xs.size(); ++i)
        sx += xs[i], sy += ys[i];
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0, syy = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        sxx += (xs[i] - mx) * (xs[i] - mx);
        sxy += (xs[i] - mx) * (ys[i] - my);
        syy += (ys[i] - my) * (ys[i] - my);
    }
    if (sxx <= 0) throw EKissingerException("Температуры пиков всех экспериментов одинаковы");
    const double slope = sxy / sxx;
    RKissingerResult r;
    r.intercept = my - slope * mx;
    r.activationEnergy = -slope * GAS_CONSTANT / 1000.0;
    r.r2 = syy > 0 ? (sxy * sxy) / (sxx * syy) : 1.0;
    return r;
}

}  // namespace kalvero::kinetics
