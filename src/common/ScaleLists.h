#pragma once
// The scale and heating-rate lists of the settings and experiment-properties dialogs: their
// entries, built from the configuration, and the mapping between list positions and the values
// they stand for. Temperature, dT and area scales are their list positions themselves.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Config.h"

namespace kalvero {

// "Секунды", "Минуты", "Часы", "Отсчёты АЦП".
std::vector<std::string> TimeScaleList();
// Seconds per display unit (1, 60, 3600; 0: samples) to its position; −1 for any other value.
int TimeScaleIndex(int32_t aTimeScale);
// A position back to seconds per unit; a position off the list keeps aCurrent.
int32_t TimeScaleOfIndex(int aIndex, int32_t aCurrent);

// "Отсчёты АЦП" and the units of the channel: the temperature, dT and area scale lists.
std::vector<std::string> TempScaleList(const TAppConfig& aConfig);
std::vector<std::string> DiffTempScaleList(const TAppConfig& aConfig);
// "Отсчёты АЦП", the area units and the area units per mass.
std::vector<std::string> AreaScaleList(const TAppConfig& aConfig);

// Every offered heating rate with one decimal, in order.
std::vector<std::string> HeatSpeedTexts(const TAppConfig& aConfig);

}  // namespace kalvero
