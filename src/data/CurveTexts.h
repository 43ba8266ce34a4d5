#pragma once
// Unit texts of an experiment's axes and values: "отсч." for raw counts, the configured units
// for degrees, "сек.", "мин.", "час." for time.

#include <string>

#include "data/DataClass.h"

namespace kalvero {

std::string GetTempScaleStr(const TDataClass& t);
std::string GetDiffTempScaleStr(const TDataClass& t);
// By the time scale: 0 "отсч.", 1 "сек.", 60 "мин.", 3600 "час.", anything else empty.
std::string GetTimeScaleStr(const TDataClass& t);
std::string GetTimeScaleStr(TTimeScale aScale);

}  // namespace kalvero
