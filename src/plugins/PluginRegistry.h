#pragma once
// How a plug-in module makes its class known: the module registers a factory under the class
// name when it is loaded and withdraws it when it is unloaded, and exports the version of this
// interface it was built against. A plug-in source ends with
//     KALVERO_REGISTER_PLUGIN(TKinetics)
// (the class must have the TPlugin constructor signature).

#include <cstdint>
#include <functional>
#include <string>

#include "calibration/CommonCalibration.h"
#include "common/Config.h"
#include "common/Logger.h"

namespace kalvero {

class TPlugin;
class TTempCalibrationTable;
class THeatCalibrationTable;

// Raised by every change of TPlugin or of the classes it hands to plug-ins in a way that breaks
// modules built before it.
// 2: TPlugin describes results to show (ResultsAction, ReleaseResults, the results it keeps).
inline constexpr int32_t KALVERO_PLUGIN_INTERFACE_VERSION = 2;
inline constexpr const char* KALVERO_PLUGIN_VERSION_SYMBOL = "KalveroPluginInterfaceVersion";

using TPluginFactory = TPlugin* (*)(const std::string& aClassName, TTempCalibrationTable* aTempTable,
                                    TCalibrationTable* aDiffTempTable, THeatCalibrationTable* aHeatTable,
                                    enmLogLevel aLogLevel, TAppConfig* aConfig);

void RegisterPluginClass(const std::string& aClassName, TPluginFactory aFactory);
void UnregisterPluginClass(const std::string& aClassName);
// Null when no loaded module registered the class.
TPluginFactory FindPluginClass(const std::string& aClassName);

template <typename T>
TPlugin* CreatePluginOf(const std::string& aClassName, TTempCalibrationTable* aTempTable,
                        TCalibrationTable* aDiffTempTable, THeatCalibrationTable* aHeatTable,
                        enmLogLevel aLogLevel, TAppConfig* aConfig) {
    return new T(aClassName, aTempTable, aDiffTempTable, aHeatTable, aLogLevel, aConfig);
}

// Registers for the lifetime of the module.
class TPluginRegistrar {
public:
    TPluginRegistrar(const char* aClassName, TPluginFactory aFactory) : fClassName(aClassName) {
        RegisterPluginClass(fClassName, aFactory);
    }
    ~TPluginRegistrar() { UnregisterPluginClass(fClassName); }
    TPluginRegistrar(const TPluginRegistrar&) = delete;
    TPluginRegistrar& operator=(const TPluginRegistrar&) = delete;

private:
    std::string fClassName;
};

}  // namespace kalvero

#define KALVERO_REGISTER_PLUGIN(CLASS)                                                          \
    extern "C" __attribute__((visibility("default"))) int32_t KalveroPluginInterfaceVersion() { \
        return ::kalvero::KALVERO_PLUGIN_INTERFACE_VERSION;                                     \
    }                                                                                           \
    static ::kalvero::TPluginRegistrar kalveroPluginRegistrar_##CLASS(#CLASS,                   \
                                                                      &::kalvero::CreatePluginOf<CLASS>)
