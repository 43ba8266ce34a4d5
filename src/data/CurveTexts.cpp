#include "data/CurveTexts.h"

namespace kalvero {

std::string GetTempScaleStr(const TDataClass& t) {
    return t.tempScale == tsUnits ? "отсч." : DataConfig().tempChannelUnitsName;
}

std::string GetDiffTempScaleStr(const TDataClass& t) {
    return t.diffTempScale == dtsUnits ? "отсч." : DataConfig().diffChannelUnitsName;
}

std::string GetTimeScaleStr(const TDataClass& t) {
    return GetTimeScaleStr(t.timeScale);
}

std::string GetTimeScaleStr(TTimeScale aScale) {
    switch (aScale) {
        case tmUnits:
            return "отсч.";
        case tmSeconds:
            return "сек.";
        case tmMinutes:
            return "мин.";
        case tmHours:
            return "час.";
    }
    return "";
}

}  // namespace kalvero
