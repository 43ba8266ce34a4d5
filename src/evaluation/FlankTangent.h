#pragma once
// The inflectional tangent of one flank of a peak (ISO 11357-1, 3.3.2 and 3.3.4): the straight
// line fitted around the steepest point of the flank, and where it meets the peak's base line —
// the extrapolated onset on the leading flank, the extrapolated endset on the trailing one.

namespace kalvero {

class TDataClass;
class TPeak;

struct TFlankTangent {
    double crossing;   // fractional item where the tangent meets the base line; NaN when it does not
    int steepest;      // item of the steepest point
    double slope;      // readings per item
    double intercept;  // readings at item 0
};

// aTrailing: the flank from the top to the right margin, else from the left margin to the top.
// Readings of channel 0; the steepest point by a centred difference over a twentieth of the flank
// (at least two items), the line by least squares over the same reach around it.
TFlankTangent FlankTangentOf(const TDataClass& aData, const TPeak& aPeak, bool aTrailing);

}  // namespace kalvero
