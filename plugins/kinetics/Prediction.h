#pragma once
// Model-free prediction from E(α) (Vyazovkin's isoconversional prediction, as in the ICTAC
// Kinetics Committee's recommendations, Thermochim. Acta 520 (2011) 1–19): under a constant
// temperature T0 a conversion α is reached at
//     tα = J[Eα, T(t)] / exp(−Eα / RT0),   J = ∫ exp(−Eα / RT(t)) dt from the run's start to tα,
// on the measured temperature of one run; no reaction model enters.

#include "Isoconversional.h"
#include "KineticRun.h"

namespace kalvero::kinetics {

// A predicted time (s) or temperature (K), and its values at the two ends of E's confidence
// interval, the smaller one first (NaN where E has no interval).
struct RPrediction {
    double value = 0;
    double low = 0, high = 0;
};

// The time to reach aConversion at the constant temperature aTemperature (K), from the energies
// of one method (linear between its levels) and the run aRun they were evaluated on. Refuses a
// conversion outside the evaluated levels or one where E is unknown.
RPrediction PredictIsothermalTime(const RKineticRun& aRun, const RMethodEnergies& aEnergies,
                                  double aConversion, double aTemperature);

// The constant temperature at which aConversion is reached in aTime (s): the storage temperature
// of a shelf life. Refuses a time shorter than the run's own J, which no temperature can beat.
RPrediction PredictIsothermalTemperature(const RKineticRun& aRun, const RMethodEnergies& aEnergies,
                                         double aConversion, double aTime);

}  // namespace kalvero::kinetics
