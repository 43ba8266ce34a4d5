#pragma once
// The evaluation of one conversion level by each kind of method, for Isoconversional.cpp.

#include <functional>
#include <vector>

#include "Isoconversional.h"

namespace kalvero::kinetics {

// A straight-line method at one level: aRates in K/min, aPoints one per run.
RActivationEnergy LineMethodLevel(TKineticMethod aMethod, const std::vector<double>& aRates,
                                  const std::vector<RConversionPoint>& aPoints, size_t aMiddleRun,
                                  double aConfidence);

// ω(E) of every run for an energy in J/mol, written into the second argument.
using TLnIntegrals = std::function<void(double, std::vector<double>&)>;

// The Vyazovkin minimum of Φ(E) − n(n−1) = Σᵢ<ⱼ 4 sinh²((ωᵢ − ωⱼ)/2) over E, searched from aGuess
// (J/mol), with the F-test interval described at AnalyseKinetics. Energy NaN when Φ has no
// minimum.
RActivationEnergy VyazovkinLevel(const TLnIntegrals& aLnIntegrals, size_t aRuns, double aGuess,
                                 double aConfidence);

}  // namespace kalvero::kinetics
