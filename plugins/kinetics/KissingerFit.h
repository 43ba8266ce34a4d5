#pragma once
// The Kissinger evaluation: for runs of one reaction at several heating rates β with peak
// temperatures Tp, ln(β / Tp²) is linear in 1 / Tp with slope −Ea / R.

#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero::kinetics {

inline constexpr double GAS_CONSTANT = 8.314462618;  // J / (mol K)

struct RKissingerPoint {
    std::string file;
    double heatingRate = 0;      // °C/min
    double peakTemperature = 0;  // °C
};

struct RKissingerResult {
    double activationEnergy = 0;  // kJ/mol
    double r2 = 0;
    double intercept = 0;
};

class EKissingerException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses fewer than three runs, non-positive or equal heating rates, and peak temperatures at or
// below absolute zero.
RKissingerResult KissingerFit(const std::vector<RKissingerPoint>& aPoints);

}  // namespace kalvero::kinetics
