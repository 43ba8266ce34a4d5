// "Settings.ini": read into a fresh configuration over the scratch program-data folder, then
// written back the way the program saves its settings.

#include <exception>

#include "FuzzSupport.h"
#include "common/Config.h"
#include "common/Globals.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    TAppConfig& global = fuzz::Config();
    const std::string folder = fuzz::ScratchFolder() + "settings/";
    static const std::string settings = TAppConfig(folder + "app", folder + "data").SettingsFileName();
    fuzz::WriteBytes(settings, aData, aSize);
    try {
        TAppConfig config(folder + "app", folder + "data");
        config.LoadSettings();
        gConfig = &config;
        config.SaveAppSettings();
        config.SaveScanSettings();
        config.SaveLibSettings();
    } catch (const std::exception&) {
    }
    gConfig = &global;
    return 0;
}
