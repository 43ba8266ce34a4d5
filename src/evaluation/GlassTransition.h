#pragma once
// The glass transition of a curve by the tangent construction of ISO 11357-2 (3.2 glass transition
// temperature, 3.3 step height and the construction of its Figures 1 and 2: Teig, Tmg, Tig, Tefg) and
// ASTM E1356 (3.2, the terms of the standard: extrapolated onset Tf, midpoint Tm, inflection Ti,
// extrapolated end Te). All lines are lines of the signal over the sample temperature.

#include <string>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

struct TGlassTransitionOptions {
    // The flat stretches at the start and at the end of the range the base lines are fitted over:
    // stretchItems items each when given, else this share of the range's items.
    double stretchFraction = 0.15;
    size_t stretchItems = 0;
    // Half-width (items) of the window of the smoothed derivative dy/dT and of the tangent's fit;
    // 0: a sixty-fourth of the range, at least 2.
    size_t smoothingItems = 0;
    // For ΔCp: the sample's mass (mg) and the rate (K/min; NaN: the mean rate over the range).
    double mass = NAN;
    double rate = NAN;
};

struct RGlassTransition {
    TItemRange range;
    TItemRange before, after;              // the stretches the two base lines were fitted over
    RLine baseBefore, baseAfter, tangent;  // signal over temperature
    RPoint onset;                          // Teig / Tf: the first base line meets the tangent
    RPoint midpoint;          // Tmg / Tm: the curve crosses the line halfway between the base lines
    RPoint inflection;        // Tig / Ti: the steepest point of the step
    RPoint endset;            // Tefg / Te: the tangent meets the second base line
    double stepHeight = NAN;  // second base line − first at the midpoint, signal unit
    // |step height| / (mass · rate) in J/(g·K) for a heat flow in mW, a mass in mg and a rate in
    // K/min (mW = mJ/s and K/min = K/60 s, hence the factor 60); NaN without mass or rate.
    double deltaCp = NAN;
    double rate = NAN;  // K/min used for ΔCp
    RDrawing drawing;
    std::vector<std::string> warnings;
};

// The construction over aRange, the base lines fitted to the stretches the options set.
// EEvaluationError when the range is too short (fewer than 16 items) or the temperature does not
// change over it.
RGlassTransition EvaluateGlassTransition(const TCurve& aCurve, TItemRange aRange,
                                         const TGlassTransitionOptions& aOptions = {});

// The same with the stretches given, as the operator drags the construction's ends: the range runs
// from the start of aBefore to the end of aAfter, and the step is sought between them.
RGlassTransition EvaluateGlassTransitionBetween(const TCurve& aCurve, TItemRange aBefore, TItemRange aAfter,
                                                const TGlassTransitionOptions& aOptions = {});

}  // namespace kalvero::evaluation
