#include "plugins/Plugin.h"

#include <filesystem>
#include <utility>

#include "common/UiHooks.h"

namespace kalvero {

const char* PluginCapabilityName(TPluginCapability aCapability) {
    static const char* const names[] = {"pcNone", "pcHelpFile", "pcFileMenu", "pcGraphicMenu",
                                        "pcShowInsidePeak"};
    return aCapability <= pcShowInsidePeak ? names[aCapability] : "unknown";
}

void TPluginProgress::Start(const std::string& aCaption, int aMax) {
    UiHooks().ProgressStart(aCaption, aMax);
}
void TPluginProgress::Step(int aPosition) {
    UiHooks().ProgressStep(aPosition);
}
void TPluginProgress::Finish() {
    UiHooks().ProgressFinish();
}

TPlugin::TPlugin(const std::string& aClassName, TTempCalibrationTable* aTempTable,
                 TCalibrationTable* aDiffTempTable, THeatCalibrationTable* aHeatTable, enmLogLevel aLogLevel,
                 TAppConfig* aConfig)
    : fCommonConfig(aConfig),
      fTempCalibrationTable(aTempTable),
      fDiffTempCalibrationTable(aDiffTempTable),
      fHeatCalibrationTable(aHeatTable) {
    if (!aConfig) throw EPluginException("Plug-in created without a configuration");
    fPluginName = !aClassName.empty() && aClassName[0] == 'T' ? aClassName.substr(1) : aClassName;
    fLogger = std::make_unique<TLogger>(fPluginName, aConfig->fProgramDataPath, aLogLevel);
    fProgressForm = std::make_unique<TPluginProgress>();
    fHelpFileName = GetPluginPath() + fPluginName + ".chm";
    LoadConfig();
}

TPlugin::~TPlugin() = default;

void TPlugin::ClearAllData() {
    fParams.Clear();
    fResults = {};
    fCurrentDataClass = nullptr;
    fAllDataClasses.clear();
}

void TPlugin::PutParam(const std::string& aParamName, const std::string& aParamValue) {
    fParams.AddUniq(aParamName, aParamValue);
}

void TPlugin::ResultsAction(RPluginResults&, const std::string& aAction) {
    throw EPluginException("Плагин " + fPluginName + " не выполняет действие " + aAction);
}

void TPlugin::ReleaseResults(const std::string&) {}

RPluginResults TPlugin::TakeResults() {
    return std::exchange(fResults, {});
}

void TPlugin::FireOnRefreshGraphic() {
    if (fOnRefreshGraphic) fOnRefreshGraphic();
}

std::string TPlugin::GetPluginPath() const {
    return fCommonConfig->fApplicationPath + "plugins/";
}

std::string TPlugin::GetPluginDataPath() const {
    return fCommonConfig->fProgramDataPath + "plugins/";
}

void TPlugin::LoadConfig() {
    const std::string fileName = GetPluginDataPath() + fPluginName + ".ini";
    std::error_code ec;
    std::filesystem::create_directories(GetPluginDataPath(), ec);
    fPluginIni = std::make_unique<TIniFile>(fileName);
    fLogger->Debug("TPlugin", "PluginConfig loaded from file: " + fileName);
}

}  // namespace kalvero
