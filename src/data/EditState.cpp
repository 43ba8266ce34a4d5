#include "data/EditState.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "processing/Bubble.h"
#include "processing/Peak.h"
#include "processing/Tangent.h"

namespace kalvero {
namespace {

template <typename T>
bool SameBits(const T& a, const T& b) {
    static_assert(std::is_floating_point_v<T> && sizeof(T) <= 8);
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool SameDescriptor(const TChannelDescriptor& a, const TChannelDescriptor& b) {
    return a.name == b.name && a.channelType == b.channelType &&
           a.diffTempCurveColor == b.diffTempCurveColor && a.tempCurveColor == b.tempCurveColor &&
           a.visible == b.visible && a.fScanEndPoint == b.fScanEndPoint;
}

bool SamePoints(const std::vector<TCoordPoint>& a, const std::vector<TCoordPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].sx != b[i].sx || a[i].sy != b[i].sy) return false;
    return true;
}

bool SameLines(const std::vector<TCutLine>& a, const std::vector<TCutLine>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SamePoints(a[i].points, b[i].points) || a[i].lineType != b[i].lineType ||
            a[i].dragType != b[i].dragType || a[i].invalid != b[i].invalid)
            return false;
    return true;
}

bool SameAreas(const std::vector<RPeakAreaValue>& a, const std::vector<RPeakAreaValue>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].begX != b[i].begX || a[i].endX != b[i].endX || a[i].rawArea != b[i].rawArea ||
            a[i].timeRelatedRawArea != b[i].timeRelatedRawArea ||
            a[i].timeRelatedRealUnitsArea != b[i].timeRelatedRealUnitsArea ||
            a[i].calibratedArea != b[i].calibratedArea)
            return false;
    return true;
}

// What the operator and the drawing see of a peak; its computed base line follows from these
// and the curve.
bool SamePeak(const TPeak& a, const TPeak& b) {
    return a.comment == b.comment && a.minY == b.minY && a.maxY == b.maxY && a.begX == b.begX &&
           a.endX == b.endX && a.top == b.top && a.active == b.active && a.state == b.state &&
           a.height == b.height && a.cutType == b.cutType &&
           a.fullAreaStartPoint.x == b.fullAreaStartPoint.x &&
           a.fullAreaStartPoint.y == b.fullAreaStartPoint.y && a.peakCenter.x == b.peakCenter.x &&
           a.peakCenter.y == b.peakCenter.y && a.actualMode == b.actualMode &&
           a.baseLineKind == b.baseLineKind && a.fFreq == b.fFreq && SameAreas(a.fAreas, b.fAreas) &&
           SameLines(a.cutLines, b.cutLines);
}

bool SameXY(const TXYPoints& a, const TXYPoints& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
    return true;
}

bool SameTangent(const TTangent& a, const TTangent& b) {
    return a.x0 == b.x0 && a.x1 == b.x1 && a.x2 == b.x2 && a.fTangentType == b.fTangentType &&
           a.tgA_Units == b.tgA_Units && a.tgA_Degrees == b.tgA_Degrees && a.tgA_Real == b.tgA_Real &&
           a.b_Units == b.b_Units && a.b_Degrees == b.b_Degrees && a.b_Real == b.b_Real &&
           SameXY(a.fPointsUnits, b.fPointsUnits) && SameXY(a.fPointsDegrees, b.fPointsDegrees) &&
           SameXY(a.fPointsReal, b.fPointsReal);
}

bool SameObject(const TObject* a, const TObject* b) {
    if (a == nullptr || b == nullptr) return a == b;
    if (auto* pa = dynamic_cast<const TPeak*>(a)) {
        auto* pb = dynamic_cast<const TPeak*>(b);
        return pb && SamePeak(*pa, *pb);
    }
    if (auto* ta = dynamic_cast<const TTangent*>(a)) {
        auto* tb = dynamic_cast<const TTangent*>(b);
        return tb && SameTangent(*ta, *tb);
    }
    if (auto* ba = dynamic_cast<const TBubble*>(a)) {
        auto* bb = dynamic_cast<const TBubble*>(b);
        return bb && ba->fTime == bb->fTime && ba->fChannel == bb->fChannel;
    }
    return false;
}

std::unique_ptr<TObject> Copy(const TObject* aObject) {
    if (auto* peak = dynamic_cast<const TStandardPeak*>(aObject))
        return std::make_unique<TStandardPeak>(*peak);
    if (auto* tangent = dynamic_cast<const TTangent*>(aObject)) return std::make_unique<TTangent>(*tangent);
    if (auto* bubble = dynamic_cast<const TBubble*>(aObject)) return std::make_unique<TBubble>(*bubble);
    return nullptr;
}

size_t ObjectBytes(const TObject* aObject) {
    if (auto* peak = dynamic_cast<const TPeak*>(aObject)) {
        size_t bytes =
            sizeof(TStandardPeak) + peak->fAreas.size() * sizeof(RPeakAreaValue) + peak->comment.size();
        for (const TCutLine& line : peak->cutLines)
            bytes += sizeof(TCutLine) + line.points.size() * sizeof(TCoordPoint);
        // The computed base line: one reading per item of the peak.
        return bytes + static_cast<size_t>(std::max(0, peak->endX - peak->begX + 1)) * sizeof(double);
    }
    if (auto* tangent = dynamic_cast<const TTangent*>(aObject))
        return sizeof(TTangent) +
               (tangent->fPointsUnits.size() + tangent->fPointsDegrees.size() + tangent->fPointsReal.size()) *
                   sizeof(TXYPoint);
    return sizeof(TBubble);
}

}  // namespace

RChannelList RChannelList::Of(const TDataClass& d) {
    return {d.descriptors, d.fCurrentChannelNo, d.fFirstScanChannelNo, d.fLastScanChannelNo,
            d.fShowLegend, d.fWasFirstScan,     d.fUndoLength,         d.fSegmentStarts};
}

void RChannelList::Restore(TDataClass& d) const {
    d.descriptors = descriptors;
    d.fCurrentChannelNo = currentChannel, d.fFirstScanChannelNo = firstScanChannel;
    d.fLastScanChannelNo = lastScanChannel;
    d.fShowLegend = showLegend, d.fWasFirstScan = wasFirstScan;
    d.fUndoLength = undoLength;
    d.fSegmentStarts = segmentStarts;
}

bool RChannelList::operator==(const RChannelList& o) const {
    if (descriptors.size() != o.descriptors.size()) return false;
    for (size_t i = 0; i < descriptors.size(); ++i)
        if (!SameDescriptor(descriptors[i], o.descriptors[i])) return false;
    return currentChannel == o.currentChannel && firstScanChannel == o.firstScanChannel &&
           lastScanChannel == o.lastScanChannel && showLegend == o.showLegend &&
           wasFirstScan == o.wasFirstScan && undoLength == o.undoLength && segmentStarts == o.segmentStarts;
}

size_t RChannelList::Bytes() const {
    size_t bytes = sizeof(*this) + segmentStarts.size() * sizeof(int32_t);
    for (const TChannelDescriptor& c : descriptors)
        bytes += sizeof(c) + c.name.size();
    return bytes;
}

RViewRanges RViewRanges::Of(const TDataClass& d) {
    return {{d.begX, d.endX, d.begXSel, d.endXSel, d.begX1, d.endX1, d.begXSel1, d.endXSel1},
            {d.begY, d.endY, d.begYSel, d.endYSel, d.begY1, d.endY1, d.begYSel1, d.endYSel1},
            {d.fTempMinValue, d.fTempMaxValue, d.fDiffTempMinValue, d.fDiffTempMaxValue},
            {d.fBegCalcInfo, d.fEndCalcInfo}};
}

void RViewRanges::Restore(TDataClass& d) const {
    int32_t* xs[] = {&d.begX, &d.endX, &d.begXSel, &d.endXSel, &d.begX1, &d.endX1, &d.begXSel1, &d.endXSel1};
    int32_t* ys[] = {&d.begY, &d.endY, &d.begYSel, &d.endYSel, &d.begY1, &d.endY1, &d.begYSel1, &d.endYSel1};
    for (int i = 0; i < 8; ++i)
        *xs[i] = x[i], *ys[i] = y[i];
    d.fTempMinValue = values[0], d.fTempMaxValue = values[1];
    d.fDiffTempMinValue = values[2], d.fDiffTempMaxValue = values[3];
    d.fBegCalcInfo = calcInfo[0], d.fEndCalcInfo = calcInfo[1];
}

bool SameEvaluations(const TEvaluationRecords& a, const TEvaluationRecords& b) {
    if (a.glassTransitions != b.glassTransitions || a.purities.size() != b.purities.size() ||
        a.crystallinities.size() != b.crystallinities.size())
        return false;
    for (size_t i = 0; i < a.purities.size(); ++i) {
        const TPurityRecord &p = a.purities[i], &q = b.purities[i];
        if (p.peak != q.peak || !SameBits(p.molarMass, q.molarMass) || !SameBits(p.lagSlope, q.lagSlope))
            return false;
    }
    for (size_t i = 0; i < a.crystallinities.size(); ++i) {
        const TCrystallinityRecord &p = a.crystallinities[i], &q = b.crystallinities[i];
        if (p.meltingPeak != q.meltingPeak || p.coldPeak != q.coldPeak || p.polymer != q.polymer ||
            !SameBits(p.referenceHeat, q.referenceHeat) || !SameBits(p.polymerShare, q.polymerShare))
            return false;
    }
    return true;
}

size_t EvaluationBytes(const TEvaluationRecords& r) {
    return sizeof(r) + r.glassTransitions.size() * sizeof(TGlassTransitionRecord) +
           r.purities.size() * sizeof(TPurityRecord) +
           r.crystallinities.size() * sizeof(TCrystallinityRecord);
}

RObjectList RObjectList::Of(const TObjectCollection& aCollection) {
    RObjectList list;
    list.objects.reserve(static_cast<size_t>(aCollection.GetItemCount()));
    for (int i = 0; i < aCollection.GetItemCount(); ++i) {
        const TObjectCollectionItem item = aCollection.GetItemByIndex(i);
        list.objects.emplace_back(item.key, Copy(item.value));
    }
    return list;
}

void RObjectList::Restore(TObjectCollection& aCollection) const {
    aCollection.Clear();
    for (const auto& [key, object] : objects)
        aCollection.AddItem(key, Copy(object.get()).release());
}

bool RObjectList::operator==(const RObjectList& o) const {
    if (objects.size() != o.objects.size()) return false;
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].first != o.objects[i].first ||
            !SameObject(objects[i].second.get(), o.objects[i].second.get()))
            return false;
    return true;
}

size_t RObjectList::Bytes() const {
    size_t bytes = sizeof(*this);
    for (const auto& [key, object] : objects)
        bytes += sizeof(key) + key.size() + sizeof(object) + ObjectBytes(object.get());
    return bytes;
}

RExperimentState RExperimentState::Of(const TDataClass& d) {
    return {d.items,
            d.undoItems,
            RChannelList::Of(d),
            RViewRanges::Of(d),
            d.fEvaluations,
            RObjectList::Of(d.peaks),
            RObjectList::Of(d.tangents),
            RObjectList::Of(d.bubbles),
            d.fHasUnsavedChanges};
}

}  // namespace kalvero
