#pragma once
// The limits of a method as the operator sets them before saving it: a row per result each
// evaluation gives, with the value the experiment has now, and the bounds typed in as text.

#include <string>
#include <vector>

#include "methods/Method.h"
#include "methods/MethodApply.h"

namespace kalvero::methods {

struct TLimitRow {
    size_t evaluation = 0;  // index into the method's evaluations
    std::string name;       // the result's name in the method file
    std::string title;      // "Температура пика Tпик (topTemp)"
    std::string unit;
    double value = NAN;  // the experiment's value now; NaN when it has none
    RLimit limit;
};

// The rows of aMethod in its order, the values taken from aCurrent (the experiment's results as
// they stand) by the evaluation's kind and range.
std::vector<TLimitRow> LimitRows(const TMethod& aMethod, const TMethodRun& aCurrent);

// A bound typed in: empty is open (NaN), either decimal separator. EMethodError naming the result
// for any other text.
double BoundOf(const std::string& aText, const std::string& aTitle);

// Sets the limit of aName; open on both sides removes it. Kept in the order the kind's results
// come in. EMethodError when the low bound is above the high one.
void SetLimit(TMethodEvaluation& aEvaluation, const std::string& aName, const RLimit& aLimit);

}  // namespace kalvero::methods
