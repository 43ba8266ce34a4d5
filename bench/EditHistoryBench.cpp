// The editing history on a record of 10⁷ items (a temperature ramp and a noisy dT, 10 items a
// second): undoing and redoing one edit (smoothing a hundredth of it, cutting a hundredth out,
// a derivative made into a channel), and what 100 smoothings of a hundredth each cost in history
// bytes (counter historyMB) and in time with their capture.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "BenchSupport.h"
#include "data/DataClass.h"
#include "data/EditHistory.h"
#include "processing/RangeEdits.h"

namespace kalvero::bench {
namespace {

constexpr int kItems = 10000000;

std::unique_ptr<TDataClass> Record() {
    Environment().Config().frequency = 10;
    auto d = std::make_unique<TDataClass>();
    d->SetItemsLength(kItems, true);
    std::mt19937 random(3);
    std::uniform_int_distribution<int> noise(-20, 20);
    for (int i = 0; i < kItems; ++i)
        d->items[i][0] = TItem{1000 + i / 1000, 2000 + noise(random), 0, 0};
    d->FillTempValues();
    d->mode = vm_view_dT_by_time;
    d->workItems.Zero();
    d->fHistory.Clear();
    return d;
}

// The edits measured: 0 smoothing of a hundredth, 1 cutting a hundredth out, 2 a first derivative
// as a new channel (the whole channel kept).
void MakeEdit(TDataClass& d, int aKind) {
    const int from = kItems / 2, to = kItems / 2 + kItems / 100;
    RecordEdit(d.fHistory, d, "edit", [&] {
        if (aKind == 0) SmoothRange(d, TSmoothKind::skAverage, from, to, false, nullptr);
        if (aKind == 1) d.CutData(from, to);
        if (aKind == 2) AddFirstDerivativeChannel(d, from, to);
    });
}

// Times Undo (aUndo) or Redo of the edit; the other direction runs outside the timing.
void RunUndoRedo(benchmark::State& state, bool aUndo) {
    auto d = Record();
    MakeEdit(*d, static_cast<int>(state.range(0)));
    if (!aUndo) d->fHistory.Undo(*d);
    for (auto _ : state) {
        aUndo ? d->fHistory.Undo(*d) : d->fHistory.Redo(*d);
        benchmark::DoNotOptimize(d->items[kItems / 2][0].dt);
        state.PauseTiming();
        aUndo ? d->fHistory.Redo(*d) : d->fHistory.Undo(*d);
        state.ResumeTiming();
    }
    state.counters["stepMB"] = static_cast<double>(d->fHistory.StepBytes(0)) / (1 << 20);
}

}  // namespace

static void BM_UndoEdit(benchmark::State& state) {
    RunUndoRedo(state, true);
}
BENCHMARK(BM_UndoEdit)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

static void BM_RedoEdit(benchmark::State& state) {
    RunUndoRedo(state, false);
}
BENCHMARK(BM_RedoEdit)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// 100 smoothings of a hundredth each, spread over the record, every one a step of the history.
static void BM_HundredSmoothingsInHistory(benchmark::State& state) {
    auto d = Record();
    for (auto _ : state) {
        state.PauseTiming();
        d->fHistory.Clear();
        state.ResumeTiming();
        for (int k = 0; k < 100; ++k) {
            const int from = static_cast<int>((static_cast<int64_t>(k) * 97 % 100) * (kItems / 100));
            RecordEdit(d->fHistory, *d, "Сглаживание", [&] {
                SmoothRange(*d, TSmoothKind::skAverage, from, from + kItems / 100, false, nullptr);
            });
        }
    }
    state.counters["steps"] = static_cast<double>(d->fHistory.StepCount());
    state.counters["historyMB"] = static_cast<double>(d->fHistory.Bytes()) / (1 << 20);
}
BENCHMARK(BM_HundredSmoothingsInHistory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
