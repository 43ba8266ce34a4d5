#include "common/ScaleLists.h"

#include "common/Procs.h"

namespace kalvero {
namespace {

constexpr int32_t kTimeScales[] = {1, 60, 3600, 0};
constexpr const char* kCounts = "Отсчёты АЦП";

}  // namespace

std::vector<std::string> TimeScaleList() {
    return {"Секунды", "Минуты", "Часы", kCounts};
}

int TimeScaleIndex(int32_t aTimeScale) {
    for (int k = 0; k < 4; ++k)
        if (kTimeScales[k] == aTimeScale) return k;
    return -1;
}

int32_t TimeScaleOfIndex(int aIndex, int32_t aCurrent) {
    return aIndex >= 0 && aIndex < 4 ? kTimeScales[aIndex] : aCurrent;
}

std::vector<std::string> TempScaleList(const TAppConfig& aConfig) {
    return {kCounts, aConfig.tempChannelUnitsName};
}

std::vector<std::string> DiffTempScaleList(const TAppConfig& aConfig) {
    return {kCounts, aConfig.diffChannelUnitsName};
}

std::vector<std::string> AreaScaleList(const TAppConfig& aConfig) {
    return {kCounts, aConfig.areaUnitsName, aConfig.areaUnitsPerMassName};
}

std::vector<std::string> HeatSpeedTexts(const TAppConfig& aConfig) {
    std::vector<std::string> texts;
    for (double rate : aConfig.heatSpeedList)
        texts.push_back(StrN(rate, 1));
    return texts;
}

}  // namespace kalvero
