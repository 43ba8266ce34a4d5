#pragma once
// What an edit did to a sample array, kept small: the stretch of each channel that differs, the
// stretch of items cut out or put in, the channels added or the one removed, and only when nothing
// narrower describes it the whole array before and after. Samples compare bit for bit.

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
        pkWhole           // anything else: both arrays whole
    };
    struct RSpan {
        size_t channel = 0, first = 0;
        std::vector<T> before, after;
    };

    TKind kind = pkNone;
    size_t itemsBefore = 0, itemsAfter = 0, channelsBefore = 0, channelsAfter = 0;
    std::vector<RSpan> spans;      // pkColumns
    size_t first = 0, column = 0;  // pkRows: the first differing row; pkRemovedColumn: the channel
    std::vector<T> before, after;  // pkRows: the rows; pkAddedColumns: after; pkRemovedColumn: before
    TSampleArray<T> wholeBefore, wholeAfter;  // pkWhole

    bool Empty() const { return kind == pkNone; }
    size_t Bytes() const;
};

// What turned aBefore into aAfter.
template <typename T>
RSamplePatch<T> MakeSamplePatch(const TSampleArray<T>& aBefore, const TSampleArray<T>& aAfter);
// Turns the after state into the before state (aForward false) or back (true).
template <typename T>
void ApplySamplePatch(TSampleArray<T>& aArray, const RSamplePatch<T>& aPatch, bool aForward);

extern template struct RSamplePatch<TItem>;
extern template struct RSamplePatch<TRawReading>;

}  // namespace kalvero
