#include "common/AppSettingsForm.h"

#include <cmath>

#include "common/FileUtil.h"
#include "common/FormFields.h"

namespace kalvero {
namespace {

// A radio group's position when it names one of aCount choices.
int Choice(int aValue, int aCount) {
    return aValue >= 0 && aValue < aCount ? aValue : -1;
}

template <typename T>
void AssignChoice(T& aField, int aPosition) {
    if (aPosition >= 0) aField = static_cast<T>(aPosition);
}

int32_t Rounded(double aValue) {
    return static_cast<int32_t>(std::lround(aValue));
}

}  // namespace

RAppSettingsForm AppSettingsForm(const TAppConfig& c) {
    RAppSettingsForm f;
    f.priority = Choice(c.scanThreadPriority - 1, 5);
    f.linearInterpolation = c.timeApproximationType == 1;
    f.expandableScale = c.zoomKindWhileScan == 0;
    f.showGrid = c.showScreenGrid;
    f.drawOptimization = c.drawOptimization;
    f.useAA = c.useAA;
    f.fillPeaks = c.fillPeaks;
    f.dataFolder = c.appUserDataPath;
    f.tangentTimeRange = std::to_string(c.tangentTimeRange);
    f.smoothDotCount = c.smoothDotCount;
    f.smoothDotStep = c.smoothDotStep;
    f.smoothStep = c.smoothStep;
    f.tangentDetectType = Choice(c.tangentDetectType, 2);
    f.areaBeginCalcType = Choice(c.areaBeginCalcType, 3);
    f.peakBaseLineType = Choice(c.peakBaseLineType, 2);
    f.baseLineLimit = c.detectBaseLineLimit;
    f.peakLowLimit = c.detectPeakLowLimit;
    f.peakHighLimit = c.detectPeakHighLimit;
    return f;
}

void ApplyAppSettings(const RAppSettingsForm& f, TAppConfig& c) {
    c.timeApproximationType = f.linearInterpolation ? 1 : 0;
    AssignChoice(c.areaBeginCalcType, f.areaBeginCalcType);
    AssignChoice(c.tangentDetectType, f.tangentDetectType);
    AssignChoice(c.peakBaseLineType, f.peakBaseLineType);
    c.useAA = f.useAA;
    if (f.priority >= 0) c.scanThreadPriority = f.priority + 1;
    // Folders of the settings end with a separator; an empty one means the documents folder, as
    // when the settings are read.
    const std::string folder = TrimText(f.dataFolder);
    c.appUserDataPath = folder.empty() ? UserDocumentsPath() : IncludeTrailingPathDelimiter(folder);
    c.drawOptimization = f.drawOptimization;
    c.showScreenGrid = f.showGrid;
    c.fillPeaks = f.fillPeaks;
    c.zoomKindWhileScan = f.expandableScale ? 0 : 1;
    c.tangentTimeRange = static_cast<uint16_t>(ReadIntegerField(
        f.tangentTimeRange, "Диапазон данных кривой для расчёта касательной (мсек)", 0, 65535));
    c.smoothDotCount = static_cast<uint16_t>(f.smoothDotCount);
    c.smoothDotStep = static_cast<uint16_t>(f.smoothDotStep);
    c.smoothStep = static_cast<uint16_t>(f.smoothStep);
    c.detectBaseLineLimit = Rounded(f.baseLineLimit);
    c.detectPeakLowLimit = Rounded(f.peakLowLimit);
    c.detectPeakHighLimit = Rounded(f.peakHighLimit);
}

std::string RegistrationCaption(const TAppConfig& aConfig) {
    return "Регистрация файлов с расширением '" + aConfig.workFileExt + "' в системе";
}

}  // namespace kalvero
