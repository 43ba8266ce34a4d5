#pragma once
// A method made from an evaluated experiment: each of its peaks, glass transitions, purities and
// degrees of crystallinity becomes an evaluation over the same stretch of the run, written in °C
// (in seconds where the temperature holds or where degrees would name another stretch), so that
// applied to another run it evaluates the same temperatures.

#include <string>

#include "methods/Method.h"

namespace kalvero {
class TDataClass;
}

namespace kalvero::methods {

// EMethodError "В опыте нет оценок для методики" when the experiment has none. The limits of
// aLimitsFrom are kept for the evaluations that match one of it (same kind and range).
TMethod MethodOf(const TDataClass& aData, const std::string& aName, const TMethod* aLimitsFrom = nullptr);

// Items aFrom … aTo of aData as a range text that ItemRangeOf reads back to the same items.
std::string RangeTextOf(const TDataClass& aData, int aFrom, int aTo);

}  // namespace kalvero::methods
