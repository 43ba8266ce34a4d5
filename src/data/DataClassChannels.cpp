// Copying, swapping, clearing, cutting and subtracting channel data; the undo of channel 0.

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/Config.h"
#include "data/DataClass.h"
#include "processing/Bubble.h"
#include "processing/Peak.h"
#include "processing/Tangent.h"

namespace kalvero {
namespace {

void CheckChannel(int aChannel, int aCount, const char* aWhat) {
    if (aChannel < 0 || aChannel >= aCount) {
        throw std::out_of_range(std::string(aWhat) + " " + std::to_string(aChannel) + " does not exist");
    }
}

// Sample aFrom of every item of aSource into sample aTo of the same item of aTarget.
void CopySamples(const TItemArray& aSource, int aFrom, TItemArray& aTarget, int aTo) {
    const size_t count = std::min(aSource.ItemCount(), aTarget.ItemCount());
    const size_t sourceStride = aSource.ChannelCount(), targetStride = aTarget.ChannelCount();
    const TItem* s = aSource.Data() + aFrom;
    TItem* t = aTarget.Data() + aTo;
    for (size_t i = 0; i < count; ++i, s += sourceStride, t += targetStride)
        *t = *s;
}

// Removes items [aFrom, aFrom + aWidth) of the array by moving the later items down; the caller
// shortens the array afterwards.
template <typename T>
void CloseGap(TSampleArray<T>& aArray, size_t aFrom, size_t aWidth) {
    const size_t count = aArray.ItemCount();
    if (aFrom + aWidth >= count) return;
    const size_t stride = aArray.ChannelCount();
    std::memmove(aArray[aFrom], aArray[aFrom + aWidth], (count - aFrom - aWidth) * stride * sizeof(T));
}

template <typename T, typename Pred>
void RemoveWhere(TObjectCollection& aCollection, Pred aPred) {
    for (int k = aCollection.GetItemCount() - 1; k >= 0; --k) {
        if (auto* object = dynamic_cast<T*>(aCollection.GetItemByIndex(k).value); object && aPred(*object))
            aCollection.RemoveItemByIndex(k);
    }
}

template <typename T, typename Fn>
void ForEach(TObjectCollection& aCollection, Fn aFn) {
    for (int k = 0; k < aCollection.GetItemCount(); ++k) {
        if (auto* object = dynamic_cast<T*>(aCollection.GetItemByIndex(k).value)) aFn(*object);
    }
}

int32_t ShiftBack(int32_t aX, int aWidth) {
    return std::max(0, aX - aWidth);
}

}  // namespace

void TDataClass::CopyToWorkChannel(int fromch, int toWorkCh) {
    CheckChannel(fromch, GetChannelCount(), "Channel");
    CheckChannel(toWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CopySamples(items, fromch, workItems, toWorkCh);
}

void TDataClass::CopyWorkChannelToWorkChannel(int fromWorkCh, int toWorkCh) {
    CheckChannel(fromWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CheckChannel(toWorkCh, WORKCHANNELS_COUNT, "Work channel");
    if (fromWorkCh != toWorkCh) CopySamples(workItems, fromWorkCh, workItems, toWorkCh);
}

void TDataClass::CopyFromWorkChannel(int fromWorkCh, int toch) {
    CheckChannel(fromWorkCh, WORKCHANNELS_COUNT, "Work channel");
    CheckChannel(toch, GetChannelCount(), "Channel");
    CopySamples(workItems, fromWorkCh, items, toch);
    fHasUnsavedChanges = true;
}

void TDataClass::CopyToChannel(int fromch, int toch) {
    CheckChannel(fromch, GetChannelCount(), "Channel");
    CheckChannel(toch, GetChannelCount(), "Channel");
    if (fromch != toch) CopySamples(items, fromch, items, toch);
    fHasUnsavedChanges = true;
}

void TDataClass::PartCopyToChannel(int aX1, int aX2, int fromch, int toch) {
    CheckChannel(fromch, GetChannelCount(), "Channel");
    CheckChannel(toch, GetChannelCount(), "Channel");
    const int last = GetItemCount() - 1;
    for (int i = std::max(0, aX1); i <= std::min(last, aX2); ++i)
        items[i][toch] = items[i][fromch];
    fHasUnsavedChanges = true;
}

void TDataClass::ClearChannels() {
    SetNumChannels(DataConfig().numberOfDataChannels);
    SetItemsLength(GetItemCount(), true);
    fUndoLength = 0;  // the reset zeroed the undo copy too
    for (int ch = 0; ch < GetChannelCount(); ++ch)
        ClearChannel(ch);
    fWasFirstScan = false;
}

void TDataClass::SwapWorkChannelChannels(int aChNumber1, int aChNumber2) {
    const int count = GetChannelCount();
    // A marker is never handed to a channel that does not exist.
    if (aChNumber1 < 0 || aChNumber2 < 0 || aChNumber1 >= count || aChNumber2 >= count) return;
    if (aChNumber1 != aChNumber2) {
        CopyToWorkChannel(aChNumber1, WORKCHANNEL_BASE_CURVE);
        CopyToChannel(aChNumber2, aChNumber1);
        CopyFromWorkChannel(WORKCHANNEL_BASE_CURVE, aChNumber2);
        if (descriptors.size() < static_cast<size_t>(count)) descriptors.resize(static_cast<size_t>(count));
        TChannelDescriptor& d1 = descriptors[aChNumber1];
        TChannelDescriptor& d2 = descriptors[aChNumber2];
        if (aChNumber1 == 0 || aChNumber2 == 0) {
            // Peaks and tangents were found on channel 0's curve, which has just been replaced;
            // the curve colours belong to the positions.
            peaks.Clear();
            tangents.Clear();
            std::swap(d1.name, d2.name);
            std::swap(d1.channelType, d2.channelType);
            std::swap(d1.visible, d2.visible);
            std::swap(d1.fScanEndPoint, d2.fScanEndPoint);
        } else {
            std::swap(d1, d2);
        }
    }
    ForEach<TBubble>(bubbles, [&](TBubble& b) {
        if (b.fChannel == aChNumber1)
            b.fChannel = static_cast<uint8_t>(aChNumber2);
        else if (b.fChannel == aChNumber2)
            b.fChannel = static_cast<uint8_t>(aChNumber1);
    });
}

void TDataClass::SwapTempAndDiffTemp(int aChNumber) {
    CheckChannel(aChNumber, GetChannelCount(), "Channel");
    // Physical readings change scales with their places: the values swap, not the readings.
    const double toT = fPhysical ? fPhysical->signalStep / fPhysical->tStep : 1.0;
    for (size_t i = 0; i < items.ItemCount(); ++i) {
        TItem& s = items[i][aChNumber];
        if (fPhysical) {
            const int32_t t = s.t;
            s.t = ToReading(s.dt * toT, 1);
            s.dt = ToReading(t / toT, 1);
        } else {
            std::swap(s.t, s.dt);
        }
        std::swap(s.tc, s.dtc);
    }
}

bool TDataClass::CutData(int x1, int x2) {
    // The stretch the operator selected, whichever way round and however far it overshoots.
    const int count = GetItemCount();
    const int from = std::clamp(std::min(x1, x2), 0, count);
    const int to = std::clamp(std::max(x1, x2), 0, count);
    const int width = to - from;
    if (width == 0 || count - width < 10) return false;

    const bool undoAligned = fUndoLength == items.ItemCount() && undoItems.ItemCount() == items.ItemCount();
    CloseGap(items, static_cast<size_t>(from), static_cast<size_t>(width));
    CloseGap(workItems, static_cast<size_t>(from), static_cast<size_t>(width));
    if (undoAligned) CloseGap(undoItems, static_cast<size_t>(from), static_cast<size_t>(width));

    // Objects on the removed items go, whatever the view mode.
    RemoveWhere<TBubble>(bubbles, [&](const TBubble& b) { return b.fTime >= from && b.fTime < to; });
    RemoveWhere<TTangent>(tangents, [&](const TTangent& t) { return t.x0 >= from && t.x0 < to; });
    RemoveWhere<TPeak>(peaks, [&](const TPeak& p) { return p.begX < to && p.endX >= from; });
    std::erase_if(fEvaluations.glassTransitions,
                  [&](const TGlassTransitionRecord& g) { return g.beforeFrom < to && g.afterTo >= from; });

    SetItemsLength(count - width, false);
    fUndoLength = undoAligned ? items.ItemCount() : 0;
    const uint32_t last = static_cast<uint32_t>(GetItemCount() - 1);
    fBegCalcInfo = std::min(fBegCalcInfo, last);
    fEndCalcInfo = std::min(fEndCalcInfo, last);
    for (TChannelDescriptor& d : descriptors)
        d.fScanEndPoint = std::min(d.fScanEndPoint, static_cast<int32_t>(last));

    ForEach<TPeak>(peaks, [&](TPeak& p) {
        if (p.begX < to) return;
        for (TCutLine& line : p.cutLines) {
            for (TCoordPoint& point : line.points)
                point.x = ShiftBack(point.x, width);
        }
        p.fullAreaStartPoint.x = ShiftBack(p.fullAreaStartPoint.x, width);
        p.peakCenter.x = ShiftBack(p.peakCenter.x, width);
        p.top = ShiftBack(p.top, width);
        p.UpdatePeakMargin(CUTLINE_PEAKLEFTMARGIN, ShiftBack(p.begX, width));
        p.UpdatePeakMargin(CUTLINE_PEAKRIGHTMARGIN, ShiftBack(p.endX, width));
    });
    ForEach<TBubble>(bubbles, [&](TBubble& b) {
        if (b.fTime >= to) b.fTime = ShiftBack(b.fTime, width);
    });
    for (TGlassTransitionRecord& g : fEvaluations.glassTransitions) {
        if (g.beforeFrom < to) continue;
        for (int32_t* x : {&g.beforeFrom, &g.beforeTo, &g.afterFrom, &g.afterTo})
            *x = ShiftBack(*x, width);
    }
    // A declared segment boundary inside the cut moves to its end; two that meet become one.
    for (int32_t& start : fSegmentStarts)
        start = start >= to ? start - width : std::min(start, from);
    fSegmentStarts.erase(std::unique(fSegmentStarts.begin(), fSegmentStarts.end()), fSegmentStarts.end());
    ForEach<TTangent>(tangents, [&](TTangent& t) {
        if (t.x0 < to) return;
        t.x0 -= width;
        t.x1 -= width;
        t.x2 -= width;
        FillTangent(t);
    });
    fHasUnsavedChanges = true;
    return true;
}

void TDataClass::Substract(const TDataClass& aCurve, int32_t aLevel) {
    // Physical readings are brought onto this experiment's scale; readings of a converter and
    // physical values do not subtract.
    if (IsPhysical() != aCurve.IsPhysical()) {
        throw EDataClassException(
            "Вычитание невозможно: одна кривая в физических единицах, другая в отсчётах");
    }
    if (IsPhysical() && fPhysical->unit != aCurve.fPhysical->unit) {
        throw EDataClassException("Вычитание невозможно: сигналы в " + SignalUnitCaption(fPhysical->unit) +
                                  " и в " + SignalUnitCaption(aCurve.fPhysical->unit));
    }
    const double factor = IsPhysical() ? aCurve.fPhysical->signalStep / fPhysical->signalStep : 1.0;
    const size_t count = std::min(items.ItemCount(), aCurve.items.ItemCount());
    for (size_t i = 0; i < count; ++i) {
        const int32_t other =
            factor == 1.0 ? aCurve.items[i][0].dt : ToReading(aCurve.items[i][0].dt * factor, 1);
        const int64_t v = static_cast<int64_t>(items[i][0].dt) - other + aLevel;
        items[i][0].dt = static_cast<int32_t>(
            std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    }
    FillTempValues(0);
    fHasUnsavedChanges = true;
}

bool TDataClass::HasUndoCopy() const {
    return fUndoLength > 0 && fUndoLength == items.ItemCount() && undoItems.ItemCount() >= items.ItemCount();
}

bool TDataClass::Undo(int /*aDataChannel: the copy always belongs to channel 0*/) {
    if (!HasUndoCopy()) return false;
    for (size_t i = 0; i < items.ItemCount(); ++i) {
        items[i][0].t = undoItems[i][0].t;
        items[i][0].dt = undoItems[i][0].dt;
    }
    FillTempValues(0);
    fHasUnsavedChanges = true;
    return true;
}

}  // namespace kalvero
