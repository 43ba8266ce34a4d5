#include <algorithm>
#include <limits>

#include "data/DataClass.h"

namespace kalvero {
namespace {

template <typename Better>
double Extreme(const TDataClass* d, int aChannel, int aBegin, int aEnd, Better aBetter) {
    if (!d) throw EDataClassStatException("fDataClass=NIL");
    if (aChannel < 0 || aChannel >= d->GetChannelCount() || d->GetItemCount() < 2) return 0;
    const int from = std::max(1, aBegin);
    const int to = std::min(aEnd, d->GetItemCount() - 1);
    if (from > to) return 0;
    double result = d->items[from][aChannel].tc;
    for (int i = from + 1; i <= to; ++i) {
        const double v = d->items[i][aChannel].tc;
        if (aBetter(v, result)) result = v;
    }
    return result;
}

}  // namespace

double TDataClassStat::GetMaxTemp(const TDataClass* aDataClass, int aChannel, int aBegin, int aEnd) {
    return Extreme(aDataClass, aChannel, aBegin, aEnd, [](double a, double b) { return a > b; });
}

double TDataClassStat::GetMinTemp(const TDataClass* aDataClass, int aChannel, int aBegin, int aEnd) {
    return Extreme(aDataClass, aChannel, aBegin, aEnd, [](double a, double b) { return a < b; });
}

double TDataClassStat::GetMaxTemp(const TDataClass* aDataClass) {
    if (!aDataClass) throw EDataClassStatException("fDataClass=NIL");
    if (aDataClass->GetChannelCount() == 0) return 0;
    double result = -std::numeric_limits<double>::infinity();
    for (int ch = 0; ch < aDataClass->GetChannelCount(); ++ch) {
        result = std::max(result, GetMaxTemp(aDataClass, ch, 1, aDataClass->GetItemCount() - 1));
    }
    return result;
}

double TDataClassStat::GetMinTemp(const TDataClass* aDataClass) {
    if (!aDataClass) throw EDataClassStatException("fDataClass=NIL");
    if (aDataClass->GetChannelCount() == 0) return 0;
    double result = std::numeric_limits<double>::infinity();
    for (int ch = 0; ch < aDataClass->GetChannelCount(); ++ch) {
        result = std::min(result, GetMinTemp(aDataClass, ch, 1, aDataClass->GetItemCount() - 1));
    }
    return result;
}

}  // namespace kalvero
