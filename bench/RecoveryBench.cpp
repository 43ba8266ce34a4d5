// The recovery file of a run: what the draw timer's copy of the new samples costs while it holds
// the items' read lock (the only time the acquisition thread could wait for it), and the write
// with its flush, which happens outside the lock.

#include <benchmark/benchmark.h>

#include <memory>

#include "BenchSupport.h"
#include "data/DataClass.h"
#include "data/RunRecovery.h"

namespace kalvero::bench {
namespace {

// One draw tick of the fastest 24-bit run: 80 items of two data channels (800 Hz, 100 ms).
constexpr uint32_t kTickItems = 80;

void BM_RecoveryTakeOneTick(benchmark::State& state) {
    Environment();
    TDataClass d;
    d.SetNumChannels(2);
    d.SetItemsLength(1'000'000, true);
    d.fFirstScanChannelNo = 0, d.fLastScanChannelNo = 1;
    auto recovery = std::make_unique<TRunRecovery>(Environment().Folder() + "rec", d, false);
    uint32_t taken = 0;
    for (auto _ : state) {
        taken += kTickItems;
        if (taken >= 1'000'000) {
            state.PauseTiming();
            recovery->Write(false);
            recovery = std::make_unique<TRunRecovery>(Environment().Folder() + "rec", d, false);
            taken = kTickItems;
            state.ResumeTiming();
        }
        recovery->Take(d, taken);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTickItems);
    recovery->Finish();
    DiscardRecovery(&d);
}
BENCHMARK(BM_RecoveryTakeOneTick)->Unit(benchmark::kNanosecond);

// The write of five seconds of that run (50 ticks), made durable, as one flush does it.
void BM_RecoveryFlushFiveSeconds(benchmark::State& state) {
    Environment();
    TDataClass d;
    d.SetNumChannels(2);
    d.SetItemsLength(4'000'000, true);
    d.fFirstScanChannelNo = 0, d.fLastScanChannelNo = 1;
    TRunRecovery recovery(Environment().Folder() + "rec", d, false);
    uint32_t taken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        taken = std::min<uint32_t>(taken + 50 * kTickItems, 4'000'000);
        recovery.Take(d, taken);
        state.ResumeTiming();
        recovery.Write(true);
    }
    recovery.Finish();
    DiscardRecovery(&d);
}
BENCHMARK(BM_RecoveryFlushFiveSeconds)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvero::bench
