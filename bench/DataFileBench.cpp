// Loading (with calibration of every sample) and saving experiment files.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "data/DataClass.h"

namespace kalvero::bench {

// The same 20-point table the numpy peer interpolates through (bench/peers/peers.py):
// 20 points evenly over 0 ... 2^24 counts, 0.0001 degree per count above 20 degrees.
class TTwentyPointTable {
public:
    TTwentyPointTable() : fTable(0, 1 << 24) {
        for (int k = 0; k < 20; ++k) {
            const double counts = (1 << 24) * k / 19.0;
            fTable.AddTempRefPoint(static_cast<int32_t>(counts), static_cast<float>(counts * 0.0001 + 20.0),
                                   "");
        }
        fTable.Calc();
        fPrevious = gTempCalibrationTable;
        gTempCalibrationTable = &fTable;
    }
    ~TTwentyPointTable() { gTempCalibrationTable = fPrevious; }

private:
    TTempCalibrationTable fTable;
    TTempCalibrationTable* fPrevious = nullptr;
};

static void BM_LoadAndCalibrate(benchmark::State& state) {
    const size_t items = static_cast<size_t>(state.range(0));
    const std::string file = ExperimentFile(items);
    TTwentyPointTable table;
    TDataClass d;
    for (auto _ : state) {
        d.LoadFromFile(file, ftDSC, 0);
        benchmark::DoNotOptimize(d.items[items / 2][0].tc);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * items));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * items * 8));
}
// Warmed up like the peer's best of a few runs: the very first 160 MB a fresh system hands out
// can cost five times a load (memory compaction for the huge pages), once per boot, not per load.
BENCHMARK(BM_LoadAndCalibrate)
    ->Arg(1000000)
    ->Arg(10000000)
    ->MinWarmUpTime(0.3)
    ->Unit(benchmark::kMillisecond);

static void BM_Save(benchmark::State& state) {
    const size_t items = static_cast<size_t>(state.range(0));
    const std::string file = ExperimentFile(items);  // sets up the settings an experiment needs
    TDataClass d;
    d.LoadFromFile(file, ftDSC, 0);
    const std::string out = Environment().Folder() + "saved.dsc";
    for (auto _ : state)
        d.SaveToFile(out, false);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * items));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * items * 8));
}
BENCHMARK(BM_Save)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
