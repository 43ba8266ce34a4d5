#pragma once
// A tangent: a straight line fitted by least squares to a short stretch of the T or dT curve,
// read in three unit systems (counts per item, degrees per item, degrees per second).

#include <cstdint>

#include "common/Object.h"
#include "processing/XYPoint.h"

namespace kalvero {

enum TTangentType : uint8_t { ttForTemp = 0, ttForDiffTemp = 1 };

class TTangent : public TObject {
public:
    explicit TTangent(TTangentType aTangentType) : fTangentType(aTangentType) {}

    // Fits y = slope·x + intercept to each of the three point lists.
    void Calc();

    int32_t x0 = 0;               // middle of the stretch
    int32_t x1 = 0;               // first item
    int32_t x2 = 0;               // end of the stretch (not fitted)
    long double tgA_Units = 0;    // counts per item
    long double tgA_Degrees = 0;  // degrees per item
    long double tgA_Real = 0;     // degrees per second
    TTangentType fTangentType;
    long double b_Units = 0, b_Degrees = 0, b_Real = 0;
    TXYPoints fPointsUnits;    // (item, counts)
    TXYPoints fPointsDegrees;  // (item, degrees)
    TXYPoints fPointsReal;     // (seconds, degrees)
};

}  // namespace kalvero
