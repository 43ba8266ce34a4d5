// The specific heat capacity by the sapphire ratio method on three runs of N samples each (blank,
// sapphire, sample: 5 min isotherm, 20 min at 10 K/min, 5 min isotherm, the cell's lag, offsets,
// drifts and noise), with the table at ten temperatures (target: under 100 ms at 10^6). The runs are
// saved as cp<N>-<k>.f64 (rows of time, temperature and heat flow as little-endian doubles, k = 0
// blank, 1 sapphire, 2 sample) with the masses in cp<N>.masses and the sapphire's table as
// cpSapphire.f64 (rows of K and J/(g·K)), where bench/compare's peer reads them.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <vector>

#include "BenchSupport.h"
#include "evaluation/HeatCapacity.h"
#include "evaluation/ReferenceCp.h"

namespace kalvero::bench {
namespace {

using namespace kalvero::evaluation;

struct TRun {
    std::vector<double> t, T, y;
    double mass = 0;
};

double SampleCp(double T) {
    return 1.30 + 3.0e-3 * (T - 100) + 4.0e-6 * (T - 100) * (T - 100);
}

// aMass mg of a material of cp aCp on holders of asymmetry −0.4 mJ/K, lag 8 s.
template <typename Cp>
TRun Simulate(size_t aCount, double aMass, Cp aCp, double aOffset, double aDrift, unsigned aSeed) {
    TRun r;
    r.mass = aMass;
    const double duration = 1800, step = duration / static_cast<double>(aCount - 1);
    std::mt19937 random(aSeed);
    std::normal_distribution<double> noise(0, 1e-3);
    const double decay = std::exp(-step / 8);
    double lagged = 0;
    r.t.resize(aCount), r.T.resize(aCount), r.y.resize(aCount);
    for (size_t i = 0; i < aCount; ++i) {
        const double t = static_cast<double>(i) * step;
        const double rate = t > 300 && t <= 1500 ? 10.0 / 60 : 0.0;
        lagged = rate + (lagged - rate) * decay;
        const double T = 30 + std::clamp(t - 300, 0.0, 1200.0) / 6;
        r.t[i] = t, r.T[i] = T;
        r.y[i] = aOffset + aDrift * t + (-0.4 + aMass * aCp(T)) * lagged + noise(random);
    }
    return r;
}

const TReferenceCp& Sapphire() {
    static const TReferenceCp table = LoadReferenceCp(Environment().Folder() + "data");
    return table;
}

void Save(const std::vector<TRun>& aRuns, size_t aCount) {
    const std::string stem = Environment().Folder() + "cp" + std::to_string(aCount);
    std::ofstream masses(stem + ".masses");
    for (size_t k = 0; k < aRuns.size(); ++k) {
        masses << aRuns[k].mass << "\n";
        std::vector<double> rows;
        rows.reserve(aCount * 3);
        for (size_t i = 0; i < aCount; ++i)
            rows.insert(rows.end(), {aRuns[k].t[i], aRuns[k].T[i], aRuns[k].y[i]});
        std::ofstream out(stem + "-" + std::to_string(k) + ".f64", std::ios::binary);
        out.write(reinterpret_cast<const char*>(rows.data()), static_cast<std::streamsize>(rows.size() * 8));
    }
    std::vector<double> table;
    for (size_t i = 0; i < Sapphire().kelvin.size(); ++i)
        table.insert(table.end(), {Sapphire().kelvin[i], Sapphire().cp[i]});
    std::ofstream out(Environment().Folder() + "cpSapphire.f64", std::ios::binary);
    out.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size() * 8));
}

const std::vector<TRun>& Runs(size_t aCount) {
    static std::map<size_t, std::vector<TRun>> made;
    auto& runs = made[aCount];
    if (!runs.empty()) return runs;
    runs.push_back(Simulate(aCount, 0, SampleCp, 0.1, 2.5e-5, 3));
    runs.push_back(Simulate(
        aCount, 25, [](double T) { return Sapphire().AtCelsius(T); }, -0.2, -6e-5, 2));
    runs.push_back(Simulate(aCount, 10, SampleCp, 0.35, 4e-5, 1));
    Save(runs, aCount);
    return runs;
}

TCpRun RunOf(const TRun& r, const char* aName) {
    TCpRun run;
    run.curve = {r.t, r.T, r.y};
    run.mass = r.mass > 0 ? r.mass : NAN;
    run.name = aName;
    return run;
}

}  // namespace

static void BM_HeatCapacity(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    const auto& runs = Runs(n);
    const TCpRun blank = RunOf(runs[0], "холостой опыт"), sapphire = RunOf(runs[1], "эталон"),
                 sample = RunOf(runs[2], "образец");
    TCpOptions options;
    for (double T = 60; T <= 200; T += 15)
        options.at.push_back(T);
    RHeatCapacity result;
    for (auto _ : state) {
        result = RatioHeatCapacity(sample, sapphire, &blank, Sapphire(), options);
        benchmark::DoNotOptimize(result.cp.data());
    }
    // A wrong answer would make the time meaningless.
    for (const RCpPoint& p : result.table)
        if (!(std::fabs(p.cp / SampleCp(p.temperature) - 1) < 0.005)) state.SkipWithError("cp is off");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n * 3));
}
// At 10^6 only: three runs of 10^7 hold 720 MB before the peer reads them again.
BENCHMARK(BM_HeatCapacity)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace kalvero::bench
