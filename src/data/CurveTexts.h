#pragma once
// Unit texts of an experiment's axes and values ("отсч." for raw counts, the configured units
// for degrees, "сек.", "мин.", "час." for time) and the texts that describe the curve at a
// point: the values of one item and the status line under the mouse.

#include <string>

#include "data/DataClass.h"

namespace kalvero {

std::string GetTempScaleStr(const TDataClass& t);
std::string GetDiffTempScaleStr(const TDataClass& t);
// By the time scale: 0 "отсч.", 1 "сек.", 60 "мин.", 3600 "час.", anything else empty.
std::string GetTimeScaleStr(const TDataClass& t);
std::string GetTimeScaleStr(TTimeScale aScale);

// The value of item aTime of channel aChannel with its unit: degrees with the configured accuracy
// (the raw reading in brackets in debug mode) or the raw reading. "Error" for a missing item or
// channel.
std::string GetTempStr(const TDataClass& aDataClass, int aTime, int aChannel);
std::string GetDiffTempStr(const TDataClass& aDataClass, int aTime, int aChannel);
// Item aTime as time in the experiment's unit, one decimal: "12.5 сек.".
std::string GetTimeStr(const TDataClass& aDataClass, double aTime);

// The status text for the mouse at the fractional item aX (aX1: its value on a temperature x
// axis): channel 0 interpolated between the two items around it, by mode:
//   0, 2: "t:12.5сек.,  dT 2050отсч."      8: "t:12.5сек.,  T 156.6°С"
//   1: "T:156.6°С,  dT 0.125°С"             7: the mode-0 text + ",  T:156.6°С"
// Empty in the other modes and for a record of fewer than two items.
std::string GetCurveStrInfo(const TDataClass& t, double aX, double aX1);

}  // namespace kalvero
