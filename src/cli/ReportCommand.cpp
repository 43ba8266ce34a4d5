// "report": a PDF report of experiment files (the plot, the description, the results with limits
// and verdicts, the calibration tables, the program and the time), evaluated by a method or by the
// evaluations each file keeps; a batch begins with a summary. The exit status is "evaluate"'s.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "cli/CliContext.h"
#include "common/DateTime.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "graphics/GuiRuntime.h"
#include "graphics/Report.h"
#include "methods/Batch.h"
#include "methods/MethodFile.h"

namespace kalvero::cli {
namespace {

// The run of aData by aMethod, or the results of the evaluations the file keeps.
methods::TMethodRun Evaluate(TDataClass& d, const methods::TMethod* aMethod, const TAppConfig& aConfig) {
    return aMethod ? methods::ApplyMethod(d, *aMethod, aConfig, gLogger) : methods::ResultsOf(d, aConfig);
}

}  // namespace

void RegisterReportCommand(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string method, out;
        std::vector<std::string> files;
    };
    auto args = std::make_shared<TArgs>();

    auto* report =
        aApp.add_subcommand("report", "Write a PDF report of experiment files, a summary first for several");
    report->add_option("FILE", args->files, "Experiment files, own or other instruments' exports")
        ->required();
    report->add_option("--method", args->method,
                       "Evaluate by this method file instead of the files' own evaluations");
    report->add_option("--out", args->out, "PDF file to write")->required();
    report->callback([&aContext, args] {
        std::optional<methods::TMethod> method;
        if (!args->method.empty()) {
            try {
                method = methods::LoadMethodFile(args->method);
            } catch (const methods::EMethodError& e) {
                throw ECliError(e.what());
            }
        }
        const TAppConfig& config = aContext.Process().Config();
        TGuiApplicationScope gui;
        const std::string now = FormatDateTime("yyyy-mm-dd hh:nn:ss", Now());
        std::vector<TReportItem> items;
        std::vector<methods::TBatchFile> files;
        for (const std::string& file : args->files) {
            methods::TBatchFile f{file, {}, {}};
            TReportItem item;
            try {
                const auto d = LoadExperimentFile(aContext, file);
                f.run = Evaluate(*d, method ? &*method : nullptr, config);
                d->mode = vm_view_dT_by_time;
                d->ResetMargins(true);
                item.plot = ReportPlot(*d);
                item.page = methods::ReportPageOf(d.get(), file, f.run, "", now);
            } catch (const std::exception& e) {
                f.error = e.what();
                item.page = methods::ReportPageOf(nullptr, file, f.run, f.error, now);
            }
            items.push_back(std::move(item));
            files.push_back(std::move(f));
        }
        WriteReportPdf(args->out, config, items);
        aContext.Print(
            {{"file", args->out}, {"files", items.size()}, {"status", methods::BatchExitStatus(files)}});
        if (const int status = methods::BatchExitStatus(files)) throw ECliExitStatus(status);
    });
}

}  // namespace kalvero::cli
