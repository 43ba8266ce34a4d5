#pragma once
// The plug-in host: reads the list of installed plug-ins from the settings store, loads each
// module from the plug-ins folder, creates its plug-in object by class name, and unloads them.

#include <string>
#include <vector>

#include "common/Logger.h"
#include "plugins/Plugin.h"

namespace kalvero {

struct RPluginDescriptor {
    void* pluginHandle = nullptr;  // the module; never squeezed into 32 bits
    TPlugin* pluginInstance = nullptr;
    std::string pluginName;
    std::string className;
    std::string fileName;  // relative to the plug-ins folder
    bool loaded = false;
};

class TPluginUtil {
public:
    // Reads the installed list; a read error is shown in an error box and leaves the host empty.
    TPluginUtil(const std::string& aAppName, TLogger* aLogger);
    ~TPluginUtil();
    TPluginUtil(const TPluginUtil&) = delete;
    TPluginUtil& operator=(const TPluginUtil&) = delete;

    // Loads every listed plug-in in order; the first failure raises EPluginException
    // "Произошла ошибка при загрузке плагина <full name>: <reason>" and ends the loading, the
    // plug-ins loaded before it stay usable.
    void LoadPlugins();

    int PluginCount() const { return static_cast<int>(fPluginList.size()); }
    std::string GetPluginName(int aIndex) const;
    bool ListPluginNames(std::vector<std::string>& aList) const;
    bool GetPluginByName(const std::string& aName, TPlugin*& aPlugin) const;
    bool GetPluginByIdx(int aIndex, TPlugin*& aPlugin) const;
    TPlugin* GetPluginByIdx(int aIndex) const;
    bool IsPluginLoaded(int aIndex) const;
    const std::vector<RPluginDescriptor>& Plugins() const { return fPluginList; }

    // The key of the installed list in the machine-wide store.
    static std::string PluginsKey(const std::string& aAppName);
    // "file=class;file=class;..." into descriptors, in order, skipping pieces without a file.
    static std::vector<RPluginDescriptor> ParseInstalledPlugins(const std::string& aValue);

private:
    void FillInstalledPlugins();
    void Unload(RPluginDescriptor& aDescriptor);

    std::string fApplicationName;
    std::vector<RPluginDescriptor> fPluginList;
    TLogger* fLogger;
};

// Copies a module into the application's plug-ins folder (replacing one of the same file name)
// and lists it in "installedPlugins" (a class installed again replaces its entry).
void InstallPlugin(const TAppConfig& aConfig, const std::string& aModuleFile, const std::string& aClassName);

}  // namespace kalvero
