#pragma once
// One run of a reaction as the kinetic evaluation takes it, and where each run reaches a given
// conversion. Temperatures are in K and heating rates in K/min throughout the evaluation.

#include <stdexcept>
#include <string>
#include <vector>

namespace kalvero::kinetics {

inline constexpr double GAS_CONSTANT = 8.314462618;  // J / (mol K)

// A run at a constant heating rate, samples in time order. The conversion comes from a peak's
// running integral over its base line, so it may stand still but should not fall.
struct RKineticRun {
    std::string name;
    double heatingRate = 0;           // K/min
    std::vector<double> time;         // s
    std::vector<double> temperature;  // K
    std::vector<double> conversion;   // 0…1
    std::vector<double> rate;         // dα/dt, 1/s
    // The peak temperature (K) for Kissinger's method when the caller has read it from the signal
    // itself; 0: the top of dα/dt.
    double peakTemperature = 0;
};

// Where one run reaches a conversion level: its samples interpolated linearly between the last
// sample below the level and the first at or above it.
struct RConversionPoint {
    double time = 0;         // s
    double temperature = 0;  // K
    double rate = 0;         // 1/s
    size_t index = 0;        // the first sample at or above the level
    bool reached = true;     // false: the run ends below the level
};

class EKineticsException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Refuses a run without a positive heating rate, with arrays of unequal length or fewer than two
// samples, and temperatures at or below absolute zero.
void CheckRun(const RKineticRun& aRun);

// The points where aRun first reaches each of aLevels (ascending), found in one pass that ends at
// the last level. A level the run never reaches takes the point of its last sample, not reached.
std::vector<RConversionPoint> ConversionPoints(const RKineticRun& aRun, const std::vector<double>& aLevels);

// The conversion at the first sample: the levels every run passes lie above the largest.
double FirstConversion(const RKineticRun& aRun);

// The run's peakTemperature when given; otherwise the temperature at the top of dα/dt, which a
// DSC run's heat flow follows: the top of the cubic fitted over the samples around the largest
// rate that reach 85 % of it.
double PeakTemperature(const RKineticRun& aRun);

// The run whose heating rate lies nearest the middle of the rates' range: ASTM E698 and E1641
// take the pre-exponential factor and E/RT at that rate.
size_t MiddleRun(const std::vector<double>& aHeatingRates);

}  // namespace kalvero::kinetics
