// Loading (with calibration of every sample) and saving experiment files.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "data/DataClass.h"

namespace kalvero::bench {

static void BM_LoadAndCalibrate(benchmark::State& state) {
    const size_t items = static_cast<size_t>(state.range(0));
    const std::string file = ExperimentFile(items);
    TDataClass d;
    for (auto _ : state) {
        d.LoadFromFile(file, ftDSC, 0);
        benchmark::DoNotOptimize(d.items[items / 2][0].tc);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * items));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * items * 8));
}
BENCHMARK(BM_LoadAndCalibrate)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

static void BM_Save(benchmark::State& state) {
    const size_t items = static_cast<size_t>(state.range(0));
    TDataClass d;
    d.LoadFromFile(ExperimentFile(items), ftDSC, 0);
    const std::string out = Environment().Folder() + "saved.dsc";
    for (auto _ : state)
        d.SaveToFile(out, false);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * items));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * items * 8));
}
BENCHMARK(BM_Save)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
