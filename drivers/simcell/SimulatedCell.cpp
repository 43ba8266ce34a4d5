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
    const double grams = fConfig.sampleMass / 1000;
    const double cp = fConfig.sample == TSampleKind::Melting ? kMeltingCp : kReactionCp;
    fSampleCapacity = kRefCapacity + kPanMismatch + grams * cp;
}

double TSimulatedCell::TotalHeat() const {
    const double grams = fConfig.sampleMass / 1000;
    return grams * (fConfig.sample == TSampleKind::Melting ? fConfig.meltingHeat : fConfig.reactionHeat);
}

double TSimulatedCell::Transformed() const {
    if (fConfig.sample == TSampleKind::Reaction) return fDone;
    const double total = TotalHeat();
    return total > 0 ? fDone / total : 0;
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
    if (fConfig.sample == TSampleKind::Melting) fDone = fSample > fConfig.meltingTemp ? TotalHeat() : 0;
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
        const double tm = fConfig.meltingTemp, total = TotalHeat();
        if (next > tm && fDone < total) {
            // Heat above the melting point melts the sample first; the pan stays at tm meanwhile.
            const double excess = (next - tm) * fSampleCapacity;
            const double melt = std::min(excess, total - fDone);
            fDone += melt;
            next = tm + (excess - melt) / fSampleCapacity;
        } else if (next < tm && fDone > 0) {
            const double deficit = (tm - next) * fSampleCapacity;
            const double freeze = std::min(deficit, fDone);
            fDone -= freeze;
            next = tm - (deficit - freeze) / fSampleCapacity;
        }
    } else if (fDone < 1) {
        const double k = fConfig.preExponential *
                         std::exp(-fConfig.activationEnergy * 1000 / (kGasConstant * (fSample + kKelvin)));
        const double d = std::min(1 - fDone, k * (1 - fDone) * aDt);
        fDone += d;
        next += d * TotalHeat() / fSampleCapacity;  // exothermic, or endothermic below 0
    }
    fSample = next;
}

}  // namespace kalvero::sim
