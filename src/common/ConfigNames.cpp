#include "common/Config.h"

namespace kalvero {
namespace {

constexpr const char* kInterfaceNames[] = {"itEmul",        "itLpt",     "itCom",         "itLA20USB",
                                           "itLA20USB_DMA", "itLA24USB", "itLA20USB_Uni", "itLAi24USB_Uni"};
constexpr const char* kInterfaceWords[] = {"EMU",         "LPT",      "COM",          "USB_LA20",
                                           "USB_LA20DMA", "USB_LA24", "USB_LA20_UNI", "USB_LA24_UNI"};
constexpr const char* kInterfaceDisplayNames[] = {"EMULATION",      "LPT interface", "COM interface",
                                                  "USB 12bit",      "USB DMA 12bit", " USB DMA 24bit",
                                                  "USB UNI 12bit ", "USB UNI 24bit "};

// Second to fifteenth colours of the curves of further channels; entry 0 is never used.
constexpr TColor kCurvePalette[15] = {0xFF0000, 0x008000, 0x000000, 0x808080, 0x000080,
                                      0x800000, 0x008080, 0x800080, 0x808000, 0xFF00FF,
                                      0xFFFF00, 0x808080, 0x00FF00, 0x00FFFF, 0xC0C0C0};

template <size_t N>
const char* Pick(const char* const (&aNames)[N], unsigned aValue) {
    return aValue < N ? aNames[aValue] : "unknown";
}

TColor CurveColor(TColor aFirst, int32_t aIndex) {
    if (aIndex <= 0) return aFirst;  // negative indexes are not valid channels: the first colour
    return kCurvePalette[aIndex % 15];
}

}  // namespace

const char* InterfaceTypeName(TInterfaceType aValue) {
    return Pick(kInterfaceNames, aValue);
}
const char* InterfaceTypeWord(TInterfaceType aValue) {
    return Pick(kInterfaceWords, aValue);
}
const char* InterfaceTypeDisplayName(TInterfaceType aValue) {
    return Pick(kInterfaceDisplayNames, aValue);
}

const char* DeviceControlTypeName(TDeviceControlType aValue) {
    static const char* const names[] = {"dctNone", "dctSimple", "dctProgram"};
    return Pick(names, aValue);
}

const char* PostScanActionName(TPostScanAction aValue) {
    static const char* const names[] = {"psaNone", "psaStop", "psaStopAndSave"};
    return Pick(names, aValue);
}

const char* CalibrationTableTypeName(TCalibrationTableType aValue) {
    static const char* const names[] = {"cttTemperature", "cttDiffTemperature", "cttHeat"};
    return Pick(names, aValue);
}

const char* LogLevelValueName(enmLogLevel aValue) {
    static const char* const names[] = {"llNone", "llError", "llInfo", "llDebug", "llDisturb"};
    return Pick(names, aValue);
}

const char* WindowStateName(TWindowState aValue) {
    static const char* const names[] = {"wsNormal", "wsMinimized", "wsMaximized"};
    return Pick(names, aValue);
}

TColor TDisplayParams::GetDiffTempCurveColor(int32_t aIndex) const {
    return CurveColor(diffTempCurveColor, aIndex);
}

TColor TDisplayParams::GetTempCurveColor(int32_t aIndex) const {
    return CurveColor(tempCurveColor, aIndex);
}

std::string TAppConfig::GetInterfaceName() const {
    return InterfaceTypeDisplayName(interfaceType);
}

}  // namespace kalvero
