#include "common/Config.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "common/IniFile.h"
#include "common/MsgBoxes.h"
#include "common/StringList.h"

namespace kalvero {
namespace {

constexpr const char* kSettingsFile = "Settings.ini";
constexpr const char* kDevicesFile = "Devices.ini";
constexpr const char* kAppSection = "ApplicationParameters";
constexpr const char* kDeviceSection = "DEFAULT_DEVICE";
constexpr const char* kLibrarySection = "DataLibrary";
constexpr const char* kListDelimiter = "$";

// Reads an integer that must fit a narrower field; out of range fails like a range check.
int32_t ReadRanged(const TIniFile& aIni, const char* aSection, const char* aKey, int32_t aDefault,
                   int64_t aMin, int64_t aMax) {
    const int32_t v = aIni.ReadInteger(aSection, aKey, aDefault);
    if (v < aMin || v > aMax) {
        throw EConfigException("Range check error: " + std::string(aKey) + "=" + std::to_string(v));
    }
    return v;
}

uint8_t ReadByte(const TIniFile& aIni, const char* aSection, const char* aKey, int32_t aDefault) {
    return static_cast<uint8_t>(ReadRanged(aIni, aSection, aKey, aDefault, 0, 255));
}

uint16_t ReadWord(const TIniFile& aIni, const char* aSection, const char* aKey, int32_t aDefault) {
    return static_cast<uint16_t>(ReadRanged(aIni, aSection, aKey, aDefault, 0, 65535));
}

// Colours are read as text and must convert; "$" introduces hexadecimal.
TColor ReadColor(const TIniFile& aIni, const std::string& aSection, const char* aKey, const char* aDefault) {
    const std::string text = aIni.ReadString(aSection, aKey, aDefault);
    int32_t v = 0;
    if (!TryStrToInt(text, v)) throw EConfigException("'" + text + "' is not a valid integer value");
    return static_cast<TColor>(v);
}

// "1,2,5": each part a number; the first part that does not convert ends the list with a 0.
std::vector<double> ParseHeatSpeedList(const std::string& aText) {
    std::vector<double> list;
    size_t start = 0;
    for (;;) {
        const size_t comma = aText.find(',', start);
        const std::string part =
            aText.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double v = 0;
        if (!TryStrToFloat(part, v)) {
            list.push_back(0);
            break;
        }
        list.push_back(v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return list;
}

int32_t UsbDataModeFromWord(const std::string& aWord) {
    std::string w = aWord;
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return std::toupper(c); });
    if (w == "ADC_DATA_MODE_DATAASIS") return ADC_DATA_MODE_DATAASIS;
    if (w == "ADC_DATA_MODE_CONVERT2INT16") return ADC_DATA_MODE_CONVERT2INT16;
    if (w == "ADC_DATA_MODE_CONVERT2INT16M") return ADC_DATA_MODE_CONVERT2INT16M;
    if (w == "ADC_DATA_MODE_CONVERT2INT32") return ADC_DATA_MODE_CONVERT2INT32;
    if (w == "ADC_DATA_MODE_CONVERT2INT32M") return ADC_DATA_MODE_CONVERT2INT32M;
    throw EConfigException("Неверный тип чтения данных: " + w);
}

}  // namespace

TAppConfig::TAppConfig(const std::string& aApplicationPath, const std::string& aProgramDataPath) {
    fApplicationPath = IncludeTrailingPathDelimiter(aApplicationPath);
    fApplicationPluginsPath = fApplicationPath + "plugins/";
    fApplicationTypeName = ApplicationTypeName(fApplicationPath);
    fProgramDataPath = ResolveProgramDataPath(fApplicationTypeName, aProgramDataPath);
    fProgramDataPluginsPath = fProgramDataPath + "plugins/";
    fCalibrationTablesPath = fProgramDataPath + "calibration/";
    appUserDataPath = UserDocumentsPath();

    PrepareProgramDataFolder(fProgramDataPath);
    std::error_code ec;
    if (!std::filesystem::exists(SettingsFileName(), ec) || !std::filesystem::exists(DevicesFileName(), ec)) {
        throw EConfigException("В папке " + fProgramDataPath +
                               " не найдены файлы с настройками программы. Работа прогаммы невозможна.");
    }
    showObjects = true;
    tempScaleAccuracy = 1;
}

std::string TAppConfig::SettingsFileName() const {
    return FindFileNoCase(fProgramDataPath, kSettingsFile).string();
}

std::string TAppConfig::DevicesFileName() const {
    return FindFileNoCase(fProgramDataPath, kDevicesFile).string();
}

void TAppConfig::LoadSettings() {
    const TIniFile settings(SettingsFileName());
    LoadApplicationSettings(settings);
    LoadDisplaySettings(settings);
    LoadLibrarySettings(settings);
    LoadDeviceSettings(TIniFile(DevicesFileName()));
    // The clock rate does not change while the process runs: measured once.
    static const int32_t speed = std::max<int32_t>(1000, MeasureSystemSpeed());
    systemSpeed = speed;
}

void TAppConfig::LoadApplicationSettings(const TIniFile& aIni) {
    const char* s = kAppSection;
    appCheckUpdate = aIni.ReadBool(s, "appCheckUpdate", false);
    appCheckUpdateDate = aIni.ReadDate(s, "appCheckUpdateDate", EncodeDateTime(2000, 1, 1));
    appUpdateSite = aIni.ReadString(s, "appUpdateSite", "http://kalvero.example/");
    windowLeft = aIni.ReadInteger(s, "WindowLeft", -1);
    windowTop = aIni.ReadInteger(s, "WindowTop", -1);
    windowWidth = aIni.ReadInteger(s, "WindowWidth", -1);
    windowHeight = aIni.ReadInteger(s, "WindowHeight", -1);
    const int32_t state = aIni.ReadInteger(s, "WindowState", 0);
    windowState = state >= 0 && state <= wsMaximized ? static_cast<TWindowState>(state) : wsNormal;
    const std::string dataDir = aIni.ReadString(s, "DefaultDataDirectory", "");
    appUserDataPath = dataDir.empty() ? UserDocumentsPath() : IncludeTrailingPathDelimiter(dataDir);
    helpFile = aIni.ReadString(s, "HelpFile", "Kalvero.chm");
    scanThreadPriority = aIni.ReadInteger(s, "ScanThreadPriority", 3);
    fileVersion = Utf8Left(aIni.ReadString(s, "FileVersion", "1.0"), 5);
    bezieSmoothPower = std::min(aIni.ReadInteger(s, "BezieSmoothPower", 50), 50);
    smoothDotCount = ReadWord(aIni, s, "smoothDotCount", 32);
    smoothDotStep = ReadWord(aIni, s, "smoothDotStep", 2);
    smoothStep = ReadWord(aIni, s, "smoothStep", 24);
    tangentTimeRange = ReadWord(aIni, s, "TangentTimeRange", 1000);
    showTempReverse = aIni.ReadBool(s, "ShowTempReverse", true);
    showDataAfterScan = aIni.ReadBool(s, "showDataAfterScan", false);
    allowDtZeroLineEdit = aIni.ReadBool(s, "allowDtZeroLineEdit", true);
    allowTZeroLineEdit = aIni.ReadBool(s, "allowTZeroLineEdit", false);
    b_tangent = aIni.ReadBool(s, "b_tangent", true);
    b_detectpeaks = aIni.ReadBool(s, "b_detectpeaks", true);
    b_get_data = aIni.ReadBool(s, "b_get_data", true);
    b_openchannel = aIni.ReadBool(s, "b_openchannel", true);
    b_swapTempAndDiffTemp = aIni.ReadBool(s, "b_swapTempAndDiffTemp", false);
    showChannelsControl = aIni.ReadBool(s, "showChannelsControl", true);
    // Only the low byte counts; a level above the highest known one means the highest.
    logLevel = static_cast<enmLogLevel>(std::min<int>(aIni.ReadInteger(s, "logLevel", 0) & 0xFF, llDisturb));
    debugMode = aIni.ReadBool(s, "debugMode", false);
    deviceDebugMode = aIni.ReadBool(s, "deviceDebugMode", false);
    useAA = aIni.ReadBool(s, "useAA", false);
    zoomKindWhileScan = ReadByte(aIni, s, "zoomKindWhileScan", 0);
    areaBeginCalcType = aIni.ReadInteger(s, "AreaBeginCalcType", 0);
    tangentDetectType = aIni.ReadInteger(s, "TangentDetectType", 0);
    showHeatCalibration = aIni.ReadBool(s, "showHeatCalibration", true);
    usePeakCalculation = aIni.ReadBool(s, "usePeakCalculation", true);
    showTempChannel = aIni.ReadBool(s, "showTempChannel", true);
    detectBaseLineLimit = aIni.ReadInteger(s, "detectBaseLineLimit", 15);
    detectPeakHighLimit = aIni.ReadInteger(s, "detectPeakHighLimit", 100);
    detectPeakLowLimit = aIni.ReadInteger(s, "detectPeakLowLimit", 2);
    peakBaseLineType = ReadByte(aIni, s, "peakBaseLineType", 0);
    peakAreaType = ReadByte(aIni, s, "peakAreaType", 0);
    endoEffectsUp = aIni.ReadBool(s, "EndoEffectsUp", true);
    drawOptimization = aIni.ReadBool(s, "DrawOptimization", true);
    showScreenGrid = aIni.ReadBool(s, "ShowScreenGrid", true);
    fillPeaks = aIni.ReadBool(s, "FillPeaks", true);
    allowColorPrinting = aIni.ReadBool(s, "allowColorPrinting", false);
    workFileLabel = aIni.ReadString(s, "WorkFileLabel", "Файл системы ДСК");
    workFileExt = aIni.ReadString(s, "WorkFileExt", "dsc");
    workFileOpenFilter = aIni.ReadString(s, "workFileOpenFilter", "файл ДСК (*.dsc)|*.dsc");
    workFileSaveFilter = aIni.ReadString(s, "workFileSaveFilter", "файл ДСК (*.dsc)|*.dsc");
    addIntegralCaption = aIni.ReadString(s, "addIntegralCaption", "Ручная отметка пика");
    deleteIntegralCaption = aIni.ReadString(s, "deleteIntegralCaption", "Удаление пика");
    integralCaption = aIni.ReadString(s, "integralCaption", "Площадь пика");
    historyMemoryMB = std::max(0, aIni.ReadInteger(s, "HistoryMemoryMB", 512));

    leftPrintMargin = aIni.ReadInteger("PrintOptions", "LeftPrintMargin", 15);
    rightPrintMargin = aIni.ReadInteger("PrintOptions", "RightPrintMargin", 5);
    topPrintMargin = aIni.ReadInteger("PrintOptions", "TopPrintMargin", 10);
    bottomPrintMargin = aIni.ReadInteger("PrintOptions", "BottomPrintMargin", 10);
}

void TAppConfig::LoadDisplaySettings(const TIniFile& aIni) {
    const std::string s = aIni.ReadString("Display", "displayScheme", "DefaultScheme");
    const char* sc = s.c_str();
    display.backGroundColor = ReadColor(aIni, s, "backGroundColor", "$FF000000");
    display.diffTempCurveWidth = ReadByte(aIni, sc, "diffTempCurveWidth", 1);
    display.diffTempCurveColor = ReadColor(aIni, s, "diffTempCurveColor", "$FF0000");
    display.tempCurveWidth = ReadByte(aIni, sc, "tempCurveWidth", 1);
    display.tempCurveColor = ReadColor(aIni, s, "tempCurveColor", "$000080");
    display.axesColor = ReadColor(aIni, s, "axesColor", "$0000FF");
    display.leftAxisPadding = ReadWord(aIni, sc, "leftAxisPadding", 100);
    display.rightAxisPadding = ReadWord(aIni, sc, "rightAxisPadding", 100);
    display.bottomAxisPadding = ReadWord(aIni, sc, "bottomAxisPadding", 100);
    display.gridLinesColor = ReadColor(aIni, s, "gridLines", "$C0C0C0");
    display.fontColor = ReadColor(aIni, s, "fontColor", "$000000");
    display.titleColor = ReadColor(aIni, s, "titleColor", "$FF0000");
    display.peakColor = ReadColor(aIni, s, "peakColor", "$008080");
    display.cutLinesColor = ReadColor(aIni, s, "cutLinesColor", "$0000FF");
    display.headerFontName = aIni.ReadString(s, "headerFontName", "Times New Roman");
    display.textFontName = aIni.ReadString(s, "textFontName", "Times New Roman");
    display.captionFontName = aIni.ReadString(s, "captionFontName", "Arial");
    display.smallCaptionFontSizeFixed = ReadByte(aIni, sc, "smallCaptionFontSizeFixed", 12);
}

void TAppConfig::LoadLibrarySettings(const TIniFile& aIni) {
    operatorsList =
        SplitSortedList(aIni.ReadString(kLibrarySection, "experimentatorsList", ""), kListDelimiter);
    labsList = SplitSortedList(aIni.ReadString(kLibrarySection, "laboratoriesList", ""), kListDelimiter);
    samplesList = SplitSortedList(aIni.ReadString(kLibrarySection, "materialsList", ""), kListDelimiter);
}

void TAppConfig::LoadDeviceSettings(const TIniFile& aIni) {
    const char* s = kDeviceSection;
    applicationName = aIni.ReadString(s, "Name", " ");
    timeWindowWidth = aIni.ReadInteger(s, "TimeWindowWidth", 300);
    endTime = aIni.ReadInteger(s, "EndTime", 900);
    startScanChannel = aIni.ReadInteger(s, "startScanChannel", 1);
    timeScale = aIni.ReadInteger(s, "TimeScale", 1);
    timeChannelName = aIni.ReadString(s, "TimeChannelName", "Время");
    timeChannelShortName = aIni.ReadString(s, "TimeChannelShortName", "t");
    autoExpandTempRanges = aIni.ReadBool(s, "autoExpandTempRanges", true);
    autoExpandDiffTempRanges = aIni.ReadBool(s, "autoExpandDiffTempRanges", true);
    tMinADCValue = aIni.ReadInteger(s, "tMinADCValue", 0);
    tMaxADCValue = aIni.ReadInteger(s, "tMaxADCValue", 4095);
    tMinValue = aIni.ReadInteger(s, "TMinValue", tMinADCValue);
    tMaxValue = aIni.ReadInteger(s, "TMaxValue", tMaxADCValue);
    tADCMultiplier = aIni.ReadInteger(s, "TADCMultiplier", 1);
    tempCalibrationTable = aIni.ReadString(s, "CalibrationTable", "");
    tempScale = aIni.ReadInteger(s, "TempScale", 0);
    tempScaleAccuracy = aIni.ReadInteger(s, "tempScaleAccuracy", 1);
    tempChannelName = aIni.ReadString(s, "TempChannelName", "Температура");
    tempChannelShortName = aIni.ReadString(s, "TempChannelShortName", "T");
    tempChannelUnitsName = aIni.ReadString(s, "TempChannelUnitsName", "°С");
    dTMinADCValue = aIni.ReadInteger(s, "dTMinADCValue", 0);
    dTMaxADCValue = aIni.ReadInteger(s, "dTMaxADCValue", 4095);
    dTMinValue = aIni.ReadInteger(s, "dTMinValue", dTMinADCValue);
    dTMaxValue = aIni.ReadInteger(s, "dTMaxValue", dTMaxADCValue);
    dTSignalOffset = aIni.ReadInteger(s, "dTSignalOffset", 0);
    diffTempScale = aIni.ReadInteger(s, "DiffTempScale", 0);
    diffTempScaleAccuracy = aIni.ReadInteger(s, "diffTempScaleAccuracy", 3);
    diffChannelName = aIni.ReadString(s, "DiffChannelName", "Дифф. темп-ра");
    diffChannelShortName = aIni.ReadString(s, "DiffChannelShortName", "dT");
    diffChannelUnitsName = aIni.ReadString(s, "DiffChannelUnitsName", "°С");
    heatSpeedList = ParseHeatSpeedList(aIni.ReadString(s, "heatSpeedList", "1,2,5,10,20,50"));
    heatSpeed = static_cast<float>(aIni.ReadFloat(s, "heatSpeed", 10));
    diffTempCalibrationTable = aIni.ReadString(s, "DiffTempCalibrationTable", "");
    if (diffTempCalibrationTable.empty()) {
        diffTempCalibrationTable = aIni.ReadString(s, "DiffTempCalibrationTable1", "");
    }
    diffTempCalibrationTableType =
        static_cast<TCalibrationTableType>(aIni.ReadInteger(s, "diffTempCalibrationTableType", 1) & 0xFF);
    areaScale = aIni.ReadInteger(s, "areaScale", 0);
    areaScaleAccuracy = aIni.ReadInteger(s, "areaScaleAccuracy", 2);
    areaName = aIni.ReadString(s, "AreaName", "Теплота");
    areaShortName = aIni.ReadString(s, "AreaShortName", "S");
    areaUnitsName = aIni.ReadString(s, "AreaUnitsName", "Дж");
    areaPerMassName = aIni.ReadString(s, "AreaPerMassName", "Уд. теплота");
    areaUnitsPerMassName = aIni.ReadString(s, "AreaUnitsPerMassName", "Дж/г");
    heatCalibrationTable = aIni.ReadString(s, "HeatCalibrationTable", "");
    if (heatCalibrationTable.empty()) heatCalibrationTable = aIni.ReadString(s, "heatCalibrationTable1", "");

    std::string word = aIni.ReadString(s, "InterfaceType", "EMU");
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::toupper(c); });
    interfaceType = itEmul;
    bool known = false;
    for (int i = 0; i < INTERFACE_TYPE_COUNT && !known; ++i) {
        if (word == InterfaceTypeWord(static_cast<TInterfaceType>(i))) {
            interfaceType = static_cast<TInterfaceType>(i);
            known = true;
        }
    }
    if (!known) {
        ErrBox(gLogger, "TAppConfig", "Неверный тип интерфейса в настройках: " + word);
    }

    portAddress = aIni.ReadString(s, "PortAddress", "1");
    checkInterface = aIni.ReadBool(s, "CheckInterface", false);
    scanDelay = aIni.ReadInteger(s, "ScanDelay", -1);
    timeApproximationType = aIni.ReadInteger(s, "timeApproximationType", 1);
    tempApproximationType = aIni.ReadInteger(s, "tempApproximationType", 1);
    frequency = static_cast<float>(aIni.ReadFloat(s, "frequency", 10.0));
    decimation = ReadWord(aIni, s, "decimation", 0);
    scanDeadZone = static_cast<uint32_t>(ReadRanged(aIni, s, "scanDeadZone", 0, 0, INT32_MAX));
    numberOfDataChannels = aIni.ReadInteger(s, "NumberOfHardwareChannels", 1);
    const std::string dataModeWord = aIni.ReadString(s, "UsbGetDataMode", "ADC_DATA_MODE_CONVERT2INT16");
    rawDataDivider = aIni.ReadInteger(s, "rawDataDivider", 1);
    useDeviceControl = aIni.ReadBool(s, "useDeviceControl", false);
    const int32_t control = aIni.ReadInteger(s, "deviceControlType", 0);
    deviceControlType = !useDeviceControl ? dctNone
                        : control == 1    ? dctSimple
                        : control == 2    ? dctProgram
                                          : dctNone;
    const int32_t action = aIni.ReadInteger(s, "postScanAction", 0);
    postScanAction = action == 1 ? psaStop : action == 2 ? psaStopAndSave : psaNone;
    heatingDeflection = aIni.ReadString(s, "heatingDeflection", "");
    deviceControlProgram = aIni.ReadString(s, "deviceControlProgram", "");
    commandSendPeriod = aIni.ReadInteger(s, "commandSendPeriod", 30000);
    useDeviceCommandBuffer = aIni.ReadBool(s, "useDeviceCommandBuffer", false);

    // The data mode is checked last, after every other key has been read.
    usbGetDataMode = UsbDataModeFromWord(dataModeWord);
}

}  // namespace kalvero
