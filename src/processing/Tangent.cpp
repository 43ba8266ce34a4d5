#include "processing/Tangent.h"

#include "processing/MathUtils.h"

namespace kalvero {

void TTangent::Calc() {
    MinSquareLine(fPointsUnits, tgA_Units, b_Units);
    MinSquareLine(fPointsDegrees, tgA_Degrees, b_Degrees);
    MinSquareLine(fPointsReal, tgA_Real, b_Real);
}

}  // namespace kalvero
