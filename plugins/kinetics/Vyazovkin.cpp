// Vyazovkin's minimisation at one conversion level and its F-test interval.

#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <limits>
#include <utility>

#include "IsoconversionalLevel.h"
#include "LineFit.h"

namespace kalvero::kinetics {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The search runs over y = ln E (J/mol) between these.
constexpr double kLowestLnEnergy = 0;    // 1 J/mol
constexpr double kHighestLnEnergy = 18;  // 66 000 kJ/mol

// Φ(E) − n(n−1), summed without the cancellation of Φ itself.
class TExcess {
public:
    TExcess(const TLnIntegrals& aLnIntegrals, size_t aRuns) : fLnIntegrals(aLnIntegrals), fOmega(aRuns) {}
    double operator()(double aLnEnergy) {
        fLnIntegrals(std::exp(aLnEnergy), fOmega);
        double sum = 0;
        for (size_t i = 0; i < fOmega.size(); ++i) {
            for (size_t j = i + 1; j < fOmega.size(); ++j) {
                const double s = std::sinh(0.5 * (fOmega[i] - fOmega[j]));
                sum += 4 * s * s;
            }
        }
        return std::isfinite(sum) ? sum : std::numeric_limits<double>::max();
    }

private:
    const TLnIntegrals& fLnIntegrals;
    std::vector<double> fOmega;
};

// Three points a < b < c with Φ(b) below both ends, walking downhill from aStart; false when the
// walk leaves the search range.
bool Bracket(TExcess& aExcess, double aStart, double& a, double& b, double& c) {
    double step = 0.05;
    double fa = aExcess(aStart - step), fb = aExcess(aStart), fc = aExcess(aStart + step);
    a = aStart - step, b = aStart, c = aStart + step;
    while (!(fb <= fa && fb <= fc)) {
        step *= 1.6;
        if (fa < fc) {
            c = b, fc = fb, b = a, fb = fa;
            a = b - step, fa = aExcess(a);
        } else {
            a = b, fa = fb, b = c, fb = fc;
            c = b + step, fc = aExcess(c);
        }
        if (a < kLowestLnEnergy || c > kHighestLnEnergy) return false;
    }
    return true;
}

// Where the excess climbs to aLevel going from aFrom in aDirection (±1); NaN when it never does.
double Crossing(TExcess& aExcess, double aFrom, double aDirection, double aLevel) {
    double inside = aFrom, step = 1e-4;
    double outside = aFrom + aDirection * step;
    while (aExcess(outside) < aLevel) {
        inside = outside;
        step *= 2;
        outside = aFrom + aDirection * step;
        if (outside < kLowestLnEnergy || outside > kHighestLnEnergy) return kNaN;
    }
    boost::uintmax_t iterations = 100;
    const auto [a, b] = boost::math::tools::toms748_solve(
        [&](double y) { return aExcess(y) - aLevel; }, std::min(inside, outside), std::max(inside, outside),
        boost::math::tools::eps_tolerance<double>(40), iterations);
    return 0.5 * (a + b);
}

}  // namespace

RActivationEnergy VyazovkinLevel(const TLnIntegrals& aLnIntegrals, size_t aRuns, double aGuess,
                                 double aConfidence) {
    RActivationEnergy e;
    e.r2 = e.slope = e.intercept = kNaN;
    e.energy = e.low = e.high = kNaN;
    TExcess excess(aLnIntegrals, aRuns);
    const double start = aGuess > 1 ? std::log(aGuess) : std::log(1e5);
    double a = 0, b = 0, c = 0;
    if (!Bracket(excess, start, a, b, c)) return e;
    const auto [lnEnergy, least] = boost::math::tools::brent_find_minima(excess, a, c, 32);
    e.energy = std::exp(lnEnergy) / 1000;
    if (aRuns < 3) return e;
    const double freedom = static_cast<double>(aRuns - 2);
    const double t = StudentQuantile(aConfidence, freedom);
    const double level = least * (1 + t * t / freedom);
    if (!(level > 0)) {
        e.low = e.high = e.energy;
        return e;
    }
    e.low = std::exp(Crossing(excess, lnEnergy, -1, level)) / 1000;
    e.high = std::exp(Crossing(excess, lnEnergy, +1, level)) / 1000;
    return e;
}

}  // namespace kalvero::kinetics
