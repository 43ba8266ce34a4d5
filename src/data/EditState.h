#pragma once
// The small parts of an experiment that an edit may change besides its samples, as whole copies
// the history keeps when they changed: the channel list, the view's ranges, the evaluations and the
// objects on the curves. Each compares bit for bit and puts itself back into the experiment.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/Object.h"
#include "data/DataClass.h"

namespace kalvero {

struct RChannelList {
    std::vector<TChannelDescriptor> descriptors;
    uint8_t currentChannel = 0, firstScanChannel = 0, lastScanChannel = 0;
    bool showLegend = false, wasFirstScan = false;
    size_t undoLength = 0;
    std::vector<int32_t> segmentStarts;

    static RChannelList Of(const TDataClass& d);
    void Restore(TDataClass& d) const;
    bool operator==(const RChannelList& aOther) const;
    size_t Bytes() const;
};

// The view's item and reading ranges and the statistics range: a cut or a zero-line move changes
// them, and undoing must give them back with the samples they point into.
struct RViewRanges {
    int32_t x[8] = {}, y[8] = {}, values[4] = {};
    uint32_t calcInfo[2] = {};

    static RViewRanges Of(const TDataClass& d);
    void Restore(TDataClass& d) const;
    bool operator==(const RViewRanges& aOther) const = default;
};

// The evaluations, comparing their numbers as bits (an unset number is NaN).
bool SameEvaluations(const TEvaluationRecords& a, const TEvaluationRecords& b);
size_t EvaluationBytes(const TEvaluationRecords& aRecords);

// One collection's objects, copied with their keys. Peaks, tangents and markers are the objects
// an experiment holds; another kind of object is kept as absent.
struct RObjectList {
    std::vector<std::pair<std::string, std::unique_ptr<TObject>>> objects;

    static RObjectList Of(const TObjectCollection& aCollection);
    // The collection emptied and filled with fresh copies (the list stays for the next time).
    void Restore(TObjectCollection& aCollection) const;
    bool operator==(const RObjectList& aOther) const;
    size_t Bytes() const;
};

// Everything an edit may change, as it stands: what a step is made from, and what tests compare.
struct RExperimentState {
    TItemArray items;
    TRawReadingArray undoCopy;
    RChannelList channels;
    RViewRanges view;
    TEvaluationRecords evaluations;
    RObjectList peaks, tangents, bubbles;
    bool unsaved = false;

    static RExperimentState Of(const TDataClass& d);
};

}  // namespace kalvero
