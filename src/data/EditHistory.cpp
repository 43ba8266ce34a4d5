#include "data/EditHistory.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "common/Globals.h"
#include "common/UiHooks.h"
#include "data/DataClass.h"
#include "data/EditState.h"
#include "data/SamplePatch.h"

namespace kalvero {

// A part of the experiment as it was before the step and after it; absent when the step left it.
template <typename T>
using TChange = std::optional<std::pair<T, T>>;

struct REditStep {
    std::string name;
    RSamplePatch<TItem> items;
    RSamplePatch<TRawReading> undoCopy;
    TChange<RChannelList> channels;
    TChange<RViewRanges> view;
    TChange<TEvaluationRecords> evaluations;
    TChange<RObjectList> peaks, tangents, bubbles;
    size_t bytes = 0;
    uint64_t state = 0;  // names the state the step leads to
    // The program's dT zero line, which a recorded experiment's zero-line move shifts: undone by
    // the shift, so that a move in another window meanwhile is kept.
    int32_t dTZeroShift = 0;

    bool Empty() const {
        return items.Empty() && undoCopy.Empty() && !channels && !view && !evaluations && !peaks &&
               !tangents && !bubbles && dTZeroShift == 0;
    }
};

// The experiment as it stood when the step began: its samples whole, since any of them may change.
struct REditCapture {
    std::string name;
    RExperimentState state;
    int32_t dTZeroLine = 0;
};

namespace {

int32_t ProgramDTZeroLine() {
    return gConfig ? gConfig->dTZeroLine : 0;
}

template <typename T, typename Same>
TChange<T> Compare(T&& aBefore, T&& aAfter, Same aSame) {
    if (aSame(aBefore, aAfter)) return std::nullopt;
    return std::make_pair(std::move(aBefore), std::move(aAfter));
}

template <typename T>
TChange<T> Compare(T&& aBefore, T&& aAfter) {
    return Compare(std::move(aBefore), std::move(aAfter), [](const T& a, const T& b) { return a == b; });
}

template <typename T, typename Size>
size_t ChangeBytes(const TChange<T>& aChange, Size aSize) {
    return aChange ? aSize(aChange->first) + aSize(aChange->second) : 0;
}

size_t BytesOf(const REditStep& s) {
    auto bytesOf = [](const auto& part) { return part.Bytes(); };
    return sizeof(s) + s.name.size() + s.items.Bytes() + s.undoCopy.Bytes() +
           ChangeBytes(s.channels, bytesOf) +
           ChangeBytes(s.view, [](const RViewRanges& v) { return sizeof(v); }) +
           ChangeBytes(s.evaluations, EvaluationBytes) + ChangeBytes(s.peaks, bytesOf) +
           ChangeBytes(s.tangents, bytesOf) + ChangeBytes(s.bubbles, bytesOf);
}

template <typename T, typename Restore>
void Put(const TChange<T>& aChange, bool aForward, Restore aRestore) {
    if (aChange) aRestore(aForward ? aChange->second : aChange->first);
}

}  // namespace

size_t HistoryLimitBytes() {
    const int32_t megabytes =
        gConfig ? gConfig->historyMemoryMB : static_cast<int32_t>(DEFAULT_HISTORY_MEGABYTES);
    return static_cast<size_t>(std::max(0, megabytes)) << 20;
}

TEditHistory::TEditHistory(size_t aLimitBytes) : fLimit(aLimitBytes) {}

TEditHistory::~TEditHistory() = default;

void TEditHistory::Begin(const TDataClass& d, const std::string& aName) {
    if (fDepth++ > 0 || !fEnabled) return;
    SyncSavedMark(d);
    fCapture =
        std::make_unique<REditCapture>(REditCapture{aName, RExperimentState::Of(d), ProgramDTZeroLine()});
}

bool TEditHistory::Commit(TDataClass& d) {
    if (fDepth == 0) throw std::logic_error("TEditHistory::Commit without Begin");
    if (--fDepth > 0 || !fCapture) return false;
    const std::unique_ptr<REditCapture> capture = std::move(fCapture);
    RExperimentState& c = capture->state;
    auto step = std::make_unique<REditStep>();
    step->name = capture->name;
    step->items = MakeSamplePatch(c.items, d.items);
    c.items = TItemArray();  // the whole copy goes before the step's own parts are made
    step->undoCopy = MakeSamplePatch(c.undoCopy, d.undoItems);
    step->channels = Compare(std::move(c.channels), RChannelList::Of(d));
    step->view = Compare(std::move(c.view), RViewRanges::Of(d));
    step->evaluations =
        Compare(std::move(c.evaluations), TEvaluationRecords(d.fEvaluations), SameEvaluations);
    step->peaks = Compare(std::move(c.peaks), RObjectList::Of(d.peaks));
    step->tangents = Compare(std::move(c.tangents), RObjectList::Of(d.tangents));
    step->bubbles = Compare(std::move(c.bubbles), RObjectList::Of(d.bubbles));
    step->dTZeroShift = ProgramDTZeroLine() - capture->dTZeroLine;
    if (step->Empty()) {
        d.fHasUnsavedChanges = c.unsaved;
        return false;
    }
    step->bytes = BytesOf(*step);
    // A new step ends the steps that were undone: they can no longer be redone.
    while (fSteps.size() > fPosition) {
        fBytes -= fSteps.back()->bytes;
        fSteps.pop_back();
    }
    if (fSaved > static_cast<long long>(fPosition)) fSaved = -1;
    fBytes += step->bytes;
    step->state = ++fLastState;
    fSteps.push_back(std::move(step));
    ++fPosition;
    KeepWithinLimit();
    d.fHasUnsavedChanges = fSaved != static_cast<long long>(fPosition);
    return true;
}

std::string TEditHistory::UndoName() const {
    return CanUndo() ? fSteps[fPosition - 1]->name : std::string();
}

std::string TEditHistory::RedoName() const {
    return CanRedo() ? fSteps[fPosition]->name : std::string();
}

bool TEditHistory::Undo(TDataClass& d) {
    if (!CanUndo() || fDepth > 0) return false;
    SyncSavedMark(d);
    Apply(d, *fSteps[fPosition - 1], false);
    --fPosition;
    d.fHasUnsavedChanges = fSaved != static_cast<long long>(fPosition);
    return true;
}

bool TEditHistory::Redo(TDataClass& d) {
    if (!CanRedo() || fDepth > 0) return false;
    SyncSavedMark(d);
    Apply(d, *fSteps[fPosition], true);
    ++fPosition;
    d.fHasUnsavedChanges = fSaved != static_cast<long long>(fPosition);
    return true;
}

void TEditHistory::GoTo(TDataClass& d, size_t aPosition) {
    aPosition = std::min(aPosition, fSteps.size());
    while (fPosition > aPosition && Undo(d)) {
    }
    while (fPosition < aPosition && Redo(d)) {
    }
}

uint64_t TEditHistory::State() const {
    return fPosition > 0 ? fSteps[fPosition - 1]->state : fFirstState;
}

const std::string& TEditHistory::StepName(size_t aIndex) const {
    return fSteps.at(aIndex)->name;
}

size_t TEditHistory::StepBytes(size_t aIndex) const {
    return fSteps.at(aIndex)->bytes;
}

void TEditHistory::SetLimit(size_t aBytes) {
    fLimit = aBytes;
    KeepWithinLimit();
}

void TEditHistory::Clear() {
    fFirstState = ++fLastState;
    fSteps.clear();
    fCapture.reset();
    fDepth = 0;
    fPosition = 0;
    fSaved = 0;
    fBytes = 0;
}

void TEditHistory::SyncSavedMark(const TDataClass& d) {
    if (!d.fHasUnsavedChanges) fSaved = static_cast<long long>(fPosition);
}

void TEditHistory::Apply(TDataClass& d, REditStep& s, bool aForward) {
    ApplySamplePatch(d.items, s.items, aForward);
    ApplySamplePatch(d.undoItems, s.undoCopy, aForward);
    // Work channels are scratch space: only their length follows the record.
    d.workItems.ResizeItems(d.items.ItemCount());
    Put(s.channels, aForward, [&](const RChannelList& v) { v.Restore(d); });
    Put(s.view, aForward, [&](const RViewRanges& v) { v.Restore(d); });
    Put(s.evaluations, aForward, [&](const TEvaluationRecords& v) { d.fEvaluations = v; });
    Put(s.peaks, aForward, [&](const RObjectList& v) { v.Restore(d.peaks); });
    Put(s.tangents, aForward, [&](const RObjectList& v) { v.Restore(d.tangents); });
    Put(s.bubbles, aForward, [&](const RObjectList& v) { v.Restore(d.bubbles); });
    if (s.dTZeroShift != 0 && gConfig) gConfig->dTZeroLine += aForward ? s.dTZeroShift : -s.dTZeroShift;
    // What the step keeps changed sides: its size with them.
    fBytes -= s.bytes;
    s.bytes = BytesOf(s);
    fBytes += s.bytes;
}

void TEditHistory::KeepWithinLimit() {
    size_t dropped = 0;
    while (fBytes > fLimit && !fSteps.empty() && fPosition > 0) {
        fBytes -= fSteps.front()->bytes;
        fFirstState = fSteps.front()->state;
        fSteps.erase(fSteps.begin());
        --fPosition;
        --fSaved;  // before the first kept step it becomes unreachable (-1 and below)
        ++dropped;
    }
    if (fSaved < 0) fSaved = -1;
    if (dropped == 0) return;
    fDropped += dropped;
    if (!fTold) {
        fTold = true;
        UiHooks().MsgBox("История правки превысила " + std::to_string(fLimit >> 20) +
                         " МБ: самые старые шаги удалены из неё, их уже не отменить.");
    }
}

}  // namespace kalvero
