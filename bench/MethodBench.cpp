// Methods on many files: 1000 experiment files of 10^5 samples each evaluated by a method of three
// evaluations (a peak, a glass transition, a crystallinity) against the files loaded alone (target:
// within 1.1×), on one thread and on two (target: two at least 1.8× faster), and a one-page report
// drawn into PDF (target: under 200 ms).

#include <benchmark/benchmark.h>

#include <QImage>

#include <cmath>
#include <filesystem>
#include <vector>

#include "BenchSupport.h"
#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "graphics/GuiRuntime.h"
#include "graphics/Report.h"
#include "import/ExperimentImport.h"
#include "methods/Batch.h"
#include "methods/ReportContent.h"

namespace kalvero::bench {
namespace {

constexpr size_t kFiles = 1000, kSamples = 100000;

// A heat flow in mW of 5 mg heated at 10 K/min over 50 … 200 °C: a glass transition at 100 °C and
// a melting of 150 mJ at 160 °C on a sloped base.
TPhysicalRun PolymerRun() {
    TPhysicalRun run;
    run.quantity = sqHeatFlow;
    run.mass = 5;
    run.endoUp = true;
    run.sampleName = "ПЭТ";
    const double step = 900.0 / (kSamples - 1);
    for (size_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) * step, T = 50 + t / 6, x = (T - 160) / 2;
        run.time.push_back(t);
        run.temperature.push_back(T);
        run.signal.push_back(1 + 0.002 * T + 0.3 / (1 + std::exp(-(T - 100) / 2)) +
                             150 * std::exp(-0.5 * x * x) / (12 * std::sqrt(2 * M_PI)));
    }
    return run;
}

// The files, made once: each a file of its own, so that the runs read 1000 files as a batch does.
const std::vector<std::string>& Files() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> out;
        const std::string folder = Environment().Folder();  // the configuration first
        TDataClass d;
        std::vector<std::string> warnings;
        FillFromPhysicalRun(d, PolymerRun(), warnings);
        const std::string first = folder + "method-run-0.dsc";
        d.SaveToFile(first, false);
        out.push_back(first);
        for (size_t k = 1; k < kFiles; ++k) {
            out.push_back(folder + "method-run-" + std::to_string(k) + ".dsc");
            std::filesystem::copy_file(first, out.back(), std::filesystem::copy_options::overwrite_existing);
        }
        return out;
    }();
    return files;
}

const methods::TMethod& Method() {
    using methods::EEvaluationKind;
    static const methods::TMethod method{
        "Контроль",
        {{.kind = EEvaluationKind::Peak, .range = "148C:172C", .limits = {{"topTemp", {159, 161}}}},
         {.kind = EEvaluationKind::GlassTransition, .range = "85C:115C", .limits = {{"midpoint", {99, 101}}}},
         {.kind = EEvaluationKind::Crystallinity, .range = "148C:172C", .referenceHeat = 140}}};
    return method;
}

void BM_BatchLoadOnly(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        for (const std::string& file : files) {
            TDataClass d;
            LoadAnyExperimentFile(d, file);
            benchmark::DoNotOptimize(d.GetItemCount());
        }
    }
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_BatchLoadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_BatchEvaluate(benchmark::State& state) {
    const auto& files = Files();
    methods::TBatchOptions options;
    options.jobs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const auto results =
            methods::EvaluateFiles(files, Method(), Environment().Config(), nullptr, options);
        if (methods::BatchExitStatus(results) != 0) state.SkipWithError("a file failed or a limit did");
    }
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_BatchEvaluate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReportOnePage(benchmark::State& state) {
    TGuiApplicationScope gui;
    TDataClass d;
    LoadAnyExperimentFile(d, Files().front());
    const methods::TMethodRun run = methods::ApplyMethod(d, Method(), Environment().Config(), nullptr);
    d.mode = vm_view_dT_by_time;
    d.ResetMargins(true);
    for (auto _ : state) {
        TReportItem item;
        item.plot = ReportPlot(d);
        item.page = methods::ReportPageOf(&d, Files().front(), run, "", "2026-12-10 08:00:00");
        benchmark::DoNotOptimize(ReportPdf(Environment().Config(), {item}).size());
    }
}
BENCHMARK(BM_ReportOnePage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kalvero::bench
