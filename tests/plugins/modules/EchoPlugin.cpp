// A small plug-in for the host's tests: its command copies its parameters into results and can
// change the current experiment.

#include "data/DataClass.h"
#include "plugins/Plugin.h"
#include "plugins/PluginRegistry.h"

namespace kalvero {

class TEcho : public TPlugin {
public:
    using TPlugin::TPlugin;
    void Init() override { fPluginCommands = {"Повторить", "Изменить"}; }
    std::string pluginName() override { return "Echo"; }
    TPluginCaps PluginCaps() override { return PluginCap(pcFileMenu) | PluginCap(pcGraphicMenu); }
    void BeginWork(const std::string& aPluginCommand) override {
        PutParam("command", aPluginCommand);
        PutParam("experiments", std::to_string(fAllDataClasses.size()));
        if (aPluginCommand == "Изменить" && fCurrentDataClass) {
            fCurrentDataClass->items[0][0].dt += 1;
            fCurrentDataClass->fHasUnsavedChanges = true;
        }
        fLogger->Info("TEcho", "command " + aPluginCommand);
    }
    void EndWork() override {}
    void UpdateWork(const std::string&) override {}
};

}  // namespace kalvero

using kalvero::TEcho;
KALVERO_REGISTER_PLUGIN(TEcho);
