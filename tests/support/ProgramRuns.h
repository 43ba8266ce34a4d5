#pragma once
// Runs of a temperature program made from a model of the cell: segments of constant rate (an
// isotherm is rate 0), and a heat flow that follows the rate through the cell's first-order lag:
//
//     q(t) = offset + drift·t + (cell + m·cp(T))·r(t) + effect(t, T) + noise,
//
// r the lagged heating rate in K/s, cell the empty holders' asymmetry (mJ/K), m the specimen's
// mass (mg) and cp its specific heat capacity (J/(g·K)). Every heat-capacity answer is known from
// cp; a heat–cool–heat program shows the segments the splitting must find.

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"

namespace kalvero::test {

// The polynomial the heat-capacity standards give for synthetic sapphire, at a temperature in °C
// (100 K … 1200 K).
inline double SapphireCp(double aCelsius) {
    static const double a[] = {1.12705, 0.23260, -0.21704, 0.26410,  -0.23778, -0.10023,
                               0.15393, 0.54579, -0.47824, -0.37623, 0.34407};
    const double x = (aCelsius + 273.15 - 650) / 550;
    double cp = 0, p = 1;
    for (double c : a) {
        cp += c * p;
        p *= x;
    }
    return cp;
}

// A sample's cp that grows and bends over the heating, J/(g·K).
inline double ModelSampleCp(double aCelsius) {
    const double d = aCelsius - 100;
    return 1.30 + 3.0e-3 * d + 4.0e-6 * d * d;
}

struct TProgramRun {
    double startTemp = 30;                                                            // °C
    std::vector<std::pair<double, double>> segments{{0, 300}, {10, 1200}, {0, 300}};  // K/min, s
    double step = 0.5;                                                                // s
    double mass = 10;                                                                 // mg; 0: empty holders
    std::function<double(double)> cp = ModelSampleCp;
    double cell = -0.4;            // mJ/K
    double offset = 0, drift = 0;  // mW, mW/s
    double lag = 8;                // s
    double noise = 0;              // mW, standard deviation
    unsigned seed = 1;
    bool perMass = false, endoUp = true;
    std::function<double(double, double)> effect;  // extra heat flow (t s, T °C) → mW

    double Duration() const {
        double d = 0;
        for (const auto& s : segments)
            d += s.second;
        return d;
    }

    TPhysicalRun Run() const {
        TPhysicalRun r;
        std::mt19937 random(seed);
        std::normal_distribution<double> gauss(0, noise > 0 ? noise : 1);
        const size_t n = static_cast<size_t>(std::llround(Duration() / step)) + 1;
        double T = startTemp, lagged = 0, segmentEnd = segments.front().second;
        size_t segment = 0;
        const double decay = std::exp(-step / lag);
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) * step;
            while (segment + 1 < segments.size() && t > segmentEnd + 1e-9)
                segmentEnd += segments[++segment].second;
            const double rate = segments[segment].first / 60;
            if (i > 0) {
                T += rate * step;
                lagged = rate + (lagged - rate) * decay;
            }
            double q = offset + drift * t + (cell + mass * cp(T)) * lagged;
            if (effect) q += effect(t, T);
            if (noise > 0) q += gauss(random);
            if (!endoUp) q = -q;
            if (perMass) q /= mass;
            r.time.push_back(t);
            r.temperature.push_back(T);
            r.signal.push_back(q);
        }
        r.quantity = perMass ? sqHeatFlowPerMass : sqHeatFlow;
        r.unit = perMass ? "mW/mg" : "mW";
        r.mass = mass;
        r.heatingRate = segments.size() > 1 ? segments[1].first : segments[0].first;
        r.endoUp = endoUp;
        r.sampleName = "Модель";
        return r;
    }
};

// The three runs of the procedure on one program: the sample (10 mg of ModelSampleCp), the sapphire
// (25 mg) and the empty holders, each with an offset and a drift of its own.
struct TCpProcedure {
    TProgramRun sample, sapphire, blank;

    explicit TCpProcedure(double aSampleRate = 10, double aSapphireRate = 10, double aBlankRate = 10) {
        auto program = [](TProgramRun& r, double aRate) {
            r.segments = {{0, 300}, {aRate, 200 / aRate * 60}, {0, 300}};
        };
        program(sample, aSampleRate);
        program(sapphire, aSapphireRate);
        program(blank, aBlankRate);
        sample.offset = 0.35, sample.drift = 4e-5;
        sapphire.mass = 25, sapphire.cp = SapphireCp, sapphire.offset = -0.2, sapphire.drift = -6e-5;
        sapphire.seed = 2;
        blank.mass = 0, blank.offset = 0.1, blank.drift = 2.5e-5, blank.seed = 3;
    }
};

// The run as an experiment (the configuration installed first).
inline std::unique_ptr<TDataClass> ExperimentOf(const TPhysicalRun& aRun) {
    auto d = std::make_unique<TDataClass>();
    std::vector<std::string> warnings;
    FillFromPhysicalRun(*d, aRun, warnings);
    return d;
}

}  // namespace kalvero::test
