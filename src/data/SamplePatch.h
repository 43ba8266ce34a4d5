#pragma once
// What an edit did to a sample array, kept small: the stretch of each channel that differs, the
// stretch of items cut out or put in, the channels added or the one removed, and only when nothing
// narrower describes it the whole array. A patch keeps only the side that is not in the array: the
// samples before the edit while the edit is in force, the samples after it once it is undone;
// applying it exchanges the two. Samples compare bit for bit.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/ItemArray.h"

namespace kalvero {

template <typename T>
struct RSamplePatch {
    enum TKind : uint8_t {
        pkNone,           // nothing changed
        pkColumns,        // the same shape: per channel the differing stretch
        pkRows,           // the same channels, items put in or taken out: one stretch of rows
        pkAddedColumns,   // the same items, channels added at the end
        pkRemovedColumn,  // the same items, one channel removed
        pkWhole           // anything else: the whole array
    };
    struct RSpan {
        size_t channel = 0, first = 0;
        std::vector<T> samples;
    };

    TKind kind = pkNone;
    size_t channelsBefore = 0, channelsAfter = 0;
    std::vector<RSpan> spans;    // pkColumns
    size_t first = 0, tail = 0;  // pkRows: the rows before and after the stretch that differs
    size_t column = 0;           // pkRemovedColumn: the channel
    std::vector<T> samples;      // pkRows: the side not in force
    TSampleArray<T> columns;     // pkAddedColumns, pkRemovedColumn: the channels not in force
    TSampleArray<T> whole;       // pkWhole

    bool Empty() const { return kind == pkNone; }
    size_t Bytes() const;
};

// What turned aBefore into aAfter (aAfter in force: the patch keeps the before side).
template <typename T>
RSamplePatch<T> MakeSamplePatch(const TSampleArray<T>& aBefore, const TSampleArray<T>& aAfter);
// Undoes (aForward false) or redoes the edit on the array, the patch keeping what it replaced.
template <typename T>
void ApplySamplePatch(TSampleArray<T>& aArray, RSamplePatch<T>& aPatch, bool aForward);

extern template struct RSamplePatch<TItem>;
extern template struct RSamplePatch<TRawReading>;

}  // namespace kalvero
