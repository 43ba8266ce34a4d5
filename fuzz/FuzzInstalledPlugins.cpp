// The "installedPlugins" value: parsed directly, and read through the settings store by the
// plug-in host (the input is the whole per-user store file, so the store's reader is fuzzed too).
// Nothing is loaded: module names from a damaged store are never opened here.

#include <exception>
#include <string>

#include "FuzzSupport.h"
#include "plugins/PluginUtil.h"
#include "system/RegistryUtil.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    fuzz::Config();
    static const bool stores = [] {
        RegistryUtil::SetUserStoreFile(fuzz::ScratchFolder() + "user.ini");
        RegistryUtil::SetMachineStoreFile(fuzz::ScratchFolder() + "user.ini");
        return true;
    }();
    (void)stores;
    const std::string value(reinterpret_cast<const char*>(aData), aSize);
    for (const RPluginDescriptor& d : TPluginUtil::ParseInstalledPlugins(value))
        if (d.fileName.empty()) __builtin_trap();  // an entry without a module is never listed
    fuzz::WriteInput("user.ini", aData, aSize);
    try {
        TPluginUtil host("Kalvero", nullptr);
        (void)host.PluginCount();
    } catch (const std::exception&) {
    }
    return 0;
}
