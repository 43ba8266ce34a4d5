#include "methods/Method.h"

#include <algorithm>
#include <array>

namespace kalvero::methods {
namespace {

struct RKindText {
    EEvaluationKind kind;
    const char* key;
    const char* caption;
};

constexpr std::array<RKindText, 4> kKinds{{
    {EEvaluationKind::Peak, "peak", "Пик"},
    {EEvaluationKind::GlassTransition, "tg", "Стеклование"},
    {EEvaluationKind::Purity, "purity", "Чистота"},
    {EEvaluationKind::Crystallinity, "crystallinity", "Кристалличность"},
}};

const RKindText& TextOf(EEvaluationKind aKind) {
    return *std::find_if(kKinds.begin(), kKinds.end(),
                         [aKind](const RKindText& t) { return t.kind == aKind; });
}

}  // namespace

std::string KindKey(EEvaluationKind aKind) {
    return TextOf(aKind).key;
}

std::optional<EEvaluationKind> KindFromKey(const std::string& aKey) {
    for (const RKindText& t : kKinds)
        if (aKey == t.key) return t.kind;
    return std::nullopt;
}

std::string KindCaption(EEvaluationKind aKind) {
    return TextOf(aKind).caption;
}

const std::vector<RResultName>& ResultNames(EEvaluationKind aKind) {
    // The characteristic temperatures of ISO 11357-1 and the heat of a peak; the glass
    // transition's temperatures of ISO 11357-2; the purity of ASTM E928; the crystallinity of
    // ISO 11357-3 with the heats it is made of.
    static const std::vector<RResultName> kPeak{
        {"initialTemp", "°C"}, {"onsetTemp", "°C"}, {"topTemp", "°C"}, {"endsetTemp", "°C"},
        {"finalTemp", "°C"},   {"halfWidth", "K"},  {"heat", "J"},     {"specificHeat", "J/g"}};
    static const std::vector<RResultName> kGlass{{"onset", "°C"},      {"midpoint", "°C"},
                                                 {"inflection", "°C"}, {"endset", "°C"},
                                                 {"step", ""},         {"deltaCp", "J/(g·K)"}};
    static const std::vector<RResultName> kPurity{
        {"purity", "mol %"}, {"impurity", "mol %"}, {"T0", "°C"}, {"deltaH", "J/g"}, {"correction", "%"}};
    static const std::vector<RResultName> kCrystallinity{
        {"crystallinity", "%"}, {"meltingHeat", "J/g"}, {"coldCrystallisationHeat", "J/g"}};
    switch (aKind) {
        case EEvaluationKind::GlassTransition:
            return kGlass;
        case EEvaluationKind::Purity:
            return kPurity;
        case EEvaluationKind::Crystallinity:
            return kCrystallinity;
        default:
            return kPeak;
    }
}

bool IsResultName(EEvaluationKind aKind, const std::string& aName) {
    const auto& names = ResultNames(aKind);
    return std::any_of(names.begin(), names.end(), [&](const RResultName& r) { return aName == r.name; });
}

}  // namespace kalvero::methods
