#pragma once
// The Kissinger evaluation (ASTM E698): for runs of one reaction at several heating rates β with
// peak temperatures Tp, ln(β / Tp²) is linear in 1 / Tp with slope −Ea / R.

#include <stdexcept>
#include <string>
#include <vector>

#include "KineticRun.h"

namespace kalvero::kinetics {

struct RKissingerPoint {
    std::string file;
    double heatingRate = 0;      // °C/min
    double peakTemperature = 0;  // °C
};

struct RKissingerResult {
    double activationEnergy = 0;  // kJ/mol
    double r2 = 0;
    double intercept = 0;  // of ln(β / Tp²) with β in K/min and Tp in K
    // Half-width of the 95 % interval of Ea (Student's t, n − 2 degrees of freedom), kJ/mol.
    double halfWidth = 0;
    // ASTM E698's A = β·Ea·exp(Ea/RTp) / (R·Tp²) at the heating rate nearest the middle of the
    // range (β in K/s), 1/s.
    double preExponential = 0;
};

class EKissingerException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses fewer than three runs, non-positive or equal heating rates, and peak temperatures at or
// below absolute zero.
RKissingerResult KissingerFit(const std::vector<RKissingerPoint>& aPoints);

// The same over heating rates in K/min and peak temperatures in K, from two runs on (the interval
// is NaN for two).
RKissingerResult KissingerE698(const std::vector<double>& aHeatingRates,
                               const std::vector<double>& aPeakTemperatures, double aConfidence = 0.95);

}  // namespace kalvero::kinetics
