#pragma once
// The running integral of a peak over its base line: the conversion α (0 … 1) at every item, its
// rate dα/dt and α against temperature, the input of kinetics and purity; and the heat of the peak
// (ISO 11357-3, ASTM E793: the area between the curve and the base line over the sample's mass).

#include <string>
#include <utility>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

struct RConversion {
    TItemRange range;
    // One entry per item of the range.
    std::vector<double> time;         // s
    std::vector<double> temperature;  // °C
    std::vector<double> alpha;        // the share of the area up to the item (trapezoids over time)
    std::vector<double> rate;         // dα/dt, 1/s: the deviation from the base line over the area
    double area = NAN;                // ∫ (y − b) dt, signal unit × s (mJ for mW), signed
    std::vector<std::string> warnings;

    // α(T): the pairs (temperature, α) item by item.
    std::vector<std::pair<double, double>> AlphaByTemperature() const;
};

// aBaseLine holds one value per item of aRange. EEvaluationError for fewer than 3 items or a peak
// without area.
RConversion ComputeConversion(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine);

struct RPeakHeat {
    double area = NAN;          // ∫ (y − b) dt, signal unit × s (mJ for mW), signed
    double specificHeat = NAN;  // |area| / mass: J/g for mJ and mg; NaN without a mass
    int direction = 1;          // +1 above the base line (the area is positive), −1 below
};

// The heat of the peak over aRange; aMass in mg (0 or NaN: none).
RPeakHeat EvaluatePeakHeat(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine,
                           double aMass);

}  // namespace kalvero::evaluation
