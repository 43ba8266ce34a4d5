#pragma once
// What every command of kalvero-cli shares: the global options, the process context they open,
// and the way results reach stdout.

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

#include "import/ImportedRun.h"
#include "system/ProcessContext.h"

namespace CLI {
class App;
}

namespace kalvero {
class TDataClass;
}

namespace kalvero::cli {

struct TCliOptions {
    std::string dataDir;  // --data-dir: overrides KALVERO_DATA_DIR
    bool json = false;    // --json: machine-readable output on stdout
};

// A failure in the system's own words; main prints it to stderr and exits with 1.
class ECliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends a command that has said everything it has to say with an exit status of its own (the
// batch evaluation's 1 and 3).
class ECliExitStatus : public std::exception {
public:
    explicit ECliExitStatus(int aStatus) : fStatus(aStatus) {}
    int Status() const { return fStatus; }
    const char* what() const noexcept override { return "exit status"; }

private:
    int fStatus;
};

class TCliContext {
public:
    // aOptions is filled by the parser before any command runs, so it is kept by reference.
    explicit TCliContext(const TCliOptions& aOptions);
    // Opens the configuration and the log ("Kalvero" module) on first use.
    TProcessContext& Process();
    const TCliOptions& Options() const { return fOptions; }

    // Prints aResult as JSON (--json) or as "name: value" lines.
    void Print(const nlohmann::ordered_json& aResult) const;

private:
    const TCliOptions& fOptions;
    std::unique_ptr<TProcessContext> fProcess;
};

// "A:B" into two numbers; a usage error naming aOption otherwise.
std::pair<int, int> ParseItemRange(const std::string& aText, const std::string& aOption = "--selection");
// A range of aData in items, times or temperatures ("2500:3500", "300s:360s", "5min:6min",
// "150C:170C"): items [first, last]. A text that is no range is a usage error naming aOption; a
// temperature the run never reaches is an error in the system's words.
std::pair<int, int> ParseRange(const TDataClass& aData, const std::string& aText, const std::string& aOption);
// One item named the same way ("--from 300s").
int ParseItem(const TDataClass& aData, const std::string& aText, const std::string& aOption);

// An experiment file, or a text export of another instrument, read for a command, the process
// context opened first.
std::unique_ptr<TDataClass> LoadExperimentFile(TCliContext& aContext, const std::string& aFile,
                                               const TImportOptions& aOptions = {});

// Each command adds itself to the application; its callback runs with the shared context.
void RegisterConfigCommand(CLI::App& aApp, TCliContext& aContext);
void RegisterProgramCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterDeviceCommand(CLI::App& aApp, TCliContext& aContext);
void RegisterTableCommand(CLI::App& aApp, TCliContext& aContext);
void RegisterExperimentCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterProcessingCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterEvaluationCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterPluginCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterExportCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterRecordCommand(CLI::App& aApp, TCliContext& aContext);
void RegisterChannelCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterRecoverCommand(CLI::App& aApp, TCliContext& aContext);
void RegisterHeatCapacityCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterMethodCommands(CLI::App& aApp, TCliContext& aContext);
void RegisterReportCommand(CLI::App& aApp, TCliContext& aContext);

// The description of an experiment as "info" prints it.
nlohmann::ordered_json ExperimentInfo(const TDataClass& aExperiment);

// Every field of the configuration under its own name (enumerations by their value names).
nlohmann::ordered_json ConfigToJson(const TAppConfig& aConfig);

}  // namespace kalvero::cli
