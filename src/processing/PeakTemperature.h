#pragma once
// The temperature of a peak's maximum, read so that noise on a broad, flat top does not move it.

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero {

// The sample temperature (channel 0 tc) at the vertex of a parabola fitted to the peak's height
// above its base line over the items within 80 % of the largest height; the temperature at the
// top item when too few items are that high or the fit has no maximum.
double PeakTopTemperature(const TDataClass& aDataClass, const TPeak& aPeak);

}  // namespace kalvero
