#include "methods/Method.h"

#include <algorithm>
#include <set>

namespace kalvero::methods {
namespace {

// What each kind is called, the results it gives and the options it takes besides "kind",
// "range" and "limits": the characteristic temperatures of ISO 11357-1 and the heat of a peak; the
// glass transition's temperatures of ISO 11357-2; the purity of ASTM E928; the crystallinity of
// ISO 11357-3 with the heats it is made of.
struct RKindSpec {
    EEvaluationKind kind;
    const char* key;
    const char* caption;
    std::vector<RResultName> results;
    std::set<std::string> options;
};

const std::vector<RKindSpec>& Specs() {
    static const std::vector<RKindSpec> kSpecs{
        {EEvaluationKind::Peak,
         "peak",
         "Пик",
         {{"initialTemp", "°C", "Начальная температура Ti"},
          {"onsetTemp", "°C", "Экстраполированное начало Tнач"},
          {"topTemp", "°C", "Температура пика Tпик"},
          {"endsetTemp", "°C", "Экстраполированный конец Tкон"},
          {"finalTemp", "°C", "Конечная температура Tf"},
          {"halfWidth", "K", "Ширина на половине высоты W½"},
          {"heat", "J", "Теплота Q"},
          {"specificHeat", "J/g", "Удельная теплота Q"}},
         {"baseline"}},
        {EEvaluationKind::GlassTransition,
         "tg",
         "Стеклование",
         {{"onset", "°C", "Экстраполированное начало Teig"},
          {"midpoint", "°C", "Температура стеклования Tmg"},
          {"inflection", "°C", "Точка перегиба Tig"},
          {"endset", "°C", "Экстраполированный конец Tefg"},
          {"step", "", "Высота ступени"},
          {"deltaCp", "J/(g·K)", "Изменение теплоёмкости ΔCp"}},
         {"before", "after", "stretch"}},
        {EEvaluationKind::Purity,
         "purity",
         "Чистота",
         {{"purity", "mol %", "Чистота"},
          {"impurity", "mol %", "Примеси"},
          {"T0", "°C", "Температура плавления чистого вещества T0"},
          {"deltaH", "J/g", "Теплота плавления ΔH"},
          {"correction", "%", "Поправка на неучтённую часть пика"}},
         {"baseline", "molarMass", "lagSlope"}},
        {EEvaluationKind::Crystallinity,
         "crystallinity",
         "Кристалличность",
         {{"crystallinity", "%", "Степень кристалличности"},
          {"meltingHeat", "J/g", "Теплота плавления"},
          {"coldCrystallisationHeat", "J/g", "Теплота холодной кристаллизации"}},
         {"baseline", "coldCrystallisation", "polymer", "referenceHeat", "polymerShare"}},
    };
    return kSpecs;
}

const RKindSpec& SpecOf(EEvaluationKind aKind) {
    const auto& specs = Specs();
    return *std::find_if(specs.begin(), specs.end(), [aKind](const RKindSpec& s) { return s.kind == aKind; });
}

}  // namespace

std::string KindKey(EEvaluationKind aKind) {
    return SpecOf(aKind).key;
}

std::optional<EEvaluationKind> KindFromKey(const std::string& aKey) {
    for (const RKindSpec& s : Specs())
        if (aKey == s.key) return s.kind;
    return std::nullopt;
}

std::string KindCaption(EEvaluationKind aKind) {
    return SpecOf(aKind).caption;
}

const std::vector<RResultName>& ResultNames(EEvaluationKind aKind) {
    return SpecOf(aKind).results;
}

std::string ResultTitle(EEvaluationKind aKind, const std::string& aName) {
    for (const RResultName& r : ResultNames(aKind))
        if (aName == r.name) return std::string(r.caption) + " (" + aName + ")";
    return aName;
}

bool IsResultName(EEvaluationKind aKind, const std::string& aName) {
    const auto& names = ResultNames(aKind);
    return std::any_of(names.begin(), names.end(), [&](const RResultName& r) { return aName == r.name; });
}

bool IsOptionKey(EEvaluationKind aKind, const std::string& aKey) {
    return aKey == "kind" || aKey == "range" || aKey == "limits" || SpecOf(aKind).options.contains(aKey);
}

}  // namespace kalvero::methods
