#pragma once
// Reproducible Gaussian noise for the simulated converters (xorshift64* and Box–Muller).

#include <cmath>
#include <cstdint>

namespace kalvero::sim {

class TSimNoise {
public:
    explicit TSimNoise(uint64_t aSeed) : fState(aSeed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    // Uniform in (0, 1).
    double Uniform() {
        fState ^= fState >> 12;
        fState ^= fState << 25;
        fState ^= fState >> 27;
        return (static_cast<double>((fState * 0x2545F4914F6CDD1Dull) >> 11) + 0.5) *
               (1.0 / 9007199254740992.0);
    }
    // Normal with standard deviation aSigma.
    double Gauss(double aSigma) {
        if (fHasSpare) {
            fHasSpare = false;
            return fSpare * aSigma;
        }
        const double r = std::sqrt(-2 * std::log(Uniform())), a = 2 * M_PI * Uniform();
        fSpare = r * std::sin(a);
        fHasSpare = true;
        return r * std::cos(a) * aSigma;
    }

private:
    uint64_t fState;
    double fSpare = 0;
    bool fHasSpare = false;
};

}  // namespace kalvero::sim
