#pragma once
// The temperature integral of the Arrhenius factor and the integral of exp(−E/RT) over the time of
// a run, which the integral isoconversional methods and the prediction are built on.
//
// With x = E/RT, ∫₀ᵀ exp(−E/RT′) dT′ = (E/R)·p(x) and p(x) = e^(−x)/x² · H(x), where
// H(x) = ∫₀^∞ e^(−s) (1 + s/x)^(−2) ds lies between 0 and 1 and is smooth for every x > 0: it is
// integrated numerically (Gauss–Kronrod), so that no approximation of p(x) (Doyle, Coats–Redfern,
// Senum–Yang) limits the Vyazovkin methods: the ICTAC Kinetics Committee (Vyazovkin et al.,
// Thermochim. Acta 520 (2011) 1–19) asks the integral methods for an accurate temperature
// integral.

#include <vector>

#include "KineticRun.h"

namespace kalvero::kinetics {

// H(x) above, for x > 0.
double ReducedTemperatureIntegral(double aX);

// ln p(x), without the underflow of p(x) itself at large x.
double LnTemperatureIntegral(double aX);

// ln ∫₀ᵀ exp(−E/RT′) dT′ (ln K) for an activation energy in J/mol and a temperature in K.
double LnArrheniusTemperatureIntegral(double aEnergy, double aTemperature);

// ASTM E1641 (Calculation, Table 1) takes log₁₀ p(x) near x = E/RT as straight: b is its slope,
// −d log₁₀ p / dx, the factor of the Ozawa–Flynn–Wall plot (Doyle's constant 0.457 at first); a is
// −log₁₀ p(x), which the standard's pre-exponential factor uses. Both come here from the
// numerically integrated p(x) rather than from the table's rows at whole numbers of E/RT.
double FlynnWallSlope(double aX);
double FlynnWallIntercept(double aX);

// ∫ exp(−E/RT(t)) dt (s) over the stretch of a run between two of its conversion points, on the
// run's own temperature T(t) (trapezoid rule over the samples), for many E at little cost: the
// samples are gathered once into narrow bins of 1/RT, each keeping the first three moments of its
// weights, so that an evaluation costs a few multiplications per bin (relative error below 2e-7
// up to 2000 kJ/mol). Vyazovkin's advanced method (J. Comput. Chem. 22 (2001) 178) and the model-free
// prediction evaluate it.
class TArrheniusTimeIntegral {
public:
    // aLeadInRate (K/s) > 0 adds the part before the first sample as linear heating up to its
    // temperature, for a stretch that begins there: data cut at a peak's start do not lose the
    // time the reaction was already running.
    TArrheniusTimeIntegral(const RKineticRun& aRun, const RConversionPoint& aFrom,
                           const RConversionPoint& aTo, double aLeadInRate);

    // ln J for an activation energy in J/mol (J in s).
    double Ln(double aEnergy) const;

private:
    struct RBin {
        double weight = 0, first = 0, second = 0;  // Σw, Σwδ, Σwδ² with δ = u − the bin's centre
    };
    // Bins over aCoolest … aHottest filled from the nodes aVisit gives; false when a node lies
    // outside (the bins at the edge took it).
    template <typename Visit>
    bool Gather(const Visit& aVisit, double aCoolest, double aHottest);
    void Add(double aTemperature, double aWeight);

    double fLowest = 0;  // the bins' smallest 1/RT (at the hottest end)
    double fWidth = 0;   // bin width in 1/RT
    double fPerWidth = 0;
    std::vector<RBin> fBins;
    double fLeadInTemperature = 0, fLeadInRate = 0;
};

}  // namespace kalvero::kinetics
