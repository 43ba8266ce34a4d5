#pragma once
// The deflection table of the heating program: how many degrees before the target temperature
// the heater is switched off, by heating rate, so that the cell's inertia does not overshoot.

#include <string>
#include <vector>

namespace kalvero {

struct THeatDeflectionPair {
    float key = 0;    // heating rate, degrees per minute
    float value = 0;  // deflection, °C
};
using THeatDeflection = std::vector<THeatDeflectionPair>;

// "rate:deflection" items, rates ascending, e.g. "5:2,10:4". Either decimal separator is read
// ("2.5" and "2,5"); a text with a ";" separates its items by ";" so that "5:2,5;10:4" can carry
// decimal commas. Any item that does not convert empties the whole table (no error).
THeatDeflection ParseHeatDeflection(const std::string& aText);

// The deflection of the first interval (-100, rate0], (rate0, rate1], ..., (rateN-1, 10000] that
// holds aHeatSpeed; the last interval repeats the last deflection. 0 outside them or for an empty
// table.
float LookupDeflection(const THeatDeflection& aTable, float aHeatSpeed);

}  // namespace kalvero
