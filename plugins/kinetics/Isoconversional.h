#pragma once
// Isoconversional (model-free) kinetic analysis of a set of runs at different heating rates, as
// the ICTAC Kinetics Committee recommends it (Vyazovkin et al., Thermochim. Acta 520 (2011)
// 1–19): the activation energy E at each conversion level α by the differential method of
// Friedman, the integral methods of Ozawa–Flynn–Wall (ASTM E1641), Kissinger–Akahira–Sunose and
// Starink, Vyazovkin's method with the temperature integral integrated numerically and its
// advanced form over the runs' own temperature, and the Kissinger peak method (ASTM E698).
// Energies are in kJ/mol, temperatures in K, heating rates in K/min.

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "KineticRun.h"
#include "KissingerFit.h"

namespace kalvero::kinetics {

enum class TKineticMethod : uint8_t {
    kmFriedman,                // ln(dα/dt) against 1/T
    kmOzawaFlynnWall,          // log β against 1/T, Doyle's factor refined as in ASTM E1641
    kmKissingerAkahiraSunose,  // ln(β/T²) against 1/T
    kmStarink,                 // ln(β/T^1.92) against 1/T, slope −1.0008·E/R
    kmVyazovkin,               // min over E of Σᵢ Σⱼ≠ᵢ I(E,Tα,ᵢ)βⱼ / (I(E,Tα,ⱼ)βᵢ)
    kmAdvancedVyazovkin,       // the same with J[E,T(t)] over tα−Δα … tα of each run
};

inline constexpr TKineticMethod kAllKineticMethods[] = {
    TKineticMethod::kmFriedman, TKineticMethod::kmOzawaFlynnWall, TKineticMethod::kmKissingerAkahiraSunose,
    TKineticMethod::kmStarink,  TKineticMethod::kmVyazovkin,      TKineticMethod::kmAdvancedVyazovkin};

// The method's name as the operator reads it ("Фридман", "Озава–Флинн–Уолл", …).
std::string KineticMethodName(TKineticMethod aMethod);

// E at one conversion level. The interval is the 95 % (or the options') confidence interval: for
// the straight-line methods Student's t for n − 2 degrees of freedom on the slope; for the
// Vyazovkin methods the F-test on Φ(E) described at AnalyseKinetics. NaN where the level could
// not be evaluated (a rate ≤ 0 for Friedman, no minimum of Φ) or the interval is undefined (two
// runs).
struct RActivationEnergy {
    double conversion = 0;
    double energy = 0;         // kJ/mol
    double low = 0, high = 0;  // kJ/mol
    double r2 = 0;             // of the line; NaN for the Vyazovkin methods, which fit no line
    // The isoconversional line of the straight-line methods, one point per run: x = 1/Tα (1/K),
    // y the method's ordinate, and the fitted y = slope·x + intercept. Empty for Vyazovkin.
    std::vector<double> x, y;
    double slope = 0, intercept = 0;
};

struct RMethodEnergies {
    TKineticMethod method = TKineticMethod::kmFriedman;
    std::vector<RActivationEnergy> levels;  // one per evaluated conversion level
    double meanEnergy = 0;                  // kJ/mol, over the levels from 0.1 to 0.9
    // (max − min) / mean of E over the levels from 0.1 to 0.9 above the options' limit: a
    // multi-step process, for which no single E may be used.
    bool multiStep = false;
};

struct RKineticsOptions {
    std::vector<double> conversions;  // empty: 0.05, 0.10 … 0.95
    std::vector<TKineticMethod> methods{std::begin(kAllKineticMethods), std::end(kAllKineticMethods)};
    double confidence = 0.95;
    // Δα of the advanced method; 0: the spacing of the levels, so that the stretches tile α.
    double advancedStep = 0;
    double multiStepLimit = 0.2;
};

struct RKineticsResult {
    std::vector<double> heatingRates;  // K/min, one per run
    std::vector<double> conversions;   // the levels all runs pass, the ones evaluated
    // points[level][run]: where each run reaches each level (T for the table and the plots).
    std::vector<std::vector<RConversionPoint>> points;
    std::vector<RMethodEnergies> methods;  // in the options' order
    // Kissinger (ASTM E698) over the runs' peak temperatures (PeakTemperature).
    std::vector<double> peakTemperatures;  // K
    RKissingerResult kissinger;
    std::vector<std::string> warnings;  // for the operator, Russian
};

// The energies of aMethod in aResult; nullptr when it was not evaluated.
const RMethodEnergies* FindMethod(const RKineticsResult& aResult, TKineticMethod aMethod);

// The levels 0.05, 0.10 … 0.95.
std::vector<double> StandardConversions();

// Every method of aOptions over aRuns (at least two; the committee asks for three or more heating
// rates and a warning says so). Only the levels inside the range of α common to all runs are
// evaluated; a warning names the ones left out.
//
// Uncertainty of the Vyazovkin methods: with ωᵢ(E) = ln(I(E,Tα,ᵢ)/βᵢ) (ln J for the advanced form),
// Φ(E) − n(n−1) = Σᵢ<ⱼ 4 sinh²((ωᵢ − ωⱼ)/2), which near the minimum is n times the residual sum of
// squares of the ωᵢ about their mean: a least-squares fit in E. Its confidence interval is where
// the excess grows by the F-test of that fit (Vyazovkin and Wight's F-test on Φ, Anal. Chem. 72
// (2000) 3171, applied to the excess so that it shrinks with the scatter of the data as the
// straight-line methods' intervals do): excess ≤ excess_min·(1 + F(1, n−2)/(n−2)),
// F(1, n−2) = t²(n−2). For a straight-line problem this is exactly the Student t interval.
RKineticsResult AnalyseKinetics(const std::vector<RKineticRun>& aRuns, const RKineticsOptions& aOptions = {});

}  // namespace kalvero::kinetics
