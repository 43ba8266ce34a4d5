#pragma once
// The characteristic temperatures of a peak over a given base line, as ISO 11357-1 names them and
// ASTM E794 uses them for melting and crystallisation: initial Ti, extrapolated onset Tei, peak Tp,
// extrapolated end Tef, final Tf, and the width at half height. The construction runs over time
// (tangents are lines of the signal over time), and every point carries its temperature, so
// isothermal peaks are evaluated alike. Peaks up and down are both handled.
//
// Ti and Tf are where the excursion of the curve from the base line that contains the top starts
// and ends: where the deviation crosses the threshold max(noiseFactor·σ, minFraction·height), σ the
// noise of the curve estimated from its first differences over the outer tenths of the range. As
// far as noise sets the threshold, the deviation is averaged over the edge's derivative window
// before it is compared, so that a dip of noise does not end the peak early.

#include <string>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

struct TPeakOptions {
    double noiseFactor = 5;
    double minFraction = 0.01;
    // Half-width (items) of the window of the smoothed derivative and of the tangents' fits;
    // 0: a quarter of each edge's half width at half height, at least 2.
    size_t smoothingItems = 0;
};

struct RPeakTemperatures {
    TItemRange range;
    int direction = 1;           // +1 a peak above the base line, −1 below
    double height = NAN;         // the top's deviation from the base line, signed
    RPoint initial;              // Ti: the first clear deviation from the base line
    RPoint onset;                // Tei: the tangent at the leading edge's inflection meets the base line
    RPoint top;                  // Tp: the largest deviation, refined by a parabola
    RPoint endset;               // Tef: the tangent at the trailing edge's inflection meets the base line
    RPoint final;                // Tf: the last clear deviation
    RPoint halfLeft, halfRight;  // where the deviation is half the height
    double halfWidthTime = NAN;  // s
    double halfWidthTemperature = NAN;      // K (absolute)
    RLine leadingTangent, trailingTangent;  // signal over time
    double noise = NAN;                     // σ of the curve, signal unit
    double threshold = NAN;                 // deviation that counts as clear, signal unit
    RDrawing drawing;
    std::vector<std::string> warnings;
};

// aBaseLine holds one value per item of aRange (RBaseLine::values). EEvaluationError for fewer
// than 16 items or a curve that never leaves the base line.
RPeakTemperatures EvaluatePeakTemperatures(const TCurve& aCurve, TItemRange aRange,
                                           std::span<const double> aBaseLine,
                                           const TPeakOptions& aOptions = {});

}  // namespace kalvero::evaluation
