// "recover": runs whose recording was cut short (the program crashed or was killed) and that
// the recovery folder still holds: listed, restored into an experiment file, or given up.

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "common/DateTime.h"
#include "data/DataClass.h"
#include "data/RunRecovery.h"

namespace kalvero::cli {
namespace {

struct TRecoverArgs {
    std::string out;
    int run = 1;
    bool discard = false;
};

nlohmann::ordered_json Describe(const RRecoveredRun& aRun, size_t aNumber) {
    nlohmann::ordered_json j;
    j["run"] = aNumber;
    j["recoveryFile"] = aRun.recoveryFile;
    j["experiment"] = aRun.fileName;
    j["itemCount"] = aRun.items;
    j["seconds"] = aRun.Seconds();
    j["started"] = FormatDateTime("yyyy-mm-ddThh:nn:ss", aRun.started);
    return j;
}

void Recover(TCliContext& aContext, const TRecoverArgs& aArgs) {
    const TAppConfig& config = aContext.Process().Config();
    const std::vector<RRecoveredRun> runs = FindRecoveredRuns(config.fProgramDataPath);
    if (aArgs.out.empty() && !aArgs.discard) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (size_t k = 0; k < runs.size(); ++k)
            list.push_back(Describe(runs[k], k + 1));
        nlohmann::ordered_json j;
        j["runs"] = list;
        if (aContext.Options().json) {
            aContext.Print(j);
        } else {
            for (const auto& run : list)
                aContext.Print(run);
            if (runs.empty()) std::cout << "Прерванных записей нет\n";
        }
        return;
    }
    if (aArgs.discard && aArgs.run == 0) {
        for (const RRecoveredRun& run : runs)
            DiscardRecoveredRun(run);
        nlohmann::ordered_json j;
        j["discarded"] = runs.size();
        aContext.Print(j);
        return;
    }
    if (aArgs.run < 1 || static_cast<size_t>(aArgs.run) > runs.size())
        throw ECliError("Нет прерванной записи с номером " + std::to_string(aArgs.run) + " (всего " +
                        std::to_string(runs.size()) + ")");
    const RRecoveredRun& run = runs[static_cast<size_t>(aArgs.run - 1)];
    nlohmann::ordered_json j = Describe(run, static_cast<size_t>(aArgs.run));
    if (aArgs.discard) {
        DiscardRecoveredRun(run);
        j["discarded"] = true;
    } else {
        TDataClass experiment;
        LoadRecoveredRun(run, experiment);
        experiment.SaveToFile(aArgs.out, false);  // the recovery file goes with the save
        j["file"] = aArgs.out;
    }
    aContext.Print(j);
}

}  // namespace

void RegisterRecoverCommand(CLI::App& aApp, TCliContext& aContext) {
    auto args = std::make_shared<TRecoverArgs>();
    auto* cmd =
        aApp.add_subcommand("recover", "Runs cut short by a crash: list, restore into a file, or discard");
    cmd->add_option("--out", args->out, "Restore the run into this experiment file (*.dsc)");
    cmd->add_option("--run", args->run, "Which run, counted from 1 in the list (0 with --discard: all)");
    cmd->add_flag("--discard", args->discard, "Give the run up: its recovery file is removed");
    cmd->callback([&aContext, args] { Recover(aContext, *args); });
}

}  // namespace kalvero::cli
