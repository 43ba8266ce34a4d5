// Plateau centres, the integer sort, decade normalisation and the de-quantisation of the
// temperature record.

#include <cmath>
#include <utility>

#include "common/MathProcs.h"
#include "processing/MathUtils.h"
#include "processing/SampleView.h"

namespace kalvero {
namespace {

// Centre of the first plateau of the extreme value; aBetter(a, b) tells a strictly better.
template <typename Better>
int PlateauCentre(const TDataClass& t, int begv, int endv, int channel, Better aBetter) {
    const int from = LLim(0, begv), to = HLim(t.GetItemCount() - 1, endv);
    if (from > to || channel < 0 || channel >= t.GetChannelCount()) return -1;
    const auto v = [&](int i) { return t.items[static_cast<size_t>(i)][channel].dt; };
    int first = from;
    for (int i = from + 1; i <= to; ++i) {
        if (aBetter(v(i), v(first))) first = i;
    }
    int stop = first;
    while (stop < t.GetItemCount() - 1 && v(stop) == v(first))
        ++stop;
    return static_cast<int>(Round((first + stop) / 2.0));
}

void QuickSort(TIntegers& a, int l, int r) {
    while (l < r) {
        int i = l, j = r;
        const int32_t pivot = a[static_cast<size_t>((l + r) >> 1)];
        do {
            while (a[i] < pivot)
                ++i;
            while (a[j] > pivot)
                --j;
            if (i <= j) {
                std::swap(a[i], a[j]);
                ++i, --j;
            }
        } while (i <= j);
        if (l < j) QuickSort(a, l, j);
        l = i;
    }
}

}  // namespace

int MaxCV(const TDataClass& t, int begv, int endv, int channel) {
    return PlateauCentre(t, begv, endv, channel, [](int32_t a, int32_t b) { return a > b; });
}

int MinCV(const TDataClass& t, int begv, int endv, int channel) {
    return PlateauCentre(t, begv, endv, channel, [](int32_t a, int32_t b) { return a < b; });
}

int Sign(int n) {
    return n < 0 ? -1 : 1;
}

void SortIntArray(TIntegers& aIntArray, int maxLen) {
    const int len = HLim(static_cast<int>(aIntArray.size()), maxLen);
    if (len > 1) QuickSort(aIntArray, 0, len - 1);
}

void SortIntArray(TIntegers& aIntArray) {
    SortIntArray(aIntArray, static_cast<int>(aIntArray.size()));
}

long double norm10000(long double v) {
    v = std::fabs(v);
    if (v == 0 || !std::isfinite(v)) return 1;
    long double k = 1;
    // A long double spans fewer than 10000 decades: the loop always ends well before this.
    for (int guard = 0; guard < 10000; ++guard) {
        if (v * k < 1000) {
            k *= 10;
        } else if (v * k >= 10000) {
            k /= 10;
        } else {
            break;
        }
    }
    return k;
}

void OversampleT(TDataClass& t) {
    const int count = t.GetItemCount();
    if (count < 2 || t.GetChannelCount() < 1) return;
    const auto T = [&](int i) -> int32_t& { return t.items[static_cast<size_t>(i)][0].t; };
    std::vector<TXYPoint> anchors{{0, static_cast<long double>(T(0))}};
    int i = 0;
    while (i < count - 1) {
        if (T(i + 1) != T(i)) {
            // A changing run: the anchor sits half a step back from where it ends.
            const int k = i;
            for (;;) {
                if (T(i + 1) == T(i)) break;
                ++i;
                if (i - k > 5 || i == count - 1) break;
            }
            const int64_t half = Round((static_cast<int64_t>(T(i)) - T(k)) / 2.0);
            anchors.push_back({static_cast<long double>(i), static_cast<long double>(T(i) - half)});
        } else {
            // A flat run: an anchor every 51 items keeps long plateaus flat.
            int n = 0;
            for (;;) {
                if (T(i) != T(i + 1)) break;
                ++i, ++n;
                if (i == count - 1) break;
                if (n >= 51) {
                    anchors.push_back({static_cast<long double>(i), static_cast<long double>(T(i))});
                    n = 0;
                }
            }
        }
    }
    for (size_t a = 0; a + 1 < anchors.size(); ++a) {
        const TXYPoint& p = anchors[a];
        const TXYPoint& q = anchors[a + 1];
        const int64_t from = Round(static_cast<double>(p.x)), to = Round(static_cast<double>(q.x));
        for (int64_t j = from; j <= to; ++j) {
            T(static_cast<int>(j)) = processing::RoundToInt32(
                LineInterp(static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(q.x),
                           static_cast<double>(q.y), static_cast<double>(j)));
        }
    }
    // The raw readings changed: their calibrated values follow.
    t.FillTempValues(0);
    t.fHasUnsavedChanges = true;
}

}  // namespace kalvero
