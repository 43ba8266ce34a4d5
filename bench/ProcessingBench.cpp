// Smoothing, the derivative pass, peak detection end to end and the integration of every peak on
// a synthetic record: a constant base of 2000 counts, 100 Gaussian peaks (height 3000, σ 200
// items) evenly spread, uniform noise of ±2 counts, 10 items per second. The same record is
// saved as peaks<N>.dsc in the benchmark folder, where bench/compare's peers read it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "data/DataClass.h"
#include "processing/MathUtils.h"
#include "processing/PeakUtils.h"

namespace kalvero::bench {
namespace {

constexpr int kPeaks = 100;
constexpr double kBase = 2000, kHeight = 3000, kSigma = 200;

// The synthetic experiment of aItems items, made once per length.
TDataClass& Record(size_t aItems) {
    static std::map<size_t, std::unique_ptr<TDataClass>> records;
    auto& d = records[aItems];
    if (d) return *d;
    Environment().Config().frequency = 10;
    d = std::make_unique<TDataClass>();
    d->SetItemsLength(static_cast<int>(aItems), true);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> noise(-2, 2);
    const double spacing = static_cast<double>(aItems) / kPeaks;
    for (size_t i = 0; i < aItems; ++i) {
        // Only the nearest peak matters: the others are thousands of σ away.
        const double k = std::floor(static_cast<double>(i) / spacing);
        const double x = (static_cast<double>(i) - (k + 0.5) * spacing) / kSigma;
        d->items[i][0].dt =
            static_cast<int32_t>(std::lround(kBase + kHeight * std::exp(-0.5 * x * x))) + noise(random);
        d->items[i][0].t = 1000 + static_cast<int32_t>(i / 1000);
    }
    d->FillTempValues();
    // The peers of bench/compare read this very record.
    d->SaveToFile(Environment().Folder() + "peaks" + std::to_string(aItems) + ".dsc", false);
    d->mode = vm_view_dT_by_time;
    // The work channels come lazily mapped from the allocator; the first pass over them would
    // pay the page faults of 64 bytes per item once. Benchmarks measure the steady state.
    d->workItems.Zero();
    return *d;
}

void SetCounters(benchmark::State& state, size_t aItems) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * aItems));
}

// The record is restored outside the timing: every run smooths the same noisy curve.
template <typename Smooth>
void RunSmoothing(benchmark::State& state, Smooth aSmooth) {
    const auto n = static_cast<size_t>(state.range(0));
    TDataClass& d = Record(n);
    const TItemArray original = d.items;
    for (auto _ : state) {
        aSmooth(d, static_cast<int>(n));
        benchmark::DoNotOptimize(d.items[n / 2][0].dt);
        state.PauseTiming();
        d.items = original;
        state.ResumeTiming();
    }
    SetCounters(state, n);
}

}  // namespace

static void BM_AverageSmooth(benchmark::State& state) {
    const TAppConfig& c = Environment().Config();
    RunSmoothing(state, [&](TDataClass& d, int n) {
        AverageSmooth(d.items, 0, 0, n - 1, c.smoothDotCount, c.smoothDotStep, c.smoothStep, false);
    });
}
BENCHMARK(BM_AverageSmooth)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// As the data window does it: channel 0 copied to work channel 0, which the median reads.
static void BM_MedianSmooth(benchmark::State& state) {
    const TAppConfig& c = Environment().Config();
    RunSmoothing(state, [&](TDataClass& d, int n) {
        d.CopyToWorkChannel(0, WORKCHANNEL_BASE_CURVE);
        MedianSmooth(d.items, 0, d.workItems, WORKCHANNEL_BASE_CURVE, 0, n - 1, c.smoothDotCount,
                     c.smoothDotStep, c.smoothStep, false);
    });
}
BENCHMARK(BM_MedianSmooth)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

static void BM_BezieSmooth(benchmark::State& state) {
    const TAppConfig& c = Environment().Config();
    RunSmoothing(state, [&](TDataClass& d, int n) {
        BezieSmooth(d.items, 0, 0, n - 1, false, c.bezieSmoothPower, c.smoothStep);
    });
}
BENCHMARK(BM_BezieSmooth)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The seven-point derivative of the whole curve into a work channel.
static void BM_DerivativePass(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    TDataClass& d = Record(n);
    for (auto _ : state) {
        DerivatRange(d.items, 0, d.workItems, WORKCHANNEL_FIRST_DERIVATIVE, 0, static_cast<int>(n) - 1,
                     d.frequency / 5, false);
        benchmark::DoNotOptimize(d.workItems[n / 2][WORKCHANNEL_FIRST_DERIVATIVE].dt);
    }
    SetCounters(state, n);
}
BENCHMARK(BM_DerivativePass)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// Work channels, base line, the scan and the construction of all 100 peaks.
static void BM_DetectPeaks(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    TDataClass& d = Record(n);
    TPeakUtils utils(d, Environment().Config(), nullptr, nullptr);
    for (auto _ : state) {
        d.ClearObjects();
        utils.DetectPeaks(0, static_cast<int>(n) - 1);
    }
    if (d.peaks.GetItemCount() != kPeaks) state.SkipWithError("the detection did not find the 100 peaks");
    state.counters["peaks"] = d.peaks.GetItemCount();
    SetCounters(state, n);
}
BENCHMARK(BM_DetectPeaks)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

static void BM_IntegrateAllPeaks(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    TDataClass& d = Record(n);
    TPeakUtils utils(d, Environment().Config(), nullptr, nullptr);
    d.ClearObjects();
    utils.DetectPeaks(0, static_cast<int>(n) - 1);
    for (auto _ : state)
        utils.CalcPeaks();
    state.counters["peaks"] = d.peaks.GetItemCount();
}
BENCHMARK(BM_IntegrateAllPeaks)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
