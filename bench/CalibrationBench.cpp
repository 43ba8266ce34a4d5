// Calibration of recorded samples: every sample's temperature counts through a 20-point
// temperature table and its dT counts through a polynomial dT table at that temperature, over a
// contiguous array of {t, dt, tc, dtc} records, the way an experiment refills its values.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "calibration/DiffTempCalibration.h"
#include "calibration/TempCalibration.h"

namespace kalvero::bench {
namespace {

struct RSample {
    int32_t t, dt;
    float tc, dtc;
};

constexpr size_t SAMPLES = 10'000'000;
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
std::vector<RSample> MakeSamples() {
    std::vector<RSample> s(SAMPLES);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 40);
    for (size_t i = 0; i < SAMPLES; ++i) {
        const double x = static_cast<double>(i) / SAMPLES;
        s[i].t = static_cast<int32_t>(x * COUNT_RANGE + noise(rng));
        s[i].dt = static_cast<int32_t>(2000 * std::exp(-std::pow((x - 0.5) * 30, 2)) + noise(rng));
    }
    return s;
}

// Kept in a global so that the compiler cannot see which tables it calls.
TCalibrationTable* volatile gBenchTemp = nullptr;
TCalibrationTable* volatile gBenchDiff = nullptr;

void BM_FillTempValues(benchmark::State& state) {
    static const RTables tables = MakeTables();
    static std::vector<RSample> samples = MakeSamples();
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
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * SAMPLES));
    state.counters["Msamples/s"] = benchmark::Counter(static_cast<double>(SAMPLES) * state.iterations() / 1e6,
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillTempValues)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
}  // namespace kalvero::bench
