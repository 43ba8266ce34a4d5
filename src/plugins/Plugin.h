#pragma once
// Base class of every plug-in: processing commands that laboratories add without rebuilding the
// program. A plug-in works on the current experiment and the list of all open ones, reads its
// parameters from and leaves its results in fParams, and logs to a file of its own. A command
// whose results are plots and tables describes them (PluginResults.h) and the program shows them.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/CommonTypes.h"
#include "common/Config.h"
#include "common/IniFile.h"
#include "common/Logger.h"
#include "common/Object.h"
#include "plugins/PluginResults.h"

namespace kalvero {

class TDataClass;
class TCalibrationTable;
class TTempCalibrationTable;
class THeatCalibrationTable;

enum TPluginCapability : uint8_t { pcNone = 0, pcHelpFile, pcFileMenu, pcGraphicMenu, pcShowInsidePeak };
// A set of capabilities, one bit each in the order of TPluginCapability.
using TPluginCaps = uint32_t;
inline constexpr TPluginCaps PluginCap(TPluginCapability aCapability) {
    return 1u << aCapability;
}
// "pcHelpFile", ...
const char* PluginCapabilityName(TPluginCapability aCapability);

class EPluginException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The progress window of a long plug-in command (through the program's progress hooks).
class TPluginProgress {
public:
    void Start(const std::string& aCaption, int aMax);
    void Step(int aPosition);
    void Finish();
};

class TPlugin : public TObject {
public:
    TPlugin(const std::string& aClassName, TTempCalibrationTable* aTempTable,
            TCalibrationTable* aDiffTempTable, THeatCalibrationTable* aHeatTable, enmLogLevel aLogLevel,
            TAppConfig* aConfig);
    ~TPlugin() override;
    TPlugin(const TPlugin&) = delete;
    TPlugin& operator=(const TPlugin&) = delete;

    virtual void Init() = 0;
    virtual std::string pluginName() = 0;
    virtual TPluginCaps PluginCaps() = 0;
    virtual void BeginWork(const std::string& aPluginCommand) = 0;
    virtual void EndWork() = 0;
    virtual void UpdateWork(const std::string& aObjectId) = 0;
    // The operator pressed the button aAction of results the plug-in described; aResults holds
    // the inputs as the operator left them. The plug-in answers by changing aResults (lines of a
    // panel, new tables and plots). EPluginException with the operator's message when it cannot.
    // The base class knows no action.
    virtual void ResultsAction(RPluginResults& aResults, const std::string& aAction);
    // The window of the results aResultsId closed: what the plug-in kept to answer their buttons
    // can go.
    virtual void ReleaseResults(const std::string& aResultsId);

    void ClearAllData();
    void SetCurrentDataClass(TDataClass* aDataClass) { fCurrentDataClass = aDataClass; }
    TDataClass* GetCurrentDataClass() const { return fCurrentDataClass; }
    void AddDataClass(TDataClass* aDataClass) { fAllDataClasses.push_back(aDataClass); }
    void PutParam(const std::string& aParamName, const std::string& aParamValue);
    const TPairArray& Params() const { return fParams; }
    // The results the last command described (empty when it described none), handed over once.
    RPluginResults TakeResults();
    const std::vector<std::string>& PluginCommands() const { return fPluginCommands; }
    const std::string& PluginHelpFileName() const { return fHelpFileName; }
    void SetOnRefreshGraphic(std::function<void()> aHandler) { fOnRefreshGraphic = std::move(aHandler); }
    void FireOnRefreshGraphic();
    // Application folder + "plugins", program-data folder + "plugins" (with trailing "/").
    std::string GetPluginPath() const;
    std::string GetPluginDataPath() const;
    void LoadConfig();
    const std::string& BaseName() const { return fPluginName; }

protected:
    // Leaves results for the program to show when the command ends.
    void ShowResults(RPluginResults aResults) { fResults = std::move(aResults); }

    std::string fPluginName;
    TPluginCaps fPluginCaps = 0;
    std::vector<std::string> fPluginCommands;
    std::unique_ptr<TLogger> fLogger;
    TPairArray fParams;
    std::string fHelpFileName;
    TDataClass* fCurrentDataClass = nullptr;
    std::vector<TDataClass*> fAllDataClasses;
    TAppConfig* fCommonConfig;
    TTempCalibrationTable* fTempCalibrationTable;
    TCalibrationTable* fDiffTempCalibrationTable;
    THeatCalibrationTable* fHeatCalibrationTable;
    std::unique_ptr<TIniFile> fPluginIni;
    std::unique_ptr<TPluginProgress> fProgressForm;
    std::function<void()> fOnRefreshGraphic;
    RPluginResults fResults;
};

}  // namespace kalvero
