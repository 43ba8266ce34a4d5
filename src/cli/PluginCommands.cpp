// "plugins", "plugins install" and "plugin": the installed plug-ins and their commands.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "plugins/PluginUtil.h"

namespace kalvero::cli {
namespace {

nlohmann::ordered_json PluginsToJson(const TPluginUtil& aHost, const std::string& aError) {
    nlohmann::ordered_json j;
    j["plugins"] = nlohmann::ordered_json::array();
    for (int i = 0; i < aHost.PluginCount(); ++i) {
        const RPluginDescriptor& d = aHost.Plugins()[i];
        nlohmann::ordered_json p;
        p["index"] = i;
        p["pluginName"] = d.pluginName;
        p["className"] = d.className;
        p["fileName"] = d.fileName;
        p["loaded"] = d.loaded;
        p["caps"] = nlohmann::ordered_json::array();
        p["commands"] = nlohmann::ordered_json::array();
        if (d.pluginInstance) {
            const TPluginCaps caps = d.pluginInstance->PluginCaps();
            for (int c = pcHelpFile; c <= pcShowInsidePeak; ++c) {
                const auto capability = static_cast<TPluginCapability>(c);
                if (caps & PluginCap(capability)) p["caps"].push_back(PluginCapabilityName(capability));
            }
            p["commands"] = d.pluginInstance->PluginCommands();
        }
        j["plugins"].push_back(p);
    }
    j["error"] = aError.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(aError);
    return j;
}

// "FILE@RANGE": the file and the range of its effect; a name that is a file as it stands, or has
// no "@", is the file alone.
std::pair<std::string, std::string> FileAndRange(const std::string& aArgument) {
    std::error_code ec;
    const size_t at = aArgument.rfind('@');
    if (at == std::string::npos || std::filesystem::exists(aArgument, ec)) return {aArgument, ""};
    return {aArgument.substr(0, at), aArgument.substr(at + 1)};
}

// Described results for a person: the warnings, every table as tab-separated lines, the answers of
// the panels.
void PrintResultsText(const RPluginResults& aResults) {
    for (const std::string& w : aResults.warnings)
        std::cout << w << '\n';
    for (const RResultTable& t : aResults.tables)
        std::cout << '\n' << t.title << '\n' << TableText(t);
    for (const RResultPanel& p : aResults.panels) {
        if (p.lines.empty()) continue;
        std::cout << '\n' << p.title << '\n';
        for (const std::string& line : p.lines)
            std::cout << line << '\n';
    }
    std::cout.flush();
}

}  // namespace

void RegisterPluginCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string module, className, name, command, out, predictAlpha, predictTemperature, predictTime;
        std::vector<std::string> files, params;
    };
    auto args = std::make_shared<TArgs>();

    auto* plugins = aApp.add_subcommand("plugins", "List the installed plug-ins");
    plugins->require_subcommand(0, 1);
    auto* install = plugins->add_subcommand("install", "Install a plug-in module");
    install->add_option("FILE", args->module, "Plug-in module (.so)")->required();
    install->add_option("CLASS", args->className, "Class the module registers")->required();
    install->callback([&aContext, args] {
        const TAppConfig& c = aContext.Process().Config();
        InstallPlugin(c, args->module, args->className);
        nlohmann::ordered_json j;
        j["installed"] = args->className;
        j["folder"] = c.fApplicationPluginsPath;
        aContext.Print(j);
    });
    plugins->callback([&aContext, plugins, install] {
        if (install->parsed()) return;
        TProcessContext& process = aContext.Process();
        TPluginUtil host(process.Config().fApplicationTypeName, &process.Logger());
        std::string error;
        try {
            host.LoadPlugins();
        } catch (const std::exception& e) {
            error = e.what();
        }
        aContext.Print(PluginsToJson(host, error));
    });

    auto* run = aApp.add_subcommand("plugin", "Run a command of a plug-in on experiment files");
    run->add_option("NAME", args->name, "Plug-in name, e.g. Kinetics")->required();
    run->add_option("COMMAND", args->command, "Command caption")->required();
    run->add_option("FILE", args->files,
                    "Experiment files; the first is the current one. FILE@RANGE gives the plug-in the effect "
                    "of that experiment in RANGE (500C:560C, 300s:900s or items) as parameter range.N")
        ->required();
    run->add_option("--param", args->params, "Parameter key=value");
    run->add_option("--predict-alpha", args->predictAlpha,
                    "Prediction: the conversion (parameter predictAlpha)");
    run->add_option("--predict-temperature", args->predictTemperature,
                    "Prediction: the time to the conversion at this constant temperature, 150C or 423.15K "
                    "(parameter predictTemperature)");
    run->add_option("--predict-time", args->predictTime,
                    "Prediction: the constant temperature reaching the conversion in this time, 30min, 8h "
                    "or 1y (parameter predictTime)");
    run->add_option("--out", args->out, "Save the current experiment here when the command changed it");
    run->callback([&aContext, args] {
        TProcessContext& process = aContext.Process();
        TPluginUtil host(process.Config().fApplicationTypeName, &process.Logger());
        host.LoadPlugins();
        TPlugin* plugin = nullptr;
        if (!host.GetPluginByName(args->name, plugin) || !plugin) {
            throw ECliError("Плагин " + args->name + " не установлен");
        }
        std::vector<std::unique_ptr<TDataClass>> experiments;
        std::vector<std::pair<int, int>> ranges;  // items of the effects given, {-1, -1} for none
        for (const auto& argument : args->files) {
            const auto [file, range] = FileAndRange(argument);
            experiments.push_back(LoadExperimentFile(aContext, file));
            ranges.push_back(range.empty() ? std::pair{-1, -1}
                                           : ParseRange(*experiments.back(), range, "FILE@RANGE"));
        }
        plugin->ClearAllData();
        plugin->SetCurrentDataClass(experiments.front().get());
        for (const auto& e : experiments)
            plugin->AddDataClass(e.get());
        plugin->PutParam("editPeakNumber", "0");
        for (size_t k = 0; k < ranges.size(); ++k) {
            if (ranges[k].first >= 0)
                plugin->PutParam("range." + std::to_string(k + 1),
                                 std::to_string(ranges[k].first) + ":" + std::to_string(ranges[k].second));
        }
        const std::pair<const char*, const std::string*> predictions[] = {
            {"predictAlpha", &args->predictAlpha},
            {"predictTemperature", &args->predictTemperature},
            {"predictTime", &args->predictTime}};
        for (const auto& [key, value] : predictions)
            if (!value->empty()) plugin->PutParam(key, *value);
        for (const auto& p : args->params) {
            const size_t eq = p.find('=');
            if (eq == std::string::npos) throw CLI::ValidationError("--param", "ожидается key=value: " + p);
            plugin->PutParam(p.substr(0, eq), p.substr(eq + 1));
        }
        std::string command = args->command;
        command.erase(std::remove(command.begin(), command.end(), '&'), command.end());
        RPluginResults results;
        try {
            plugin->BeginWork(command);
            results = plugin->TakeResults();
            if (!results.Empty()) plugin->ReleaseResults(results.id);
        } catch (const std::exception& e) {
            // An error raised inside the module must not outlive it: keep only its text.
            throw ECliError(e.what());
        }
        if (!args->out.empty() && experiments.front()->fHasUnsavedChanges) {
            experiments.front()->SaveToFile(args->out, false);
        }
        // A command that described its results prints them: its values for scripts, its tables for
        // a person.
        if (!results.Empty()) {
            if (!aContext.Options().json) return PrintResultsText(results);
            if (!results.values.empty()) return aContext.Print(nlohmann::ordered_json::parse(results.values));
        }
        nlohmann::ordered_json j;
        const TPairArray& params = plugin->Params();
        for (int i = 0; i < params.Count(); ++i)
            j[params.GetKeyByIndex(i)] = params.GetValueByIndex(i);
        aContext.Print(j);
    });
}

}  // namespace kalvero::cli
