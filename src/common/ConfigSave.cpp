#include "common/Config.h"
#include "common/IniFile.h"
#include "common/StringList.h"

namespace kalvero {
namespace {
constexpr const char* kApp = "ApplicationParameters";
constexpr const char* kDev = "DEFAULT_DEVICE";
}  // namespace

void TAppConfig::SaveAppSettings() {
    TIniFile ini(SettingsFileName());
    ini.WriteBool(kApp, "appCheckUpdate", appCheckUpdate);
    ini.WriteBool(kApp, "useAA", useAA);
    ini.WriteDate(kApp, "appCheckUpdateDate", appCheckUpdateDate);
    ini.WriteBool(kApp, "FillPeaks", fillPeaks);
    ini.WriteBool(kApp, "DrawOptimization", drawOptimization);
    ini.WriteBool(kApp, "ShowScreenGrid", showScreenGrid);
    ini.WriteBool(kApp, "ShowTempReverse", showTempReverse);
    ini.WriteInteger(kApp, "AreaBeginCalcType", areaBeginCalcType);
    ini.WriteInteger(kApp, "TangentDetectType", tangentDetectType);
    ini.WriteInteger(kApp, "TangentTimeRange", tangentTimeRange);
    ini.WriteString(kApp, "DefaultDataDirectory", appUserDataPath);
    ini.WriteInteger(kApp, "ScanThreadPriority", scanThreadPriority);
    ini.WriteInteger(kApp, "detectBaseLineLimit", detectBaseLineLimit);
    ini.WriteInteger(kApp, "detectPeakHighLimit", detectPeakHighLimit);
    ini.WriteInteger(kApp, "detectPeakLowLimit", detectPeakLowLimit);
    ini.WriteInteger(kApp, "smoothDotCount", smoothDotCount);
    ini.WriteInteger(kApp, "smoothDotStep", smoothDotStep);
    ini.WriteInteger(kApp, "smoothStep", smoothStep);
    ini.WriteInteger(kApp, "peakBaseLineType", peakBaseLineType);
    ini.WriteInteger(kApp, "zoomKindWhileScan", zoomKindWhileScan);
    ini.WriteInteger("PrintOptions", "LeftPrintMargin", leftPrintMargin);
    ini.WriteInteger("PrintOptions", "RightPrintMargin", rightPrintMargin);
    ini.WriteInteger("PrintOptions", "TopPrintMargin", topPrintMargin);
    ini.WriteInteger("PrintOptions", "BottomPrintMargin", bottomPrintMargin);
    ini.UpdateFile();
}

void TAppConfig::SaveDevSettings() {
    TIniFile ini(DevicesFileName());
    ini.WriteFloat(kDev, "frequency", frequency);
    ini.WriteInteger(kDev, "decimation", decimation);
    ini.WriteInteger(kDev, "EndTime", endTime);
    ini.WriteInteger(kDev, "startScanChannel", startScanChannel);
    ini.WriteInteger(kDev, "TimeWindowWidth", timeWindowWidth);
    ini.WriteString(kDev, "CalibrationTable", tempCalibrationTable);
    ini.WriteInteger(kDev, "dTSignalOffset", dTSignalOffset);
    ini.WriteString(kDev, "DiffTempCalibrationTable", diffTempCalibrationTable);
    ini.WriteFloat(kDev, "HeatSpeed", heatSpeed);
    ini.WriteString(kDev, "HeatCalibrationTable", heatCalibrationTable);
    ini.WriteString(kDev, "PortAddress", portAddress);
    ini.WriteInteger(kDev, "TimeScale", timeScale);
    ini.WriteInteger(kDev, "TempScale", tempScale);
    ini.WriteInteger(kDev, "tempScaleAccuracy", tempScaleAccuracy);
    ini.WriteInteger(kDev, "DiffTempScale", diffTempScale);
    ini.WriteInteger(kDev, "diffTempScaleAccuracy", diffTempScaleAccuracy);
    ini.WriteInteger(kDev, "AreaScale", areaScale);
    ini.WriteInteger(kDev, "areaScaleAccuracy", areaScaleAccuracy);
    ini.WriteInteger(kDev, "NumberOfHardwareChannels", numberOfDataChannels);
    ini.WriteInteger(kDev, "postScanAction", postScanAction);
    ini.WriteInteger(kDev, "deviceControlType", deviceControlType);
    ini.WriteString(kDev, "deviceControlProgram", deviceControlProgram);
    ini.WriteInteger(kDev, "tMinValue", tMinValue);
    ini.WriteInteger(kDev, "tMaxValue", tMaxValue);
    ini.WriteInteger(kDev, "dTMinValue", dTMinValue);
    ini.WriteInteger(kDev, "dTMaxValue", dTMaxValue);
    ini.WriteInteger(kDev, "scanDeadZone", scanDeadZone);
    ini.UpdateFile();
}

void TAppConfig::SaveScanSettings() {
    TIniFile ini(DevicesFileName());
    ini.WriteFloat(kDev, "heatSpeed", heatSpeed);
    ini.WriteInteger(kDev, "postScanAction", postScanAction);
    ini.WriteInteger(kDev, "dTSignalOffset", dTSignalOffset);
    ini.WriteString(kDev, "deviceControlProgram", deviceControlProgram);
    ini.UpdateFile();
}

void TAppConfig::SaveLibSettings() {
    TIniFile ini(SettingsFileName());
    ini.WriteString("DataLibrary", "experimentatorsList", JoinList(operatorsList, "$"));
    ini.WriteString("DataLibrary", "laboratoriesList", JoinList(labsList, "$"));
    ini.WriteString("DataLibrary", "materialsList", JoinList(samplesList, "$"));
    ini.UpdateFile();
}

void TAppConfig::SaveMainFormPosition(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight,
                                      TWindowState aWindowState) {
    TIniFile ini(SettingsFileName());
    if (aWindowState != wsMaximized) {
        ini.WriteInteger(kApp, "WindowLeft", aLeft);
        ini.WriteInteger(kApp, "WindowTop", aTop);
        ini.WriteInteger(kApp, "WindowWidth", aWidth);
        ini.WriteInteger(kApp, "WindowHeight", aHeight);
    }
    ini.WriteInteger(kApp, "WindowState", aWindowState);
    ini.UpdateFile();
}

}  // namespace kalvero
