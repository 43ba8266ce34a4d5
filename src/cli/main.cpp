// kalvero-cli: the library of the system without a window, for batch work and scripts.
// Usage: kalvero-cli [--data-dir DIR] [--json] COMMAND [args]. Errors go to stderr in the
// system's own words with exit status 1; usage errors exit with 2.

#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

#include "cli/CliContext.h"
#include "common/Globals.h"
#include "common/Logger.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    using namespace kalvero::cli;

    TCliOptions options;
    CLI::App app{"Kalvero DSC workstation, command-line tool", "kalvero-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--data-dir", options.dataDir, "Program-data folder (overrides KALVERO_DATA_DIR)");
    app.add_flag("--json", options.json, "Print machine-readable JSON on stdout");

    TCliContext context(options);
    RegisterConfigCommand(app, context);
    RegisterProgramCommands(app, context);
    RegisterDeviceCommand(app, context);
    RegisterTableCommand(app, context);
    RegisterExperimentCommands(app, context);
    RegisterProcessingCommands(app, context);
    RegisterEvaluationCommands(app, context);
    RegisterPluginCommands(app, context);
    RegisterExportCommands(app, context);
    RegisterRecordCommand(app, context);
    RegisterChannelCommands(app, context);
    RegisterRecoverCommand(app, context);
    RegisterHeatCapacityCommands(app, context);
    RegisterMethodCommands(app, context);
    RegisterReportCommand(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const ECliExitStatus& e) {
        return e.Status();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        if (kalvero::gLogger) kalvero::gLogger->Error("TKalveroCli", e.what());
        return 1;
    }
    return 0;
}
