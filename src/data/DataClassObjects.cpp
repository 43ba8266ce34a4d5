// Clearing channels, the undo copy, and the peaks, tangents and markers placed on the curves.

#include <algorithm>
#include <memory>

#include "common/Config.h"
#include "common/MathProcs.h"
#include "data/DataClass.h"
#include "processing/Bubble.h"
#include "processing/MathUtils.h"
#include "processing/Peak.h"
#include "processing/Tangent.h"

namespace kalvero {
namespace {

// Removes the objects of a collection that match. The matching entries are found first and then
// removed by position, from the last one back: two objects filed under the same key must not go
// together when only one of them matches.
template <typename T, typename Pred>
void RemoveMatching(TObjectCollection& aCollection, Pred aPred) {
    std::vector<int> matches;
    for (int k = 0; k < aCollection.GetItemCount(); ++k) {
        if (auto* object = dynamic_cast<T*>(aCollection.GetItemByIndex(k).value); object && aPred(*object)) {
            matches.push_back(k);
        }
    }
    for (auto it = matches.rbegin(); it != matches.rend(); ++it)
        aCollection.RemoveItemByIndex(*it);
}

bool IsDtViewMode(TCurveMode aMode) {
    return aMode == vm_view_dT_by_time || aMode == vm_scan_dT_by_time;
}
bool IsTViewMode(TCurveMode aMode) {
    return aMode == vm_view_T_by_time || aMode == vm_scan_T_by_time;
}

}  // namespace

void TDataClass::ClearChannel(int ch) {
    if (ch >= 0 && ch < GetChannelCount()) {
        if (static_cast<size_t>(ch) < descriptors.size()) descriptors[ch].fScanEndPoint = 0;
        for (size_t i = 0; i < items.ItemCount(); ++i)
            items[i][ch] = TItem{};
    }
    fHasUnsavedChanges = true;
}

void TDataClass::ClearWorkChannel(int ch) {
    if (ch < 0 || ch >= WORKCHANNELS_COUNT) return;
    for (size_t i = 0; i < workItems.ItemCount(); ++i)
        workItems[i][ch] = TItem{};
}

void TDataClass::ClearAll() {
    SetNumChannels(DataConfig().numberOfDataChannels);
    for (int ch = 0; ch < GetChannelCount(); ++ch)
        ClearChannel(ch);
    for (int w = 0; w < WORKCHANNELS_COUNT; ++w)
        ClearWorkChannel(w);
    ClearObjects();
}

void TDataClass::CopyToBuffer() {
    undoItems.Reset(items.ItemCount(), 1);
    for (size_t i = 0; i < items.ItemCount(); ++i)
        undoItems[i][0] = {items[i][0].t, items[i][0].dt};
    fUndoLength = items.ItemCount();
}

std::pair<int, int> TDataClass::PrepareStretch(int aX1, int aX2, bool aForT, bool aRealYUnits,
                                               bool aUseSmooth) {
    if (items.Empty()) return {0, 0};
    const int x1 = ClipItemIndex(aX1), x2 = ClipItemIndex(aX2);
    if (x2 <= x1) return {x1, x1};
    const TAppConfig& c = DataConfig();
    // Only the stretch and what its smoothing window reads is copied: a long record is not
    // walked whole for a few points.
    const int reach = c.smoothDotCount * c.smoothDotStep / 2 + 1;
    const int from = ClipItemIndex(x1 - reach), to = ClipItemIndex(x2 + reach);
    for (int i = from; i <= to; ++i)
        workItems[i][WORKCHANNEL_SECOND_DERIVATIVE] = items[i][0];
    if (aUseSmooth) {
        AverageSmooth(workItems, WORKCHANNEL_SECOND_DERIVATIVE, x1, x2, c.smoothDotCount, c.smoothDotStep,
                      c.smoothStep, aForT);
        // Degrees of the smoothed counts, not of the originals.
        if (aRealYUnits) FillWorkChannelsTempValues(x1, x2);
    }
    return {x1, x2};
}

TXYPoints TDataClass::StretchPoints(std::pair<int, int> aStretch, bool aForT, bool aRealXUnits,
                                    bool aRealYUnits) const {
    TXYPoints points;
    points.reserve(static_cast<size_t>(aStretch.second - aStretch.first));
    for (int i = aStretch.first; i < aStretch.second; ++i) {
        const TItem& s = workItems[i][WORKCHANNEL_SECOND_DERIVATIVE];
        const long double y = aRealYUnits ? (aForT ? s.tc : s.dtc) : (aForT ? s.t : s.dt);
        points.push_back({aRealXUnits ? i / static_cast<long double>(frequency) : i, y});
    }
    return points;
}

TXYPoints TDataClass::DtItemsToXYPoints(int aX1, int aX2, bool aRealXUnits, bool aRealYUnits,
                                        bool aUseSmooth) {
    return StretchPoints(PrepareStretch(aX1, aX2, false, aRealYUnits, aUseSmooth), false, aRealXUnits,
                         aRealYUnits);
}

TXYPoints TDataClass::TItemsToXYPoints(int aX1, int aX2, bool aRealXUnits, bool aRealYUnits,
                                       bool aUseSmooth) {
    return StretchPoints(PrepareStretch(aX1, aX2, true, aRealYUnits, aUseSmooth), true, aRealXUnits,
                         aRealYUnits);
}

bool TDataClass::FillTangent(TTangent& aTangent) {
    // All three lists come from the same smoothed samples: they differ only in units.
    const bool forT = aTangent.fTangentType == ttForTemp;
    const auto stretch = PrepareStretch(aTangent.x1, aTangent.x2, forT, true, true);
    aTangent.fPointsUnits = StretchPoints(stretch, forT, false, false);
    aTangent.fPointsDegrees = StretchPoints(stretch, forT, false, true);
    aTangent.fPointsReal = StretchPoints(stretch, forT, true, true);
    aTangent.Calc();
    return aTangent.fPointsUnits.size() >= 2;
}

void TDataClass::AddTangent(int x) {
    const int64_t h = Round(DataConfig().tangentTimeRange / 1000.0 * frequency / 2.0);
    AddTangent(static_cast<int>(x - h), static_cast<int>(x + h));
}

void TDataClass::AddTangent(int aX1, int aX2) {
    if (static_cast<int64_t>(aX2) - aX1 < 2) return;
    TTangentType type;
    if (IsDtViewMode(mode)) {
        type = ttForDiffTemp;
    } else if (IsTViewMode(mode)) {
        type = ttForTemp;
    } else {
        return;
    }
    auto tangent = std::make_unique<TTangent>(type);
    tangent->x0 = static_cast<int32_t>(aX1 + Round((static_cast<int64_t>(aX2) - aX1) / 2.0));
    tangent->x1 = aX1;
    tangent->x2 = aX2;
    // A stretch that the record clips to fewer than two items has no line to fit.
    if (!FillTangent(*tangent)) return;
    tangents.AddItem(tangent.release());
}

void TDataClass::AddBubble(int x) {
    if (x < 0 || x > GetItemCount() - 1) return;
    if (!IsDtViewMode(mode) && !IsTViewMode(mode)) return;
    bubbles.AddItem(new TBubble(x, fCurrentChannelNo));
}

void TDataClass::DelPeak(int number) {
    peaks.RemoveItemByIndex(number);
}

void TDataClass::DelPeaks(int a, int b) {
    if (!IsDtViewMode(mode)) return;
    RemoveMatching<TPeak>(peaks, [&](const TPeak& p) {
        return Between(a, b, p.begX) || Between(a, b, p.endX) || (p.begX <= a && p.endX >= b);
    });
}

void TDataClass::DelBubbles(int a, int b) {
    if (!IsDtViewMode(mode) && !IsTViewMode(mode)) return;
    RemoveMatching<TBubble>(bubbles, [&](const TBubble& m) { return Between(a, b, m.fTime); });
}

void TDataClass::DelTangents(int a, int b) {
    const bool dtMode = IsDtViewMode(mode);
    const bool anyMode = mode == vm_optstate_draw_extra_temp || IsTViewMode(mode);
    RemoveMatching<TTangent>(tangents, [&](const TTangent& t) {
        return Between(a, b, t.x0) && ((t.fTangentType == ttForDiffTemp && dtMode) || anyMode);
    });
}

void TDataClass::ClearObjects() {
    fEvaluations.Clear();
    peaks.Clear();
    bubbles.Clear();
    tangents.Clear();
}

}  // namespace kalvero
