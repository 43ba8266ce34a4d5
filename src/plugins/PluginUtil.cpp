#include "plugins/PluginUtil.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "plugins/PluginRegistry.h"
#include "system/RegistryUtil.h"

namespace kalvero {
namespace {

constexpr const char* kInstalledPlugins = "installedPlugins";

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A module name must stay inside the plug-ins folder.
void CheckModuleName(const std::string& aFileName) {
    const std::filesystem::path p(aFileName);
    if (p.is_absolute()) throw EPluginException("имя модуля не может быть абсолютным путём");
    for (const auto& part : p) {
        if (part == "..") throw EPluginException("имя модуля выходит за папку плагинов");
    }
}

}  // namespace

std::string TPluginUtil::PluginsKey(const std::string& aAppName) {
    return "Software\\Kalvero\\" + aAppName;
}

std::vector<RPluginDescriptor> TPluginUtil::ParseInstalledPlugins(const std::string& aValue) {
    std::vector<RPluginDescriptor> list;
    size_t start = 0;
    while (start <= aValue.size()) {
        const size_t end = std::min(aValue.find(';', start), aValue.size());
        const std::string piece = aValue.substr(start, end - start);
        start = end + 1;
        const size_t eq = piece.find('=');
        const std::string file = eq == std::string::npos ? "" : piece.substr(0, eq);
        std::string cls = eq == std::string::npos ? "" : piece.substr(eq + 1);
        cls = cls.substr(0, cls.find('='));
        if (Trim(file).empty()) continue;
        RPluginDescriptor d;
        d.fileName = file;
        d.className = cls;
        list.push_back(d);
    }
    return list;
}

TPluginUtil::TPluginUtil(const std::string& aAppName, TLogger* aLogger)
    : fApplicationName(aAppName), fLogger(aLogger) {
    try {
        FillInstalledPlugins();
    } catch (const std::exception& e) {
        fPluginList.clear();
        ErrBox(fLogger, "TPluginUtil", e.what());
    }
}

TPluginUtil::~TPluginUtil() {
    for (auto& d : fPluginList) {
        if (fLogger)
            fLogger->Debug("TPluginUtil", "Unloading package: " + d.className + " - " + d.pluginName);
        Unload(d);
    }
    fPluginList.clear();
}

void TPluginUtil::FillInstalledPlugins() {
    const std::string key = PluginsKey(fApplicationName);
    if (!RegistryUtil::IsKeyExist(key) || !RegistryUtil::IsParamExist(kInstalledPlugins, key)) return;
    fPluginList = ParseInstalledPlugins(RegistryUtil::GetStringParam(kInstalledPlugins, key));
}

void TPluginUtil::Unload(RPluginDescriptor& aDescriptor) {
    // The object's code lives in the module: free the object first, then the module.
    delete aDescriptor.pluginInstance;
    aDescriptor.pluginInstance = nullptr;
    if (aDescriptor.pluginHandle) dlclose(aDescriptor.pluginHandle);
    aDescriptor.pluginHandle = nullptr;
    aDescriptor.loaded = false;
}

void TPluginUtil::LoadPlugins() {
    const TAppConfig* config = gConfig;
    for (auto& d : fPluginList) {
        d.loaded = false;
        const std::string folder = config ? config->fApplicationPluginsPath : "";
        const std::string fullName = folder + d.fileName;
        try {
            if (!config) throw EPluginException("настройки программы не загружены");
            CheckModuleName(d.fileName);
            std::error_code ec;
            const bool found = std::filesystem::is_regular_file(fullName, ec);
            if (fLogger) {
                fLogger->Debug("TPluginUtil", "Loading package: " + d.className);
                fLogger->Debug("TPluginUtil",
                               "Package filename: " + fullName + ", " + (found ? " found" : "not found"));
            }
            if (!found) throw EPluginException("файл модуля не найден");
            void* handle = dlopen(fullName.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) throw EPluginException(dlerror());
            d.pluginHandle = handle;
            auto version = reinterpret_cast<int32_t (*)()>(dlsym(handle, KALVERO_PLUGIN_VERSION_SYMBOL));
            if (!version) throw EPluginException("модуль не является плагином программы");
            if (version() != KALVERO_PLUGIN_INTERFACE_VERSION) {
                throw EPluginException("модуль собран для версии интерфейса " + std::to_string(version()) +
                                       ", программа поддерживает версию " +
                                       std::to_string(KALVERO_PLUGIN_INTERFACE_VERSION));
            }
            if (fLogger) fLogger->Debug("TPluginUtil", "Loaded.");
            const TPluginFactory factory = FindPluginClass(d.className);
            if (!factory) throw EPluginException("класс " + d.className + " не найден в модуле");
            d.pluginInstance =
                factory(d.className, gTempCalibrationTable, gDiffTempCalibrationTable, gHeatCalibrationTable,
                        fLogger ? fLogger->LogLevel() : llNone, const_cast<TAppConfig*>(config));
            if (fLogger) fLogger->Debug("TPluginUtil", "Created.");
            d.pluginInstance->Init();
            d.pluginName = d.pluginInstance->pluginName();
            d.loaded = true;
        } catch (const std::exception& e) {
            // The error may come from the module's code: take its text before the module goes.
            const std::string message = "Произошла ошибка при загрузке плагина " + fullName + ": " + e.what();
            Unload(d);
            throw EPluginException(message);
        }
    }
}

std::string TPluginUtil::GetPluginName(int aIndex) const {
    return aIndex >= 0 && aIndex < PluginCount() ? fPluginList[aIndex].pluginName : std::string();
}

bool TPluginUtil::ListPluginNames(std::vector<std::string>& aList) const {
    for (const auto& d : fPluginList)
        aList.push_back(d.pluginName);
    return !fPluginList.empty();
}

bool TPluginUtil::GetPluginByName(const std::string& aName, TPlugin*& aPlugin) const {
    for (const auto& d : fPluginList) {
        if (d.pluginName == aName) {
            aPlugin = d.pluginInstance;
            return true;
        }
    }
    aPlugin = nullptr;
    return false;
}

bool TPluginUtil::GetPluginByIdx(int aIndex, TPlugin*& aPlugin) const {
    aPlugin = GetPluginByIdx(aIndex);
    return aIndex >= 0 && aIndex < PluginCount();
}

TPlugin* TPluginUtil::GetPluginByIdx(int aIndex) const {
    return aIndex >= 0 && aIndex < PluginCount() ? fPluginList[aIndex].pluginInstance : nullptr;
}

bool TPluginUtil::IsPluginLoaded(int aIndex) const {
    return aIndex >= 0 && aIndex < PluginCount() && fPluginList[aIndex].loaded;
}

void InstallPlugin(const TAppConfig& aConfig, const std::string& aModuleFile, const std::string& aClassName) {
    namespace fs = std::filesystem;
    if (aClassName.empty()) throw EPluginException("Не задано имя класса плагина");
    std::error_code ec;
    if (!fs::is_regular_file(aModuleFile, ec))
        throw EPluginException("Файл модуля не найден: " + aModuleFile);
    fs::create_directories(aConfig.fApplicationPluginsPath, ec);
    const std::string fileName = fs::path(aModuleFile).filename().string();
    const fs::path target = fs::path(aConfig.fApplicationPluginsPath) / fileName;
    // Through a temporary copy and a rename, so a failed copy never leaves half a module.
    std::random_device rd;
    const fs::path temp = fs::path(aConfig.fApplicationPluginsPath) /
                          ("." + fileName + ".tmp" + std::to_string(rd() % 1000000));
    fs::copy_file(aModuleFile, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) throw EPluginException("Не удалось скопировать модуль " + aModuleFile + ": " + ec.message());
    fs::rename(temp, target, ec);
    if (ec) throw EPluginException("Не удалось скопировать модуль " + aModuleFile + ": " + ec.message());

    const std::string key = TPluginUtil::PluginsKey(aConfig.fApplicationTypeName);
    std::vector<RPluginDescriptor> list;
    if (RegistryUtil::IsParamExist(kInstalledPlugins, key)) {
        list = TPluginUtil::ParseInstalledPlugins(RegistryUtil::GetStringParam(kInstalledPlugins, key));
    }
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const RPluginDescriptor& d) { return d.className == aClassName; }),
               list.end());
    RPluginDescriptor added;
    added.fileName = fileName;
    added.className = aClassName;
    list.push_back(added);
    std::string value;
    for (const auto& d : list)
        value += d.fileName + "=" + d.className + ";";
    RegistryUtil::SetStringParam(kInstalledPlugins, key, value);
}

}  // namespace kalvero
