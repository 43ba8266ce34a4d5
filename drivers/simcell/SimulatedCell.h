#pragma once
// A heat-flux DSC cell: a silver block with a heater, a reference pan and a sample pan each
// coupled to the block through a thermal resistance, a temperature sensor at the reference
// position and a differential pair between the pans. The sample either melts (absorbing its
// heat of fusion at a fixed temperature; several substances in one pan each at its own) or reacts with
// first-order Arrhenius kinetics. Explicit integration in steps of at most 10 ms of simulated time.

#include <vector>

#include "simcell/SimConfig.h"

namespace kalvero::sim {

// Converter counts of the temperature sensor: a fixed, slightly non-linear characteristic over
// about -25 … 500 °C on a 12-bit scale, and its inverse.
double SensorCounts(double aTempC);
double SensorTemp(double aCounts);
// Counts of the differential pair: mid-scale at 0 K, 100 counts per kelvin at gain 1.
inline constexpr double DIFF_ZERO_COUNTS = 2048;
inline constexpr double DIFF_COUNTS_PER_K = 100;

class TSimulatedCell {
public:
    // A cold cell at room temperature at simulated time aStartTime (s).
    explicit TSimulatedCell(const TSimConfig& aConfig, double aStartTime = 0);

    // Heater commands as the instrument's controller latches them; the hold level keeps the
    // block where it is while set and takes precedence over the heater.
    void SetHeater(bool aOn) { fHeaterOn = aOn; }
    void SetHold(bool aOn) { fHolding = aOn; }
    bool HeaterOn() const { return fHeaterOn; }
    bool Holding() const { return fHolding; }

    // Moves the cell to simulated time aTime (s); earlier times are ignored.
    void AdvanceTo(double aTime);
    double Time() const { return fTime; }

    double BlockTemp() const { return fBlock; }
    double ReferenceTemp() const { return fRef; }
    double SampleTemp() const { return fSample; }
    // The temperature the sensor reports: the sample's, which stops at a melting point while the
    // sample melts, as the program's T channel expects.
    double SensorTempC() const { return fSample; }
    // Reference minus sample, K, with the slow drift of the differential pair.
    double DiffTemp() const;
    // Molten fraction (melting) or conversion (reaction), 0 … 1.
    double Transformed() const;
    // Heat the transformation exchanges in total, J.
    double TotalHeat() const;

    // Thermal resistance between block and pans, K/W: a peak's area in K·s is R × its heat in J.
    static constexpr double R = 50;

private:
    void Step(double aDt);
    // Crosses a long idle gap in one piece: the pans take the block's temperature.
    void Jump(double aDt);
    // The pan's next temperature after the substances took or gave their heat of fusion.
    double Melt(double aNext);

    // One melting substance: its melting point, its heat of fusion (J) and what of it is melted.
    struct RMelting {
        double temp;
        double total;
        double done = 0;
    };

    TSimConfig fConfig;
    double fTime = 0;
    double fBlock, fRef, fSample;
    double fSampleCapacity;          // J/K of the sample pan with its sample
    double fDone = 0;                // conversion 0 … 1 of a reaction
    std::vector<RMelting> fMelting;  // by rising melting point
    bool fHeaterOn = false;
    bool fHolding = false;
};

}  // namespace kalvero::sim
