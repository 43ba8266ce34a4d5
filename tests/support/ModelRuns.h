#pragma once
// Runs made from a model whose answers are known exactly: a linear heating with a Gaussian heat
// effect of known integral on a sloped base line.

#include <cmath>

#include "data/PhysicalExperiment.h"

namespace kalvero::test {

struct TGaussianRun {
    double seconds = 1200, step = 0.5;  // record length and time step, s
    double startTemp = 30, rate = 10;   // °C, K/min
    double base = 0.2, slope = 2e-4;    // mW at t = 0, mW per s
    double centre = 760, width = 12;    // s: centre and standard deviation of the effect
    double heat = 150;                  // mJ under the effect, sign of the signal
    double mass = 5;                    // mg

    double TempAt(double t) const { return startTemp + rate / 60 * t; }
    double SignalAt(double t) const {
        const double g = std::exp(-0.5 * std::pow((t - centre) / width, 2)) / (width * std::sqrt(2 * M_PI));
        return base + slope * t + heat * g;
    }
    TPhysicalRun Run() const {
        TPhysicalRun r;
        for (double t = 0; t <= seconds + 1e-9; t += step) {
            r.time.push_back(t);
            r.temperature.push_back(TempAt(t));
            r.signal.push_back(SignalAt(t));
        }
        r.quantity = sqHeatFlow;
        r.unit = "mW";
        r.mass = mass;
        r.heatingRate = rate;
        r.endoUp = true;
        r.sampleName = "Модель";
        return r;
    }
};

}  // namespace kalvero::test
