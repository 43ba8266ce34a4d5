#include "methods/MethodLimits.h"

#include <algorithm>
#include <cmath>

#include "common/FormFields.h"

namespace kalvero::methods {

std::vector<TLimitRow> LimitRows(const TMethod& aMethod, const TMethodRun& aCurrent) {
    std::vector<TLimitRow> rows;
    // Evaluations of the same kind and range are matched in turn: the n-th of the method with the
    // n-th of the experiment.
    std::vector<int> taken;
    for (size_t k = 0; k < aMethod.evaluations.size(); ++k) {
        const TMethodEvaluation& e = aMethod.evaluations[k];
        int source = 0;
        for (const TMethodResult& r : aCurrent.results)
            if (r.kind == e.kind && r.range == e.range &&
                std::find(taken.begin(), taken.end(), r.evaluation) == taken.end()) {
                source = r.evaluation;
                break;
            }
        if (source != 0) taken.push_back(source);
        for (const RResultName& name : ResultNames(e.kind)) {
            TLimitRow row{.evaluation = k, .name = name.name, .title = ResultTitle(e.kind, name.name)};
            for (const TMethodResult& r : aCurrent.results)
                if (r.evaluation == source && r.name == row.name) row.value = r.value, row.unit = r.unit;
            for (const auto& [limited, limit] : e.limits)
                if (limited == row.name) row.limit = limit;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

double BoundOf(const std::string& aText, const std::string& aTitle) {
    const std::string text = TrimText(aText);
    if (text.empty()) return NAN;
    try {
        return ReadRealField(text, aTitle);
    } catch (const EFormFieldException&) {
        throw EMethodError("Граница результата «" + aTitle + "» не число: " + text);
    }
}

void SetLimit(TMethodEvaluation& e, const std::string& aName, const RLimit& aLimit) {
    if (aLimit.low > aLimit.high)
        throw EMethodError("У результата «" + ResultTitle(e.kind, aName) + "» нижняя граница больше верхней");
    std::erase_if(e.limits, [&](const auto& aEntry) { return aEntry.first == aName; });
    if (std::isnan(aLimit.low) && std::isnan(aLimit.high)) return;
    // The kind's results come first in their own order; names of no result keep their place after.
    const auto& names = ResultNames(e.kind);
    const auto rank = [&](const std::string& aResult) {
        const auto it =
            std::find_if(names.begin(), names.end(), [&](const RResultName& r) { return aResult == r.name; });
        return static_cast<size_t>(it - names.begin());
    };
    const size_t mine = rank(aName);
    const auto at = std::find_if(e.limits.begin(), e.limits.end(),
                                 [&](const auto& aEntry) { return rank(aEntry.first) > mine; });
    e.limits.insert(at, {aName, aLimit});
}

}  // namespace kalvero::methods
