#pragma once
// Every setting of the system, read from "Settings.ini" and "Devices.ini" in the program-data
// folder and written back in five groups. One process-wide instance (gConfig).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "common/Logger.h"

namespace kalvero {

class TIniFile;

// A colour in the $00BBGGRR form; a high byte $FF names a system colour.
using TColor = uint32_t;

enum TInterfaceType : uint8_t {
    itEmul = 0,
    itLpt = 1,
    itCom = 2,
    itLA20USB = 3,
    itLA20USB_DMA = 4,
    itLA24USB = 5,
    itLA20USB_Uni = 6,
    itLAi24USB_Uni = 7
};
inline constexpr int INTERFACE_TYPE_COUNT = 8;

enum TDeviceControlType : uint8_t { dctNone = 0, dctSimple = 1, dctProgram = 2 };
enum TPostScanAction : uint8_t { psaNone = 0, psaStop = 1, psaStopAndSave = 2 };
enum TDataChannelType : uint8_t { CHANNEL_TYPE_PERMANENT = 0, CHANNEL_TYPE_TEMPORARY = 1 };
enum TCalibrationTableType : uint8_t { cttTemperature = 0, cttDiffTemperature = 1, cttHeat = 2 };
enum TWindowState : uint8_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// Names used where settings are shown to scripts: "itEmul", "dctNone", "cttHeat", ...
const char* InterfaceTypeName(TInterfaceType aValue);
const char* DeviceControlTypeName(TDeviceControlType aValue);
const char* PostScanActionName(TPostScanAction aValue);
const char* CalibrationTableTypeName(TCalibrationTableType aValue);
const char* LogLevelValueName(enmLogLevel aValue);
const char* WindowStateName(TWindowState aValue);

// The INI word of each interface ("EMU", "LPT", ...), and its display name.
const char* InterfaceTypeWord(TInterfaceType aValue);
const char* InterfaceTypeDisplayName(TInterfaceType aValue);

// Driver data modes selected by the word of `UsbGetDataMode`.
inline constexpr int32_t ADC_DATA_MODE_DATAASIS = 0x40000000;
inline constexpr int32_t ADC_DATA_MODE_CONVERT2INT16 = 1;
inline constexpr int32_t ADC_DATA_MODE_CONVERT2INT16M = 2;
inline constexpr int32_t ADC_DATA_MODE_CONVERT2INT32 = 3;
inline constexpr int32_t ADC_DATA_MODE_CONVERT2INT32M = 4;

struct TDisplayParams {
    TColor backGroundColor = 0xFF000000;
    uint8_t diffTempCurveWidth = 1;
    TColor diffTempCurveColor = 0xFF0000;
    uint8_t tempCurveWidth = 1;
    TColor tempCurveColor = 0x000080;
    uint16_t leftAxisPadding = 100, rightAxisPadding = 100, bottomAxisPadding = 100;
    TColor axesColor = 0x0000FF, gridLinesColor = 0xC0C0C0, fontColor = 0x000000, titleColor = 0xFF0000,
           peakColor = 0x008080, cutLinesColor = 0x0000FF;
    std::string headerFontName = "Times New Roman";
    uint8_t _headerFontSize = 0;
    std::string textFontName = "Times New Roman";
    uint8_t _textFontSize = 0;
    std::string captionFontName = "Arial";
    uint8_t _captionFontSize = 0;
    uint8_t smallCaptionFontSize = 0;
    uint8_t smallCaptionFontSizeFixed = 12;

    // Channel 0 takes the configured colour; others a fixed palette, cycling every 15.
    TColor GetDiffTempCurveColor(int32_t aIndex) const;
    TColor GetTempCurveColor(int32_t aIndex) const;
};

// Failures of loading and saving settings.
class EConfigException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TAppConfig {
public:
    // Sets the folders and checks that both settings files exist; does not read them.
    // aProgramDataPath overrides the program-data folder (empty: KALVERO_DATA_DIR, else the
    // per-user data folder). A folder that does not exist yet is created with the default files.
    explicit TAppConfig(const std::string& aApplicationPath, const std::string& aProgramDataPath = "");
    TAppConfig(const TAppConfig&) = delete;
    TAppConfig& operator=(const TAppConfig&) = delete;

    void LoadSettings();
    void SaveAppSettings();
    void SaveDevSettings();
    void SaveScanSettings();
    void SaveLibSettings();
    void SaveMainFormPosition(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight,
                              TWindowState aWindowState);
    std::string GetInterfaceName() const;

    // Full names of the two settings files (found without regard to letter case).
    std::string SettingsFileName() const;
    std::string DevicesFileName() const;

    bool debugMode = false;
    enmLogLevel logLevel = llNone;
    std::string fApplicationTypeName, fApplicationPath, fApplicationPluginsPath, fProgramDataPath,
        fProgramDataPluginsPath, fCalibrationTablesPath, appUserDataPath;
    bool appCheckUpdate = false;
    TDateTime appCheckUpdateDate = 0;
    // The web site the update check asks ("appUpdateSite"; its pages "kalvero_version.txt" and
    // "soft.php"): a lab may name a server of its own.
    std::string appUpdateSite;
    std::string helpFile;
    int32_t scanThreadPriority = 3;
    std::string fileVersion;
    int32_t systemSpeed = 1000;
    std::string workFileLabel, workFileExt, workFileSaveFilter, workFileOpenFilter;
    std::vector<std::string> operatorsList, labsList, samplesList;
    std::string applicationName;
    TInterfaceType interfaceType = itEmul;
    std::string portAddress;
    bool checkInterface = false;
    int32_t numberOfDataChannels = 1, usbGetDataMode = ADC_DATA_MODE_CONVERT2INT16, rawDataDivider = 1;
    float frequency = 10.0f;
    uint16_t decimation = 0;
    uint8_t zoomKindWhileScan = 0;
    uint32_t scanDeadZone = 0;
    int32_t commandSendPeriod = 30000;
    bool useDeviceCommandBuffer = false, deviceDebugMode = false, useDeviceControl = false;
    TDeviceControlType deviceControlType = dctNone;
    std::string deviceControlProgram;
    TPostScanAction postScanAction = psaNone;
    std::string heatingDeflection;
    bool useAA = false;
    int32_t windowLeft = -1, windowTop = -1, windowWidth = -1, windowHeight = -1;
    TWindowState windowState = wsNormal;
    int32_t bubbleStyle = 0;
    bool showChannelsControl = true, showTempReverse = true, showDataAfterScan = false, b_tangent = true,
         b_detectpeaks = true, b_get_data = true, b_openchannel = true, b_swapTempAndDiffTemp = false;
    TDisplayParams display;
    std::string timeChannelName;
    int32_t timeScale = 1;
    std::string timeChannelShortName;
    int32_t timeWindowWidth = 300, endTime = 900;
    bool showTempChannel = true;
    std::string tempChannelName, tempChannelShortName, tempChannelUnitsName;
    int32_t tempScale = 0, tempScaleAccuracy = 1, tMinADCValue = 0, tMaxADCValue = 4095, tMinValue = 0,
            tMaxValue = 4095, tADCMultiplier = 1;
    int32_t tempZeroLine = 0;
    std::string tempCalibrationTable;
    bool allowTZeroLineEdit = false, autoExpandTempRanges = true;
    std::string diffChannelName, diffChannelShortName, diffChannelUnitsName;
    int32_t diffTempScale = 0, diffTempScaleAccuracy = 3;
    TCalibrationTableType diffTempCalibrationTableType = cttDiffTemperature;
    int32_t dTMinValue = 0, dTMaxValue = 4095, dTMinADCValue = 0, dTMaxADCValue = 4095;
    int32_t dTZeroLine = 0;
    int32_t dTSignalOffset = 0;
    std::vector<double> heatSpeedList;
    float heatSpeed = 10.0f;
    std::string diffTempCalibrationTable;
    bool autoExpandDiffTempRanges = true, allowDtZeroLineEdit = true, showHeatCalibration = true,
         usePeakCalculation = true;
    std::string areaName, areaShortName, areaUnitsName, areaPerMassName, areaUnitsPerMassName,
        addIntegralCaption, deleteIntegralCaption, integralCaption;
    std::string heatCalibrationTable;
    int32_t areaScale = 0, areaScaleAccuracy = 2, areaBeginCalcType = 0, tangentDetectType = 0,
            detectBaseLineLimit = 15, detectPeakHighLimit = 100, detectPeakLowLimit = 2;
    uint8_t peakBaseLineType = 0, peakAreaType = 0;
    // The instrument's sign of the differential signal: endothermic effects point up.
    bool endoEffectsUp = true;
    bool drawOptimization = true, showScreenGrid = true, showObjects = true, fillPeaks = true;
    int32_t scanDelay = -1, startScanChannel = 1, timeApproximationType = 1, tempApproximationType = 1,
            bezieSmoothPower = 50;
    uint16_t smoothDotCount = 32, smoothDotStep = 2, smoothStep = 24, tangentTimeRange = 1000;
    // The bound of each experiment's editing history, in megabytes.
    int32_t historyMemoryMB = 512;
    int32_t leftPrintMargin = 15, rightPrintMargin = 5, topPrintMargin = 10, bottomPrintMargin = 10;
    bool allowColorPrinting = false;

private:
    void LoadApplicationSettings(const TIniFile& aIni);
    void LoadDisplaySettings(const TIniFile& aIni);
    void LoadLibrarySettings(const TIniFile& aIni);
    void LoadDeviceSettings(const TIniFile& aIni);
};

// The program's type name: the name of its folder aApplicationPath (with or without the trailing
// "/"), which tells the program-data folders of two installations apart.
std::string ApplicationTypeName(const std::string& aApplicationPath);
// The folder of the program-data files: aOverride when given, else KALVERO_DATA_DIR, else the
// per-user data folder + "Kalvero/" + aApplicationTypeName. Always ends with "/".
std::string ResolveProgramDataPath(const std::string& aApplicationTypeName,
                                   const std::string& aOverride = "");
// Creates a missing program-data folder with the default "Settings.ini" and "Devices.ini" and the
// "calibration" folder holding the shipped calibration tables. An existing folder is left as it is.
bool PrepareProgramDataFolder(const std::string& aProgramDataPath);
// The user's documents folder (default folder of experiment files), with a trailing "/".
std::string UserDocumentsPath();
// Processor clock in MHz, at least 1000, from a short measurement.
int32_t MeasureSystemSpeed();

}  // namespace kalvero
