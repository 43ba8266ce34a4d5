// The standards' evaluations on long synthetic records: the glass transition construction over a
// logistic step and a sigmoidal base line under a Gaussian on a step of the level, each on 10^7
// samples with noise (targets: under 50 ms), and the purity by van't Hoff on a melting peak
// (target: under 10 ms).

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "evaluation/BaseLines.h"
#include "evaluation/GlassTransition.h"
#include "evaluation/Purity.h"

namespace kalvero::bench {
namespace {

using evaluation::TCurve;
using evaluation::TItemRange;

struct TSynthetic {
    std::vector<double> t, T, y;
    TCurve Curve() const { return {t, T, y}; }
};

// aCount samples 0.01 s apart heated at 10 K/min; the signal aSignal(x) of x = 0 … 1 along the
// record, with Gaussian noise of aNoise.
template <typename Signal>
TSynthetic Make(size_t aCount, double aNoise, Signal aSignal) {
    TSynthetic s;
    s.t.resize(aCount);
    s.T.resize(aCount);
    s.y.resize(aCount);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, aNoise);
    for (size_t i = 0; i < aCount; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(aCount - 1);
        s.t[i] = 0.01 * static_cast<double>(i);
        s.T[i] = 20 + s.t[i] / 6;
        s.y[i] = aSignal(x) + noise(random);
    }
    return s;
}

const TSynthetic& Made(std::map<size_t, TSynthetic>& aMade, size_t aCount, TSynthetic (*aMake)(size_t)) {
    auto found = aMade.find(aCount);
    if (found == aMade.end()) found = aMade.emplace(aCount, aMake(aCount)).first;
    return found->second;
}

// A step of 0.5 mW (scale 1/60 of the record) in the middle, on a sloped base.
TSynthetic StepRecord(size_t aCount) {
    return Make(aCount, 0.002, [](double x) { return 1 + 0.2 * x + 0.5 / (1 + std::exp(-(x - 0.5) * 60)); });
}

// A Gaussian of 2 mW (σ 1/40 of the record) at 0.4 on a step of 0.6 mW shaped like its integral.
TSynthetic PeakRecord(size_t aCount) {
    return Make(aCount, 0.002, [](double x) {
        const double u = (x - 0.4) * 40;
        return 1 + 0.6 * 0.5 * std::erfc(-u / std::sqrt(2.0)) + 2 * std::exp(-0.5 * u * u);
    });
}

void SetCounters(benchmark::State& state, size_t aCount) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * aCount));
}

void BM_GlassTransition(benchmark::State& state) {
    static std::map<size_t, TSynthetic> made;
    const auto count = static_cast<size_t>(state.range(0));
    const TSynthetic& s = Made(made, count, StepRecord);
    for (auto _ : state) {
        const evaluation::RGlassTransition g = evaluation::EvaluateGlassTransition(s.Curve(), {0, count - 1});
        benchmark::DoNotOptimize(g.midpoint.temperature);
    }
    SetCounters(state, count);
}
BENCHMARK(BM_GlassTransition)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// With aAgain each run computes into the same result, as while a margin is dragged; without it
// each run returns a fresh base line, its memory new to the process (page faults included).
void RunSigmoidal(benchmark::State& state, bool aAgain) {
    static std::map<size_t, TSynthetic> made;
    const auto count = static_cast<size_t>(state.range(0));
    const TSynthetic& s = Made(made, count, PeakRecord);
    evaluation::TBaseLineOptions options;
    options.type = evaluation::EBaseLine::Sigmoidal;
    options.marginItems = 100;
    evaluation::RBaseLine kept;
    for (auto _ : state) {
        if (aAgain) {
            evaluation::ComputeBaseLine(s.Curve(), {0, count - 1}, options, kept);
            benchmark::DoNotOptimize(kept.values.data());
        } else {
            const evaluation::RBaseLine b = evaluation::ComputeBaseLine(s.Curve(), {0, count - 1}, options);
            benchmark::DoNotOptimize(b.values.data());
        }
    }
    state.counters["iterations"] = evaluation::ComputeBaseLine(s.Curve(), {0, count - 1}, options).iterations;
    SetCounters(state, count);
}

void BM_SigmoidalBaseLine(benchmark::State& state) {
    RunSigmoidal(state, false);
}
BENCHMARK(BM_SigmoidalBaseLine)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void BM_SigmoidalBaseLineAgain(benchmark::State& state) {
    RunSigmoidal(state, true);
}
BENCHMARK(BM_SigmoidalBaseLineAgain)->Arg(10000000)->Unit(benchmark::kMillisecond);

// A van't Hoff melting (0.5 mol %, T0 = 150 °C, 25 kJ/mol, 3 mg of 200 g/mol at 0.5 K/min) read
// without thermal lag: the heat flow Q·β·dF/dT with F = K / (T0 − T), from 25 K below T0 until
// the melt is complete, then the sample's heat capacity alone.
TSynthetic MeltingRecord(size_t aCount) {
    const double t0 = 150,
                 k = evaluation::GAS_CONSTANT * std::pow(t0 + evaluation::KELVIN_OFFSET, 2) * 0.005 / 25000;
    const double heat = 3 * 25000 / 200.0, rate = 0.5 / 60;  // mJ, K/s
    TSynthetic s;
    const double span = 29 / rate;  // s
    for (size_t i = 0; i < aCount; ++i) {
        const double t = span * static_cast<double>(i) / static_cast<double>(aCount - 1);
        const double T = t0 - 25 + rate * t;
        s.t.push_back(t);
        s.T.push_back(T);
        s.y.push_back(0.045 + (T < t0 - k ? heat * rate * k / ((t0 - T) * (t0 - T)) : 0.0));
    }
    return s;
}

void BM_Purity(benchmark::State& state) {
    static std::map<size_t, TSynthetic> made;
    const auto count = static_cast<size_t>(state.range(0));
    const TSynthetic& s = Made(made, count, MeltingRecord);
    const TItemRange range{0, count - 1};
    const std::vector<double> base = evaluation::ComputeBaseLine(s.Curve(), range).values;
    for (auto _ : state) {
        const evaluation::RPurity p = evaluation::EvaluatePurity(s.Curve(), range, base, 3, 200);
        benchmark::DoNotOptimize(p.impurity);
    }
    // The answer beside the time: 0.5 mol % went in.
    state.counters["impurity_mol_pct"] = evaluation::EvaluatePurity(s.Curve(), range, base, 3, 200).impurity;
    SetCounters(state, count);
}
BENCHMARK(BM_Purity)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvero::bench
