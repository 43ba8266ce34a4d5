#pragma once
// An evaluation method: the evaluations a laboratory makes the same way on every run of a kind
// (the ranges in °C or time, the base lines, the options) with limits on their results, kept as a
// JSON file and applied to any experiment. The results are named as the command line's JSON names
// them ("topTemp", "specificHeat", "midpoint", "purity", ...).

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kalvero::methods {

// A method that cannot be read or used; the message is Russian and meant for the operator.
class EMethodError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class EEvaluationKind { Peak, GlassTransition, Purity, Crystallinity };

// "peak", "tg", "purity", "crystallinity".
std::string KindKey(EEvaluationKind aKind);
std::optional<EEvaluationKind> KindFromKey(const std::string& aKey);
// "Пик", "Стеклование", "Чистота", "Кристалличность".
std::string KindCaption(EEvaluationKind aKind);

// Bounds of a result, both included; NaN: open on that side.
struct RLimit {
    double low = NAN;
    double high = NAN;

    bool Holds(double aValue) const { return std::isfinite(aValue) && !(aValue < low) && !(aValue > high); }
};

struct TMethodEvaluation {
    EEvaluationKind kind = EEvaluationKind::Peak;
    // The peak, the glass transition's whole stretch, the melting peak of a purity or a degree of
    // crystallinity: "150C:170C", "300s:360s", "5min:6min".
    std::string range;
    // Peak, purity, crystallinity: the base line kind of the peaks (PeakBaseLineKey); empty: the
    // straight line.
    std::string baseLine;
    // Glass transition: the stretches the base lines are fitted over; empty: chosen over the range
    // as the tool chooses them, each stretch a share `stretch` of it.
    std::string before, after;
    double stretch = NAN;
    // Purity: g/mol, and the slope of a pure metal's leading edge in mW/K (NaN: no lag correction).
    double molarMass = NAN, lagSlope = NAN;
    // Crystallinity: the cold crystallisation peak (empty: none), the reference polymer of the
    // shipped list or the heat of the fully crystalline polymer in J/g, and the polymer's share.
    std::string coldRange, polymer;
    double referenceHeat = NAN, polymerShare = 1;
    // Limits by result name, in the file's order.
    std::vector<std::pair<std::string, RLimit>> limits;
};

struct TMethod {
    std::string name;
    std::vector<TMethodEvaluation> evaluations;
};

// A result an evaluation of aKind gives, as the command line's JSON names it, with its unit.
struct RResultName {
    const char* name;
    const char* unit;     // empty: the signal's unit (an area or a step)
    const char* caption;  // what the dock and the report call it, with the standard's symbol
};
// The results the method reports for aKind, in order.
const std::vector<RResultName>& ResultNames(EEvaluationKind aKind);
// The caption of a result with its name in the method file: "Температура пика Tпик (topTemp)".
std::string ResultTitle(EEvaluationKind aKind, const std::string& aName);
bool IsResultName(EEvaluationKind aKind, const std::string& aName);
// Whether an evaluation of aKind may carry the key aKey in the method file.
bool IsOptionKey(EEvaluationKind aKind, const std::string& aKey);

}  // namespace kalvero::methods
