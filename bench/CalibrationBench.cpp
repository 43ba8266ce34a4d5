// Calibration of recorded samples: every sample's temperature counts through a 20-point
// temperature table and its dT counts through a polynomial dT table at that temperature, over a
// contiguous array of {t, dt, tc, dtc} records, the way an experiment refills its values. The
// readings are kept as calib<N>.i32 (t, dt pairs) in the benchmark folder for bench/compare.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/TempCalibration.h"

namespace kalvero::bench {
namespace {

struct RSample {
    int32_t t, dt;
    float tc, dtc;
};

constexpr int32_t COUNT_RANGE = 1 << 20;

struct RTables {
    std::unique_ptr<TTempCalibrationTable> temp;
    std::unique_ptr<TDiffTempCalibrationTable> diff;
};

// 20 points from −150 to 1500 degrees with a slight bend; a dT table over that range built by
// Lagrange through five points.
RTables MakeTables() {
    RTables t;
    t.temp = std::make_unique<TTempCalibrationTable>(0, COUNT_RANGE);
    for (int i = 0; i < 20; ++i) {
        const double x = i / 19.0;
        t.temp->AddTempRefPoint(static_cast<int32_t>(x * COUNT_RANGE),
                                static_cast<float>(-150 + 1650 * x + 40 * x * x), "");
    }
    t.temp->Calc();
    t.diff = std::make_unique<TDiffTempCalibrationTable>(t.temp->begRealValue, t.temp->endRealValue);
    const int temps[] = {0, 150, 400, 700, 1100};
    const int heights[] = {420, 400, 360, 300, 250};
    for (int i = 0; i < 5; ++i)
        t.diff->AddDiffTempRefPoint(temps[i], 2.0f, heights[i], "");
    t.diff->SetInterpolationType(itPolynomial);
    t.diff->Calc();
    return t;
}

// A heating run: temperature counts rising through the whole range with noise, dT counts around
// a peak.
std::vector<RSample> MakeSamples(size_t aCount) {
    std::vector<RSample> s(aCount);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 40);
    for (size_t i = 0; i < aCount; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(aCount);
        s[i].t = static_cast<int32_t>(x * COUNT_RANGE + noise(rng));
        s[i].dt = static_cast<int32_t>(2000 * std::exp(-std::pow((x - 0.5) * 30, 2)) + noise(rng));
    }
    std::ofstream out(Environment().Folder() + "calib" + std::to_string(aCount) + ".i32", std::ios::binary);
    for (const RSample& r : s)
        out.write(reinterpret_cast<const char*>(&r.t), 2 * sizeof(int32_t));
    return s;
}

// Kept in a global so that the compiler cannot see which tables it calls.
TCalibrationTable* volatile gBenchTemp = nullptr;
TCalibrationTable* volatile gBenchDiff = nullptr;

void BM_FillTempValues(benchmark::State& state) {
    static const RTables tables = MakeTables();
    static std::map<size_t, std::vector<RSample>> made;
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<RSample>& samples = made[count];
    if (samples.empty()) samples = MakeSamples(count);
    gBenchTemp = tables.temp.get();
    gBenchDiff = tables.diff.get();
    for (auto _ : state) {
        TCalibrationTable* temp = gBenchTemp;
        TCalibrationTable* diff = gBenchDiff;
        for (RSample& s : samples) {
            s.tc = temp->GetRealValue(s.t);
            s.dtc = diff->GetRealValue(s.dt, s.tc);
        }
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
    state.counters["Msamples/s"] = benchmark::Counter(static_cast<double>(count) * state.iterations() / 1e6,
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillTempValues)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvero::bench
