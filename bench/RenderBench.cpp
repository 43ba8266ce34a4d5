// Plot rendering, the picture writers and the text export (bench/compare sets matplotlib and
// numpy.savetxt against them on the same file).

#include <benchmark/benchmark.h>

#include <QImage>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "BenchSupport.h"
#include "data/DataClass.h"
#include "graphics/Bmp2Tiff.h"
#include "graphics/BmpFile.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiRuntime.h"
#include "graphics/PngFile.h"
#include "graphics/TxtFileExport.h"

namespace kalvero::bench {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// One loaded experiment per length, kept for the whole run (loading ten million items is slow).
TDataClass& Experiment(size_t aItems) {
    static std::map<size_t, std::unique_ptr<TDataClass>> loaded;
    auto& d = loaded[aItems];
    if (!d) {
        Environment();
        d = std::make_unique<TDataClass>();
        d->LoadFromFile(ExperimentFile(aItems), ftDSC, 0);
        d->mode = vm_view_dT_by_time;
        d->begXSel = 0, d->endXSel = d->GetItemCount() - 1;
        d->begYSel = 2000, d->endYSel = 2600;  // the synthetic peak spans 2048 … 2548
    }
    return *d;
}

// A screen surface of the benchmark size attached to an experiment for the scope.
struct TScreen {
    QImage image{kWidth, kHeight, QImage::Format_RGB32};
    TDataCanvas canvas;
    TDataClass& d;
    explicit TScreen(TDataClass& aData) : d(aData) {
        canvas.SetCanvas(&image, kWidth, kHeight);
        canvas.SetDimensions(kWidth, kHeight);
        d.SetCanvas(&canvas);
    }
    ~TScreen() { d.SetCanvas(nullptr); }
};

void Render(benchmark::State& state) {
    EnsureGuiApplication();
    const size_t items = static_cast<size_t>(state.range(0));
    Environment().Config().useAA = state.range(1) != 0;
    TScreen screen(Experiment(items));
    for (auto _ : state) {
        screen.d.Redraw();
        benchmark::DoNotOptimize(screen.image.constBits());
    }
    Environment().Config().useAA = false;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * items));
}

}  // namespace

// Mode 0 onto 1920 × 1080: axes, grid, labels, the curve (drawing optimisation on), with and
// without anti-aliasing.
static void BM_Render(benchmark::State& state) {
    Render(state);
}
BENCHMARK(BM_Render)
    ->ArgsProduct({{1000000, 10000000}, {0, 1}})
    ->ArgNames({"items", "aa"})
    ->Unit(benchmark::kMillisecond);

// The same into a PNG in memory: what the matplotlib peer of bench/compare measures.
static void BM_RenderPng(benchmark::State& state) {
    EnsureGuiApplication();
    const size_t items = static_cast<size_t>(state.range(0));
    TScreen screen(Experiment(items));
    for (auto _ : state) {
        screen.d.Redraw();
        screen.canvas.Flush();
        benchmark::DoNotOptimize(EncodePng(screen.image).size());
    }
}
BENCHMARK(BM_RenderPng)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// One 100-ms paint of a run: 1000 new samples of a 1-million-item record.
static void BM_ScanPaint1000(benchmark::State& state) {
    EnsureGuiApplication();
    TDataClass& d = Experiment(1000000);
    TScreen screen(d);
    d.mode = vm_scan_dT_by_time;
    d.fTimeCounter = 0;
    d.Redraw();
    uint32_t from = 0;
    for (auto _ : state) {
        d.fOldTimeCounter = from, d.fTimeCounter = from + 1000;
        d.DrawGraph();
        from = (from + 1000) % 998000;
    }
    screen.canvas.Flush();
    d.mode = vm_view_dT_by_time;
    d.fTimeCounter = d.fOldTimeCounter = 0;
}
BENCHMARK(BM_ScanPaint1000)->Unit(benchmark::kMicrosecond);

static void BM_WriteBmp(benchmark::State& state) {
    EnsureGuiApplication();
    TScreen screen(Experiment(1000000));
    screen.d.Redraw();
    const std::string name = Environment().Folder() + "plot.bmp";
    for (auto _ : state)
        screen.canvas.SaveToBmpFile(name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_WriteBmp)->Unit(benchmark::kMillisecond);

static void BM_WriteTiff(benchmark::State& state) {
    EnsureGuiApplication();
    TScreen screen(Experiment(1000000));
    screen.d.Redraw();
    const std::string name = Environment().Folder() + "plot.tif";
    for (auto _ : state)
        screen.canvas.SaveToTiffFile(name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_WriteTiff)->Unit(benchmark::kMillisecond);

// Every item of the record as text: building the table and writing the file.
static void BM_ExportText(benchmark::State& state) {
    TDataClass& d = Experiment(static_cast<size_t>(state.range(0)));
    TTxtFileExport e(d, Environment().Folder() + "curve.txt", false);
    e.options.decimation = false;
    for (auto _ : state) {
        e.BuildTable();
        e.SaveToFile();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * e.PointCount());
}
BENCHMARK(BM_ExportText)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
