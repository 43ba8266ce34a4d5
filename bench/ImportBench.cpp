// Importing a text export of another instrument: a comma-separated file of time, temperature and
// heat flow (bench/BenchSupport.h ImportCsvFile) read into a run, units and order checked. The
// peer of bench/compare reads the same file with pandas.read_csv.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "import/ImportedRun.h"

namespace kalvero::bench {

static void BM_ImportCsv(benchmark::State& state) {
    const size_t rows = static_cast<size_t>(state.range(0));
    const std::string file = ImportCsvFile(rows);
    for (auto _ : state) {
        const TImportedRun run = ImportForeignFile(file);
        if (run.rowsRead != rows) state.SkipWithError("rows lost");
        benchmark::DoNotOptimize(run.signal.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * rows));
}
BENCHMARK(BM_ImportCsv)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
