// "evaluate": a method applied to many experiment files on all cores, one row per file and
// result, with the exit status a quality-control script reads: 0 everything evaluated and within
// its limits, 1 a file could not be evaluated, 3 a limit failed.

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/CliContext.h"
#include "common/Globals.h"
#include "methods/Batch.h"
#include "methods/MethodFile.h"
#include "methods/ResultTable.h"

namespace kalvero::cli {
namespace {

// "[3/10] run.dsc: годен" on stderr as each file is done.
void ReportProgress(size_t aDone, size_t aTotal, const methods::TBatchFile& f) {
    std::string state;
    if (!f.error.empty()) {
        state = "ошибка: " + f.error;
    } else if (f.run.Failed()) {
        state = "оценка не выполнена";
    } else {
        state = f.run.LimitFailed() ? "вне границ" : "годен";
    }
    std::cerr << "[" << aDone << "/" << aTotal << "] " << f.file << ": " << state << std::endl;
}

// The plain lines: each result of each file, or the file's error.
void PrintRows(const std::vector<methods::TBatchFile>& aFiles) {
    for (const methods::TBatchFile& f : aFiles) {
        if (!f.error.empty()) {
            std::cout << f.file << ": ошибка: " << f.error << '\n';
            continue;
        }
        for (const methods::TMethodResult& r : f.run.results) {
            std::cout << f.file << ": " << r.evaluation << " " << methods::KindKey(r.kind) << " " << r.range;
            if (!r.error.empty()) {
                std::cout << ": ошибка: " << r.error << '\n';
                continue;
            }
            std::cout << ": " << r.name << " = " << r.value << " " << r.unit;
            if (r.limited) std::cout << " (" << methods::VerdictCaption(r.verdict) << ")";
            std::cout << '\n';
        }
    }
    std::cout.flush();
}

}  // namespace

void RegisterMethodCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string method, out;
        std::vector<std::string> files;
        int jobs = 0;
    };
    auto args = std::make_shared<TArgs>();

    auto* evaluate = aApp.add_subcommand(
        "evaluate",
        "Apply an evaluation method to experiment files; exit 1 when a file fails, 3 when a limit does");
    evaluate->add_option("--method", args->method, "Method file (JSON)")->required();
    evaluate->add_option("FILE", args->files, "Experiment files, own or other instruments' exports")
        ->required();
    evaluate->add_option("--out", args->out, "Results table to write: .csv or .json");
    evaluate->add_option("--jobs", args->jobs, "Files evaluated at once (default: all cores)")
        ->check(CLI::Range(1, 1024));
    evaluate->callback([&aContext, args] {
        const methods::TMethod method = [&] {
            try {
                return methods::LoadMethodFile(args->method);
            } catch (const methods::EMethodError& e) {
                throw ECliError(e.what());
            }
        }();
        TProcessContext& process = aContext.Process();
        methods::TBatchOptions options;
        options.jobs = args->jobs;
        const size_t total = args->files.size();
        options.onDone = [total](size_t aDone, const methods::TBatchFile& f) {
            ReportProgress(aDone, total, f);
        };
        const auto files = methods::EvaluateFiles(args->files, method, process.Config(), gLogger, options);
        if (!args->out.empty()) methods::WriteResultTable(args->out, method.name, files);
        if (aContext.Options().json) {
            aContext.Print(methods::BatchJson(method.name, files));
        } else {
            PrintRows(files);
        }
        if (const int status = methods::BatchExitStatus(files)) throw ECliExitStatus(status);
    });
}

}  // namespace kalvero::cli
