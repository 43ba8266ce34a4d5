// "plugins", "plugins install" and "plugin": the installed plug-ins and their commands.

#include <CLI/CLI.hpp>

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

}  // namespace

void RegisterPluginCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string module, className, name, command, out;
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
    run->add_option("FILE", args->files, "Experiment files; the first is the current one")->required();
    run->add_option("--param", args->params, "Parameter key=value");
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
        for (const auto& file : args->files) {
            experiments.push_back(LoadExperimentFile(aContext, file));
        }
        plugin->ClearAllData();
        plugin->SetCurrentDataClass(experiments.front().get());
        for (const auto& e : experiments)
            plugin->AddDataClass(e.get());
        plugin->PutParam("editPeakNumber", "0");
        for (const auto& p : args->params) {
            const size_t eq = p.find('=');
            if (eq == std::string::npos) throw CLI::ValidationError("--param", "ожидается key=value: " + p);
            plugin->PutParam(p.substr(0, eq), p.substr(eq + 1));
        }
        std::string command = args->command;
        command.erase(std::remove(command.begin(), command.end(), '&'), command.end());
        try {
            plugin->BeginWork(command);
        } catch (const std::exception& e) {
            // An error raised inside the module must not outlive it: keep only its text.
            throw ECliError(e.what());
        }
        if (!args->out.empty() && experiments.front()->fHasUnsavedChanges) {
            experiments.front()->SaveToFile(args->out, false);
        }
        nlohmann::ordered_json j;
        const TPairArray& params = plugin->Params();
        for (int i = 0; i < params.Count(); ++i)
            j[params.GetKeyByIndex(i)] = params.GetValueByIndex(i);
        aContext.Print(j);
    });
}

}  // namespace kalvero::cli
