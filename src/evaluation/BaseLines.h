#pragma once
// Base lines of a peak over its range, one value per item: the virtual base line of ISO 11357-1
// drawn through the peak, as the straight line between the margins, horizontal from either margin,
// or sigmoidal (switching from the level before the peak to the level after it in proportion to
// the share of the peak's area passed, for a heat capacity that changes with the conversion),
// either between the margin levels or between straight lines fitted before and after the peak
// (tangential-sigmoidal). Lines run over time, so isothermal records are evaluated alike.

#include <optional>
#include <string>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

enum class EBaseLine {
    Straight,             // from the curve at the left margin to the curve at the right margin
    HorizontalLeft,       // level with the left margin
    HorizontalRight,      // level with the right margin
    Sigmoidal,            // b = (1 − α)·yL + α·yR
    TangentialSigmoidal,  // b = (1 − α)·L1(t) + α·L2(t)
};

struct TBaseLineOptions {
    EBaseLine type = EBaseLine::Straight;
    // The level at a margin is the mean of this many items from the margin inwards.
    size_t marginItems = 1;
    // Tangential-sigmoidal: the stretches L1 and L2 are fitted over, given or else this share of
    // the range (stretchItems items when given) at each end.
    std::optional<TItemRange> before, after;
    double stretchFraction = 0.1;
    size_t stretchItems = 0;
    // Sigmoidal: the iteration stops when no item of the base line moves by more than this share
    // of the peak's height, or after maxIterations.
    double tolerance = 1e-6;
    int maxIterations = 100;
};

struct RBaseLine {
    EBaseLine type = EBaseLine::Straight;
    TItemRange range;
    std::vector<double> values;  // one per item of the range
    int iterations = 0;          // sigmoidal: passes of the iteration (0 for the others)
    bool converged = true;
    // The lines the base line is made of, signal over time: the one line for the straight and
    // horizontal kinds; the levels (slope 0) or the fitted lines for the sigmoidal kinds.
    RLine before, after;
    RDrawing drawing;  // the lines of the tangential kind; the base line itself is `values`
    std::vector<std::string> warnings;
};

// EEvaluationError for a range of fewer than 3 items, or a sigmoidal base line under a curve with
// no area above the straight line.
RBaseLine ComputeBaseLine(const TCurve& aCurve, TItemRange aRange, const TBaseLineOptions& aOptions = {});

// The same into aResult, whose values' memory is used again: a base line recomputed while the
// operator drags a margin over a long record then costs no fresh memory.
void ComputeBaseLine(const TCurve& aCurve, TItemRange aRange, const TBaseLineOptions& aOptions,
                     RBaseLine& aResult);

}  // namespace kalvero::evaluation
