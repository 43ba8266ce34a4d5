#pragma once
// What the program-settings dialog ("Настройки программы") shows and sets: the values of its
// controls read from the configuration, and applied back in the dialog's order with its checks.

#include <string>

#include "common/Config.h"

namespace kalvero {

// The controls' values. List and radio positions are −1 when none is chosen; a group left
// without a choice keeps its field.
struct RAppSettingsForm {
    int priority = -1;  // "Приоритет": scanThreadPriority − 1
    bool linearInterpolation = false;
    bool expandableScale = true;  // "Расширяемый масштаб" (zoomKindWhileScan 0)
    bool showGrid = false, drawOptimization = false, useAA = false, fillPeaks = false;
    std::string dataFolder;
    std::string tangentTimeRange;
    int smoothDotCount = 0, smoothDotStep = 0, smoothStep = 0;
    int tangentDetectType = -1, areaBeginCalcType = -1, peakBaseLineType = -1;
    double baseLineLimit = 0, peakLowLimit = 0, peakHighLimit = 0;
};

RAppSettingsForm AppSettingsForm(const TAppConfig& aConfig);
// Field by field in the dialog's order; the first value that does not fit raises
// EFormFieldException and leaves the fields before it assigned.
void ApplyAppSettings(const RAppSettingsForm& aForm, TAppConfig& aConfig);

// The label of the registration button's row.
std::string RegistrationCaption(const TAppConfig& aConfig);

}  // namespace kalvero
