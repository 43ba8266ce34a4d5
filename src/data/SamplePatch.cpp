#include "data/SamplePatch.h"

#include <algorithm>
#include <cstring>

namespace kalvero {
namespace {

// Samples compare as bits: a NaN equals itself, -0 differs from 0.
template <typename T>
bool Same(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Equal elements at the start of two runs of aCount, compared a block at a time: an edit of a
// hundredth of a long record skips the rest at memory speed.
template <typename T>
size_t CommonPrefix(const T* a, const T* b, size_t aCount) {
    constexpr size_t kBlock = 4096;
    size_t i = 0;
    while (i + kBlock <= aCount && std::memcmp(a + i, b + i, kBlock * sizeof(T)) == 0)
        i += kBlock;
    while (i < aCount && Same(a[i], b[i]))
        ++i;
    return i;
}

// Equal elements at the end of two runs of aCount ending at aEnd and bEnd.
template <typename T>
size_t CommonSuffix(const T* aEnd, const T* bEnd, size_t aCount) {
    constexpr size_t kBlock = 4096;
    size_t i = 0;
    while (i + kBlock <= aCount && std::memcmp(aEnd - i - kBlock, bEnd - i - kBlock, kBlock * sizeof(T)) == 0)
        i += kBlock;
    while (i < aCount && Same(aEnd[-1 - static_cast<ptrdiff_t>(i)], bEnd[-1 - static_cast<ptrdiff_t>(i)]))
        ++i;
    return i;
}

template <typename T>
std::vector<T> Column(const TSampleArray<T>& a, size_t aChannel, size_t aFirst, size_t aEnd) {
    std::vector<T> out;
    out.reserve(aEnd - aFirst);
    for (size_t i = aFirst; i < aEnd; ++i)
        out.push_back(a[i][aChannel]);
    return out;
}

// Channels aFrom … aTo − 1 of every item, in a sample block: a channel of a long record taken
// out and put back at every undo and redo reuses the pages of the one before.
template <typename T>
TSampleArray<T> Columns(const TSampleArray<T>& a, size_t aFrom, size_t aTo) {
    const size_t width = aTo - aFrom;
    TSampleArray<T> out(width);
    out.ResetForWriting(a.ItemCount(), width);
    for (size_t i = 0; i < a.ItemCount(); ++i)
        std::copy_n(a[i] + aFrom, width, out[i]);
    return out;
}

template <typename T>
void DiffColumns(const TSampleArray<T>& a, const TSampleArray<T>& b, RSamplePatch<T>& p) {
    const size_t n = a.ItemCount(), c = a.ChannelCount();
    const size_t firstRow = CommonPrefix(a.Data(), b.Data(), n * c) / c;
    if (firstRow == n) return;
    const size_t endRow = n - CommonSuffix(a.Data() + n * c, b.Data() + n * c, (n - firstRow) * c) / c;
    p.kind = RSamplePatch<T>::pkColumns;
    for (size_t ch = 0; ch < c; ++ch) {
        size_t first = firstRow, end = endRow;
        while (first < end && Same(a[first][ch], b[first][ch]))
            ++first;
        while (end > first && Same(a[end - 1][ch], b[end - 1][ch]))
            --end;
        if (first < end) p.spans.push_back({ch, first, Column(a, ch, first, end)});
    }
}

template <typename T>
void DiffRows(const TSampleArray<T>& a, const TSampleArray<T>& b, RSamplePatch<T>& p) {
    const size_t c = a.ChannelCount(), na = a.ItemCount(), nb = b.ItemCount();
    const size_t shorter = std::min(na, nb);
    const size_t first = CommonPrefix(a.Data(), b.Data(), shorter * c) / c;
    const size_t tail = CommonSuffix(a.Data() + na * c, b.Data() + nb * c, (shorter - first) * c) / c;
    p.kind = RSamplePatch<T>::pkRows;
    p.first = first, p.tail = tail;
    p.samples.assign(a[first], a[first] + (na - tail - first) * c);
}

// Whether the first aChannels channels of every item agree.
template <typename T>
bool SameLeadingChannels(const TSampleArray<T>& a, const TSampleArray<T>& b, size_t aChannels) {
    for (size_t i = 0; i < a.ItemCount(); ++i)
        if (std::memcmp(a[i], b[i], aChannels * sizeof(T)) != 0) return false;
    return true;
}

template <typename T>
bool DiffAddedColumns(const TSampleArray<T>& a, const TSampleArray<T>& b, RSamplePatch<T>& p) {
    if (!SameLeadingChannels(a, b, a.ChannelCount())) return false;
    p.kind = RSamplePatch<T>::pkAddedColumns;  // the added channels are in the array, in force
    return true;
}

template <typename T>
bool DiffRemovedColumn(const TSampleArray<T>& a, const TSampleArray<T>& b, RSamplePatch<T>& p) {
    const size_t cb = b.ChannelCount(), n = a.ItemCount();
    size_t removed = cb;  // the first channel of b that is not a's channel of the same number
    for (size_t i = 0; i < n && removed > 0; ++i)
        for (size_t ch = 0; ch < removed; ++ch)
            if (!Same(a[i][ch], b[i][ch])) {
                removed = ch;
                break;
            }
    for (size_t i = 0; i < n; ++i)
        if (std::memcmp(a[i] + removed + 1, b[i] + removed, (cb - removed) * sizeof(T)) != 0) return false;
    p.kind = RSamplePatch<T>::pkRemovedColumn;
    p.column = removed;
    p.columns = Columns(a, removed, removed + 1);
    return true;
}

template <typename T>
void MoveRows(TSampleArray<T>& a, size_t aFrom, size_t aTo, size_t aRows) {
    if (aRows > 0) std::memmove(a[aTo], a[aFrom], aRows * a.ChannelCount() * sizeof(T));
}

// The stretch of rows in the array and the one kept change places.
template <typename T>
void SwapRows(TSampleArray<T>& a, RSamplePatch<T>& p) {
    const size_t c = a.ChannelCount(), n = a.ItemCount();
    const size_t inArray = n - p.first - p.tail, kept = p.samples.size() / c;
    std::vector<T> taken(a[p.first], a[p.first] + inArray * c);
    if (kept > inArray) a.ResizeItems(p.first + kept + p.tail);
    MoveRows(a, p.first + inArray, p.first + kept, p.tail);
    if (kept < inArray) a.ResizeItems(p.first + kept + p.tail);
    std::copy(p.samples.begin(), p.samples.end(), a[p.first]);
    p.samples = std::move(taken);
}

template <typename T>
void PutColumns(TSampleArray<T>& a, size_t aFrom, size_t aTo, TSampleArray<T>& aColumns) {
    for (size_t i = 0; i < a.ItemCount(); ++i)
        std::copy_n(aColumns[i], aTo - aFrom, a[i] + aFrom);
    aColumns = TSampleArray<T>();
}

}  // namespace

template <typename T>
size_t RSamplePatch<T>::Bytes() const {
    size_t kept = samples.size() + columns.ItemCount() * columns.ChannelCount() +
                  whole.ItemCount() * whole.ChannelCount();
    for (const RSpan& s : spans)
        kept += s.samples.size();
    return kept * sizeof(T) + spans.size() * sizeof(RSpan) + sizeof(*this);
}

template <typename T>
RSamplePatch<T> MakeSamplePatch(const TSampleArray<T>& aBefore, const TSampleArray<T>& aAfter) {
    RSamplePatch<T> p;
    p.channelsBefore = aBefore.ChannelCount(), p.channelsAfter = aAfter.ChannelCount();
    const size_t items = aBefore.ItemCount();
    const bool sameItems = items == aAfter.ItemCount(), sameChannels = p.channelsBefore == p.channelsAfter;
    if (sameItems && sameChannels) {
        if (items > 0 && p.channelsBefore > 0) DiffColumns(aBefore, aAfter, p);
        return p;
    }
    if (sameChannels && p.channelsBefore > 0) {
        DiffRows(aBefore, aAfter, p);
        return p;
    }
    if (sameItems && p.channelsAfter > p.channelsBefore && DiffAddedColumns(aBefore, aAfter, p)) return p;
    if (sameItems && p.channelsAfter + 1 == p.channelsBefore && DiffRemovedColumn(aBefore, aAfter, p))
        return p;
    p.kind = RSamplePatch<T>::pkWhole;
    p.whole = aBefore;
    return p;
}

template <typename T>
void ApplySamplePatch(TSampleArray<T>& a, RSamplePatch<T>& p, bool aForward) {
    switch (p.kind) {
        case RSamplePatch<T>::pkNone:
            break;
        case RSamplePatch<T>::pkColumns:
            for (auto& s : p.spans)
                for (size_t k = 0; k < s.samples.size(); ++k)
                    std::swap(a[s.first + k][s.channel], s.samples[k]);
            break;
        case RSamplePatch<T>::pkRows:
            SwapRows(a, p);
            break;
        case RSamplePatch<T>::pkAddedColumns:
            if (aForward) {
                a.ResizeChannels(p.channelsAfter);
                PutColumns(a, p.channelsBefore, p.channelsAfter, p.columns);
            } else {
                p.columns = Columns(a, p.channelsBefore, p.channelsAfter);
                a.ResizeChannels(p.channelsBefore);
            }
            break;
        case RSamplePatch<T>::pkRemovedColumn:
            if (aForward) {
                p.columns = Columns(a, p.column, p.column + 1);
                a.RemoveChannel(p.column);
                break;
            }
            a.ResizeChannels(p.channelsBefore);
            for (size_t i = 0; i < a.ItemCount(); ++i) {
                T* row = a[i];
                std::copy_backward(row + p.column, row + p.channelsAfter, row + p.channelsBefore);
                row[p.column] = p.columns[i][0];
            }
            p.columns = TSampleArray<T>();
            break;
        case RSamplePatch<T>::pkWhole:
            std::swap(a, p.whole);
            break;
    }
}

template struct RSamplePatch<TItem>;
template struct RSamplePatch<TRawReading>;
template RSamplePatch<TItem> MakeSamplePatch(const TItemArray&, const TItemArray&);
template RSamplePatch<TRawReading> MakeSamplePatch(const TRawReadingArray&, const TRawReadingArray&);
template void ApplySamplePatch(TItemArray&, RSamplePatch<TItem>&, bool);
template void ApplySamplePatch(TRawReadingArray&, RSamplePatch<TRawReading>&, bool);

}  // namespace kalvero
