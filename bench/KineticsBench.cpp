// The Kinetics plug-in's whole evaluation: five runs of a first-order reaction (150 kJ/mol,
// A = 1e12 1/s) at 2, 5, 10, 20 and 40 K/min from 300 to 700 K, every method at the 19 levels of
// α and Kissinger's peak fit. The runs are saved as kinetics<N>-<i>.f64 (rows of time,
// temperature, conversion and rate as little-endian doubles) with their heating rates in
// kinetics<N>.rates, where bench/compare's peer reads them.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Isoconversional.h"

namespace kalvero::bench {
namespace {

constexpr double kEnergy = 150e3, kPreExponential = 1e12;
constexpr double kFrom = 300, kTo = 700;
const std::vector<double> kRates{2, 5, 10, 20, 40};

// dα/dt of the first order at temperature aT.
double Rate(double aT, double aAlpha) {
    return kPreExponential * std::exp(-kEnergy / (kinetics::GAS_CONSTANT * aT)) * (1 - aAlpha);
}

// Classic Runge–Kutta over the samples; a step is under half a kelvin's thousandth.
kinetics::RKineticRun Simulate(double aBeta, size_t aCount) {
    kinetics::RKineticRun run;
    run.heatingRate = aBeta;
    const double beta = aBeta / 60, step = (kTo - kFrom) / beta / static_cast<double>(aCount - 1);
    double alpha = 0;
    for (size_t i = 0; i < aCount; ++i) {
        const double t = step * static_cast<double>(i), T = kFrom + beta * t;
        run.time.push_back(t);
        run.temperature.push_back(T);
        run.conversion.push_back(alpha);
        run.rate.push_back(Rate(T, alpha));
        const double k1 = Rate(T, alpha), k2 = Rate(T + beta * step / 2, alpha + step / 2 * k1);
        const double k3 = Rate(T + beta * step / 2, alpha + step / 2 * k2),
                     k4 = Rate(T + beta * step, alpha + step * k3);
        alpha += step / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    }
    return run;
}

void Save(const std::vector<kinetics::RKineticRun>& aRuns, size_t aCount) {
    const std::string stem = Environment().Folder() + "kinetics" + std::to_string(aCount);
    std::ofstream rates(stem + ".rates");
    for (size_t r = 0; r < aRuns.size(); ++r) {
        rates << aRuns[r].heatingRate << "\n";
        std::vector<double> rows;
        rows.reserve(aCount * 4);
        for (size_t i = 0; i < aCount; ++i) {
            for (const auto* v :
                 {&aRuns[r].time, &aRuns[r].temperature, &aRuns[r].conversion, &aRuns[r].rate})
                rows.push_back((*v)[i]);
        }
        std::ofstream out(stem + "-" + std::to_string(r) + ".f64", std::ios::binary);
        out.write(reinterpret_cast<const char*>(rows.data()),
                  static_cast<std::streamsize>(rows.size() * sizeof(double)));
    }
}

// The runs of aCount samples each, made and saved once per length.
const std::vector<kinetics::RKineticRun>& Runs(size_t aCount) {
    static std::map<size_t, std::vector<kinetics::RKineticRun>> made;
    auto& runs = made[aCount];
    if (!runs.empty()) return runs;
    for (double beta : kRates)
        runs.push_back(Simulate(beta, aCount));
    Save(runs, aCount);
    return runs;
}

}  // namespace

static void BM_KineticsAllMethods(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    const auto& runs = Runs(n);
    kinetics::RKineticsResult result;
    for (auto _ : state) {
        result = kinetics::AnalyseKinetics(runs);
        benchmark::DoNotOptimize(result.methods.back().levels.back().energy);
    }
    // A wrong answer would make the time meaningless.
    for (const auto& m : result.methods) {
        for (const auto& e : m.levels) {
            if (!(std::fabs(e.energy - 150) < 3)) state.SkipWithError("an activation energy is off");
        }
    }
    state.counters["levels"] = static_cast<double>(result.conversions.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n * runs.size()));
}
BENCHMARK(BM_KineticsAllMethods)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
