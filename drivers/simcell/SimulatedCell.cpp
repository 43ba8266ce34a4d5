#include "simcell/SimulatedCell.h"

#include <algorithm>
#include <cmath>

namespace kalvero::sim {
namespace {

constexpr double kStep = 0.01;         // s
constexpr double kRefCapacity = 0.03;  // J/K: R × C = 1.5 s of lag behind the block
constexpr double kPanMismatch = 0.01;  // J/K more on the sample side: base line ∝ heating rate
constexpr double kCoolingTime = 900;   // s: the block's time constant towards room temperature
constexpr double kMaxBlockTemp = 600;  // °C: the heater's limit
constexpr double kGasConstant = 8.314462618;
constexpr double kKelvin = 273.15;
// Specific heats of the sample, J/(g·K): indium-like metal, organic reactant.
constexpr double kMeltingCp = 0.233, kReactionCp = 1.5;
// Sensor characteristic: counts = a + b·T + c·T².
constexpr double kA = 200, kB = 7.0, kC = 0.0012;

}  // namespace

double SensorCounts(double aTempC) {
    return kA + kB * aTempC + kC * aTempC * aTempC;
}

double SensorTemp(double aCounts) {
    // The root of c·T² + b·T + (a − counts) = 0 on the rising branch.
    return (-kB + std::sqrt(kB * kB - 4 * kC * (kA - aCounts))) / (2 * kC);
}

TSimulatedCell::TSimulatedCell(const TSimConfig& aConfig, double aStartTime)
    : fConfig(aConfig),
      fTime(aStartTime),
      fBlock(aConfig.roomTemp),
      fRef(aConfig.roomTemp),
      fSample(aConfig.roomTemp) {
    fSampleCapacity = kRefCapacity + kPanMismatch;
    if (fConfig.sample == TSampleKind::Reaction) {
        fSampleCapacity += fConfig.sampleMass / 1000 * kReactionCp;
        return;
    }
    for (const TSimSubstance& s : MeltingSubstances(fConfig)) {
        const double grams = s.mass / 1000;
        fSampleCapacity += grams * kMeltingCp;
        fMelting.push_back({s.meltingTemp, grams * s.meltingHeat});
    }
    std::sort(fMelting.begin(), fMelting.end(),
              [](const RMelting& a, const RMelting& b) { return a.temp < b.temp; });
}

double TSimulatedCell::TotalHeat() const {
    if (fConfig.sample == TSampleKind::Reaction) return fConfig.sampleMass / 1000 * fConfig.reactionHeat;
    double total = 0;
    for (const RMelting& m : fMelting)
        total += m.total;
    return total;
}

double TSimulatedCell::Transformed() const {
    if (fConfig.sample == TSampleKind::Reaction) return fDone;
    double done = 0;
    for (const RMelting& m : fMelting)
        done += m.done;
    const double total = TotalHeat();
    return total > 0 ? done / total : 0;
}

double TSimulatedCell::DiffTemp() const {
    // A slow drift of the pair, as a good cell drifts: 0.002 K per hour and a 0.0005 K swing every
    // 20 minutes (40 µW per hour and 10 µW at R = 50 K/W).
    const double drift = 0.002 * fTime / 3600 + 0.0005 * std::sin(2 * M_PI * fTime / 1200);
    return fRef - fSample + drift;
}

void TSimulatedCell::AdvanceTo(double aTime) {
    constexpr double kJumpGap = 600, kSettle = 60;
    if (aTime - fTime > kJumpGap) Jump(aTime - fTime - kSettle);
    while (fTime < aTime) {
        const double dt = std::min(kStep, aTime - fTime);
        Step(dt);
        fTime += dt;
    }
}

void TSimulatedCell::Jump(double aDt) {
    if (!fHolding) {
        fBlock = fHeaterOn ? std::min(kMaxBlockTemp, fBlock + fConfig.heatingRate / 60 * aDt)
                           : fConfig.roomTemp + (fBlock - fConfig.roomTemp) * std::exp(-aDt / kCoolingTime);
    }
    fRef = fSample = fBlock;
    for (RMelting& m : fMelting)
        m.done = fSample > m.temp ? m.total : 0;
    fTime += aDt;
}

void TSimulatedCell::Step(double aDt) {
    if (fHolding) {
        // The controller keeps the block where the hold found it.
    } else if (fHeaterOn) {
        fBlock = std::min(kMaxBlockTemp, fBlock + fConfig.heatingRate / 60 * aDt);
    } else {
        fBlock -= (fBlock - fConfig.roomTemp) / kCoolingTime * aDt;
    }
    fRef += (fBlock - fRef) / (R * kRefCapacity) * aDt;

    double next = fSample + (fBlock - fSample) / R * aDt / fSampleCapacity;
    if (fConfig.sample == TSampleKind::Melting) {
        next = Melt(next);
    } else if (fDone < 1) {
        const double k = fConfig.preExponential *
                         std::exp(-fConfig.activationEnergy * 1000 / (kGasConstant * (fSample + kKelvin)));
        const double d = std::min(1 - fDone, k * (1 - fDone) * aDt);
        fDone += d;
        next += d * TotalHeat() / fSampleCapacity;  // exothermic, or endothermic below 0
    }
    fSample = next;
}

double TSimulatedCell::Melt(double aNext) {
    // Heat above a melting point melts that substance first, the pan staying at its melting point
    // meanwhile; on cooling the substances freeze from the highest melting point down.
    for (RMelting& m : fMelting) {
        if (aNext > m.temp && m.done < m.total) {
            const double excess = (aNext - m.temp) * fSampleCapacity;
            const double melt = std::min(excess, m.total - m.done);
            m.done += melt;
            aNext = m.temp + (excess - melt) / fSampleCapacity;
        }
    }
    for (auto m = fMelting.rbegin(); m != fMelting.rend(); ++m) {
        if (aNext < m->temp && m->done > 0) {
            const double deficit = (m->temp - aNext) * fSampleCapacity;
            const double freeze = std::min(deficit, m->done);
            m->done -= freeze;
            aNext = m->temp - (deficit - freeze) / fSampleCapacity;
        }
    }
    return aNext;
}

}  // namespace kalvero::sim
