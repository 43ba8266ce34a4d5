#pragma once
// Specific heat capacity by DSC, ASTM E1269 (Sections 10 and 11) and ISO 11357-4 (the continuous
// scanning procedure and its calculation): three runs over the same heating program, an empty
// holder (the blank), a reference material of known cp (synthetic sapphire) and the sample.
//
// Each run is read over its heating segment. Where the program holds isothermal stretches before
// and after the heating, the straight line between their levels is the run's isothermal base line
// and is subtracted from it (ISO 11357-4): what stays of each run is its displacement D during the
// heating. The blank's displacement is subtracted from the others' when a blank is given; runs that
// are already blank-corrected need none. The reference and the blank are read at the sample's own
// temperatures, interpolated on their temperatures (never item by item). Every displacement is
// divided by its run's heating rate, so that runs at different rates still compare (a warning says
// so); at equal rates this changes nothing in the ratio. Then (E1269 Section 11):
//
//     cp(T) = cp_ref(T) · (m_ref / m_s) · (D_s(T) / D_ref(T)).
//
// A signal already per mass (mW/mg) is multiplied back by its mass where a blank (which is not per
// mass) must come off; without a blank the masses cancel. Without a reference a heat-flow run gives
// cp directly, the heat-flow calibration of the instrument standing in for the sapphire's:
//
//     cp(T) = 60 · D_s(T) / (m_s · β),      D in mW, m in mg, β in K/min.

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

// One run of the procedure: its record and what is known about it.
struct TCpRun {
    TCurve curve;          // time s, temperature °C, signal proportional to heat flow
    double mass = NAN;     // mg; NaN when not known
    bool perMass = false;  // the signal is already divided by the mass (mW/mg, µV/mg)
    bool endoUp = true;    // heat taken up (endothermic) raises the signal
    double rate = NAN;     // K/min of the heating; NaN: the heating's own, from its temperatures
    std::string name;      // how warnings name the run ("образец")
};

// The specific heat capacity of a reference material against temperature: a table interpolated
// linearly.
struct TReferenceCp {
    std::string name, source;
    std::vector<double> kelvin;  // ascending
    std::vector<double> cp;      // J/(g·K)

    // cp at a temperature in °C; NaN outside the table.
    double AtCelsius(double aCelsius) const;
    double FirstCelsius() const;
    double LastCelsius() const;
};

struct TCpOptions {
    // The temperatures (°C) of the result; NaN: the heating common to all runs less a tenth of it at
    // each end, where the runs still settle after the start and before the end of the heating.
    double from = NAN, to = NAN;
    // The temperatures (°C) of the table; its values come from the items within ±halfWidth (K).
    std::vector<double> at;
    double halfWidth = 1;
};

// A value of the table from the items within ±halfWidth of the temperature: the straight line
// through them read at the temperature, and their standard deviation about that line.
struct RCpPoint {
    double temperature = NAN;  // °C
    double cp = NAN;           // J/(g·K)
    double scatter = NAN;      // J/(g·K)
    size_t count = 0;          // items within the half width
};

struct RHeatCapacity {
    // The sample's items inside the range, one entry each.
    std::vector<double> time;         // s
    std::vector<double> temperature;  // °C
    std::vector<double> cp;           // J/(g·K)
    std::vector<RCpPoint> table;
    double from = NAN, to = NAN;                                    // °C: the range evaluated
    double sampleRate = NAN, referenceRate = NAN, blankRate = NAN;  // K/min
    bool isothermalCorrection = false;  // every run had its isotherms before and after the heating
    std::vector<std::string> warnings;
};

// The ratio method; aBlank may be null. EEvaluationError when a run has no heating, the runs share
// no temperatures, a needed mass is missing or the reference's displacement is not positive.
RHeatCapacity RatioHeatCapacity(const TCpRun& aSample, const TCpRun& aReference, const TCpRun* aBlank,
                                const TReferenceCp& aReferenceCp, const TCpOptions& aOptions = {});

// The direct method: the sample's heat flow (mW, or mW/mg) less the blank's over its mass and rate.
RHeatCapacity DirectHeatCapacity(const TCpRun& aSample, const TCpRun* aBlank,
                                 const TCpOptions& aOptions = {});

// The table of a result at the temperatures aAt (°C) from the items within ±aHalfWidth (K).
std::vector<RCpPoint> HeatCapacityTable(const RHeatCapacity& aResult, std::span<const double> aAt,
                                        double aHalfWidth);
// The same made aResult's table, a warning for each temperature outside the result.
void TabulateHeatCapacity(RHeatCapacity& aResult, std::span<const double> aAt, double aHalfWidth);
// Round temperatures inside aFrom … aTo (°C), at most twenty, 1, 2, 5, 10, 20, 50 … K apart: the
// table when none are asked for.
std::vector<double> RoundTemperatures(double aFrom, double aTo);

}  // namespace kalvero::evaluation
