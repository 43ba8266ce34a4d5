// "config": every setting of the program-data folder, under its own name.

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "common/Config.h"
#include "common/DateTime.h"

namespace kalvero::cli {
namespace {

nlohmann::ordered_json DisplayToJson(const TDisplayParams& d) {
    nlohmann::ordered_json j;
    j["backGroundColor"] = d.backGroundColor;
    j["diffTempCurveWidth"] = d.diffTempCurveWidth;
    j["diffTempCurveColor"] = d.diffTempCurveColor;
    j["tempCurveWidth"] = d.tempCurveWidth;
    j["tempCurveColor"] = d.tempCurveColor;
    j["leftAxisPadding"] = d.leftAxisPadding;
    j["rightAxisPadding"] = d.rightAxisPadding;
    j["bottomAxisPadding"] = d.bottomAxisPadding;
    j["axesColor"] = d.axesColor;
    j["gridLinesColor"] = d.gridLinesColor;
    j["fontColor"] = d.fontColor;
    j["titleColor"] = d.titleColor;
    j["peakColor"] = d.peakColor;
    j["cutLinesColor"] = d.cutLinesColor;
    j["headerFontName"] = d.headerFontName;
    j["_headerFontSize"] = d._headerFontSize;
    j["textFontName"] = d.textFontName;
    j["_textFontSize"] = d._textFontSize;
    j["captionFontName"] = d.captionFontName;
    j["_captionFontSize"] = d._captionFontSize;
    j["smallCaptionFontSize"] = d.smallCaptionFontSize;
    j["smallCaptionFontSizeFixed"] = d.smallCaptionFontSizeFixed;
    return j;
}

}  // namespace

nlohmann::ordered_json ConfigToJson(const TAppConfig& c) {
    nlohmann::ordered_json j;
    j["debugMode"] = c.debugMode;
    j["logLevel"] = LogLevelValueName(c.logLevel);
    j["fApplicationTypeName"] = c.fApplicationTypeName;
    j["fApplicationPath"] = c.fApplicationPath;
    j["fApplicationPluginsPath"] = c.fApplicationPluginsPath;
    j["fProgramDataPath"] = c.fProgramDataPath;
    j["fProgramDataPluginsPath"] = c.fProgramDataPluginsPath;
    j["fCalibrationTablesPath"] = c.fCalibrationTablesPath;
    j["appUserDataPath"] = c.appUserDataPath;
    j["appCheckUpdate"] = c.appCheckUpdate;
    j["appCheckUpdateDate"] = DateToStr(c.appCheckUpdateDate);
    j["helpFile"] = c.helpFile;
    j["scanThreadPriority"] = c.scanThreadPriority;
    j["fileVersion"] = c.fileVersion;
    j["systemSpeed"] = c.systemSpeed;
    j["workFileLabel"] = c.workFileLabel;
    j["workFileExt"] = c.workFileExt;
    j["workFileSaveFilter"] = c.workFileSaveFilter;
    j["workFileOpenFilter"] = c.workFileOpenFilter;
    j["operatorsList"] = c.operatorsList;
    j["labsList"] = c.labsList;
    j["samplesList"] = c.samplesList;
    j["applicationName"] = c.applicationName;
    j["interfaceType"] = InterfaceTypeName(c.interfaceType);
    j["portAddress"] = c.portAddress;
    j["checkInterface"] = c.checkInterface;
    j["numberOfDataChannels"] = c.numberOfDataChannels;
    j["usbGetDataMode"] = c.usbGetDataMode;
    j["rawDataDivider"] = c.rawDataDivider;
    j["frequency"] = c.frequency;
    j["decimation"] = c.decimation;
    j["zoomKindWhileScan"] = c.zoomKindWhileScan;
    j["scanDeadZone"] = c.scanDeadZone;
    j["commandSendPeriod"] = c.commandSendPeriod;
    j["useDeviceCommandBuffer"] = c.useDeviceCommandBuffer;
    j["deviceDebugMode"] = c.deviceDebugMode;
    j["useDeviceControl"] = c.useDeviceControl;
    j["deviceControlType"] = DeviceControlTypeName(c.deviceControlType);
    j["deviceControlProgram"] = c.deviceControlProgram;
    j["postScanAction"] = PostScanActionName(c.postScanAction);
    j["heatingDeflection"] = c.heatingDeflection;
    j["useAA"] = c.useAA;
    j["windowLeft"] = c.windowLeft;
    j["windowTop"] = c.windowTop;
    j["windowWidth"] = c.windowWidth;
    j["windowHeight"] = c.windowHeight;
    j["windowState"] = WindowStateName(c.windowState);
    j["bubbleStyle"] = c.bubbleStyle;
    j["showChannelsControl"] = c.showChannelsControl;
    j["showTempReverse"] = c.showTempReverse;
    j["showDataAfterScan"] = c.showDataAfterScan;
    j["b_tangent"] = c.b_tangent;
    j["b_detectpeaks"] = c.b_detectpeaks;
    j["b_get_data"] = c.b_get_data;
    j["b_openchannel"] = c.b_openchannel;
    j["b_swapTempAndDiffTemp"] = c.b_swapTempAndDiffTemp;
    j["display"] = DisplayToJson(c.display);
    j["timeChannelName"] = c.timeChannelName;
    j["timeScale"] = c.timeScale;
    j["timeChannelShortName"] = c.timeChannelShortName;
    j["timeWindowWidth"] = c.timeWindowWidth;
    j["endTime"] = c.endTime;
    j["showTempChannel"] = c.showTempChannel;
    j["tempChannelName"] = c.tempChannelName;
    j["tempChannelShortName"] = c.tempChannelShortName;
    j["tempChannelUnitsName"] = c.tempChannelUnitsName;
    j["tempScale"] = c.tempScale;
    j["tempScaleAccuracy"] = c.tempScaleAccuracy;
    j["tMinADCValue"] = c.tMinADCValue;
    j["tMaxADCValue"] = c.tMaxADCValue;
    j["tMinValue"] = c.tMinValue;
    j["tMaxValue"] = c.tMaxValue;
    j["tADCMultiplier"] = c.tADCMultiplier;
    j["tempZeroLine"] = c.tempZeroLine;
    j["tempCalibrationTable"] = c.tempCalibrationTable;
    j["allowTZeroLineEdit"] = c.allowTZeroLineEdit;
    j["autoExpandTempRanges"] = c.autoExpandTempRanges;
    j["diffChannelName"] = c.diffChannelName;
    j["diffChannelShortName"] = c.diffChannelShortName;
    j["diffChannelUnitsName"] = c.diffChannelUnitsName;
    j["diffTempScale"] = c.diffTempScale;
    j["diffTempScaleAccuracy"] = c.diffTempScaleAccuracy;
    j["diffTempCalibrationTableType"] = CalibrationTableTypeName(c.diffTempCalibrationTableType);
    j["dTMinValue"] = c.dTMinValue;
    j["dTMaxValue"] = c.dTMaxValue;
    j["dTMinADCValue"] = c.dTMinADCValue;
    j["dTMaxADCValue"] = c.dTMaxADCValue;
    j["dTZeroLine"] = c.dTZeroLine;
    j["dTSignalOffset"] = c.dTSignalOffset;
    j["heatSpeedList"] = c.heatSpeedList;
    j["heatSpeed"] = c.heatSpeed;
    j["diffTempCalibrationTable"] = c.diffTempCalibrationTable;
    j["autoExpandDiffTempRanges"] = c.autoExpandDiffTempRanges;
    j["allowDtZeroLineEdit"] = c.allowDtZeroLineEdit;
    j["showHeatCalibration"] = c.showHeatCalibration;
    j["usePeakCalculation"] = c.usePeakCalculation;
    j["areaName"] = c.areaName;
    j["areaShortName"] = c.areaShortName;
    j["areaUnitsName"] = c.areaUnitsName;
    j["areaPerMassName"] = c.areaPerMassName;
    j["areaUnitsPerMassName"] = c.areaUnitsPerMassName;
    j["addIntegralCaption"] = c.addIntegralCaption;
    j["deleteIntegralCaption"] = c.deleteIntegralCaption;
    j["integralCaption"] = c.integralCaption;
    j["heatCalibrationTable"] = c.heatCalibrationTable;
    j["areaScale"] = c.areaScale;
    j["areaScaleAccuracy"] = c.areaScaleAccuracy;
    j["areaBeginCalcType"] = c.areaBeginCalcType;
    j["tangentDetectType"] = c.tangentDetectType;
    j["detectBaseLineLimit"] = c.detectBaseLineLimit;
    j["detectPeakHighLimit"] = c.detectPeakHighLimit;
    j["detectPeakLowLimit"] = c.detectPeakLowLimit;
    j["peakBaseLineType"] = c.peakBaseLineType;
    j["endoEffectsUp"] = c.endoEffectsUp;
    j["peakAreaType"] = c.peakAreaType;
    j["drawOptimization"] = c.drawOptimization;
    j["showScreenGrid"] = c.showScreenGrid;
    j["showObjects"] = c.showObjects;
    j["fillPeaks"] = c.fillPeaks;
    j["scanDelay"] = c.scanDelay;
    j["startScanChannel"] = c.startScanChannel;
    j["timeApproximationType"] = c.timeApproximationType;
    j["tempApproximationType"] = c.tempApproximationType;
    j["bezieSmoothPower"] = c.bezieSmoothPower;
    j["smoothDotCount"] = c.smoothDotCount;
    j["smoothDotStep"] = c.smoothDotStep;
    j["smoothStep"] = c.smoothStep;
    j["tangentTimeRange"] = c.tangentTimeRange;
    j["leftPrintMargin"] = c.leftPrintMargin;
    j["rightPrintMargin"] = c.rightPrintMargin;
    j["topPrintMargin"] = c.topPrintMargin;
    j["bottomPrintMargin"] = c.bottomPrintMargin;
    j["allowColorPrinting"] = c.allowColorPrinting;
    return j;
}

void RegisterConfigCommand(CLI::App& aApp, TCliContext& aContext) {
    auto* cmd = aApp.add_subcommand("config", "Show the settings of the program-data folder");
    cmd->callback([&aContext] { aContext.Print(ConfigToJson(aContext.Process().Config())); });
}

}  // namespace kalvero::cli
