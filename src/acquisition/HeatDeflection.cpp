#include "acquisition/HeatDeflection.h"

#include <cfloat>
#include <cmath>

#include "common/IniFile.h"
#include "common/StrProcs.h"

namespace kalvero {
namespace {

bool ToSingle(const std::string& aText, float& aValue) {
    double v = 0;
    if (!TryStrToFloat(aText, v) || std::fabs(v) > FLT_MAX) return false;
    aValue = static_cast<float>(v);
    return true;
}

}  // namespace

THeatDeflection ParseHeatDeflection(const std::string& aText) {
    THeatDeflection table;
    if (Empty(aText)) return table;
    std::vector<std::string> items;
    SplitStr(aText, aText.find(';') != std::string::npos ? ';' : ',', items);
    for (const std::string& item : items) {
        const size_t colon = item.find(':');
        THeatDeflectionPair pair;
        if (colon == std::string::npos || !ToSingle(item.substr(0, colon), pair.key) ||
            !ToSingle(item.substr(colon + 1), pair.value)) {
            return {};
        }
        table.push_back(pair);
    }
    return table;
}

float LookupDeflection(const THeatDeflection& aTable, float aHeatSpeed) {
    const size_t n = aTable.size();
    if (n == 0) return 0;
    for (size_t i = 0; i <= n; ++i) {
        const float lower = i == 0 ? -100.0f : aTable[i - 1].key;
        const float upper = i == n ? 10000.0f : aTable[i].key;
        if (lower < aHeatSpeed && aHeatSpeed <= upper) return i < n ? aTable[i].value : aTable[n - 1].value;
    }
    return 0;
}

}  // namespace kalvero
