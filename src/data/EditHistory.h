#pragma once
// The editing history of an experiment: every edit is a step that keeps only what it changed, so
// that it can be undone and redone to the same bits. A step keeps the stretch of each channel's
// samples that differs (the side not in force: undoing exchanges it with the array's), the channel
// that came or went, and whole
// copies of the small objects (peaks, markers, tangents, evaluations, channel list, view ranges)
// that changed. The history is bounded in bytes; the oldest steps go first, and the operator is
// told once. The saved state is a mark in the history: going back to it makes the experiment
// unchanged again.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kalvero {

class TDataClass;
struct REditStep;
struct REditCapture;

inline constexpr size_t DEFAULT_HISTORY_MEGABYTES = 512;

class TEditHistory {
public:
    explicit TEditHistory(size_t aLimitBytes = DEFAULT_HISTORY_MEGABYTES << 20);
    ~TEditHistory();
    TEditHistory(const TEditHistory&) = delete;
    TEditHistory& operator=(const TEditHistory&) = delete;

    // A step named aName begins: the experiment as it stands is what undoing it returns to. Steps
    // begun inside a step belong to it. A disabled history (a run records) keeps nothing.
    void Begin(const TDataClass& d, const std::string& aName);
    // The step ends: what changed since Begin is kept. False when nothing changed (no step; the
    // unsaved-changes flag is as it was at Begin).
    bool Commit(TDataClass& d);

    bool CanUndo() const { return fPosition > 0; }
    bool CanRedo() const { return fPosition < fSteps.size(); }
    // The step that Undo (Redo) would take back (do again); empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    bool Undo(TDataClass& d);
    bool Redo(TDataClass& d);
    // Undoes or redoes steps until aPosition steps are in force (0: none of the kept ones).
    void GoTo(TDataClass& d, size_t aPosition);

    size_t Position() const { return fPosition; }
    // Names the state the experiment is in as far as the history knows it: undoing and redoing
    // back to a state gives its name again, any other edit a new one (for what was computed
    // from that state, such as a method's verdicts).
    uint64_t State() const;
    size_t StepCount() const { return fSteps.size(); }
    const std::string& StepName(size_t aIndex) const;
    size_t StepBytes(size_t aIndex) const;
    size_t Bytes() const { return fBytes; }
    size_t Limit() const { return fLimit; }
    // A smaller bound drops the oldest steps at once.
    void SetLimit(size_t aBytes);
    // Steps dropped for the bound so far.
    size_t DroppedSteps() const { return fDropped; }

    // Forgets every step (a load, a run): the experiment as it stands is the start.
    void Clear();
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool aEnabled) { fEnabled = aEnabled; }

private:
    // The saved mark follows a save made since the last step: an experiment without unsaved
    // changes is saved at the current position.
    void SyncSavedMark(const TDataClass& d);
    void Apply(TDataClass& d, REditStep& aStep, bool aForward);
    void KeepWithinLimit();

    std::vector<std::unique_ptr<REditStep>> fSteps;
    std::unique_ptr<REditCapture> fCapture;
    int fDepth = 0;
    size_t fPosition = 0;
    long long fSaved = 0;  // steps in force in the saved state; -1: no longer reachable
    size_t fBytes = 0, fLimit = 0, fDropped = 0;
    uint64_t fFirstState = 0, fLastState = 0;  // the state before the first step kept; the last named
    bool fEnabled = true, fTold = false;
};

// The bound of the histories from the settings ("HistoryMemoryMB"), in bytes.
size_t HistoryLimitBytes();

// Runs aEdit as one step named aName of the experiment's history: kept even when aEdit fails
// part-way (what it changed stays, as everywhere, and can be undone).
template <typename F>
void RecordEdit(TEditHistory& aHistory, TDataClass& d, const std::string& aName, F&& aEdit) {
    aHistory.Begin(d, aName);
    try {
        std::forward<F>(aEdit)();
    } catch (...) {
        aHistory.Commit(d);
        throw;
    }
    aHistory.Commit(d);
}

}  // namespace kalvero
