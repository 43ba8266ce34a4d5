#pragma once
// Samples stored contiguously, item after item, each item holding a fixed number of channels:
// items[i][ch] addresses sample ch of item i. Long records (ten million items) stay one block.
// The block comes zeroed from the system (SampleBlock.h): large blocks are mapped lazily, so a
// work area that is never used costs no memory traffic.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kalvero {

// One sample: raw readings and the calibrated values computed from them.
struct TItem {
    int32_t t = 0;   // raw temperature reading
    int32_t dt = 0;  // raw differential reading
    float tc = 0;    // temperature, degrees
    float dtc = 0;   // differential temperature, degrees
};
static_assert(sizeof(TItem) == 16);
static_assert(std::is_trivially_copyable_v<TItem>);

// The raw readings of a sample alone: what the undo copy keeps.
struct TRawReading {
    int32_t t = 0;
    int32_t dt = 0;
};
static_assert(sizeof(TRawReading) == 8);

template <typename T>
class TSampleArray {
public:
    explicit TSampleArray(size_t aChannels = 1) : fChannels(aChannels) {}
    ~TSampleArray();
    TSampleArray(const TSampleArray& aOther);
    TSampleArray& operator=(const TSampleArray& aOther);
    TSampleArray(TSampleArray&& aOther) noexcept;
    TSampleArray& operator=(TSampleArray&& aOther) noexcept;

    size_t ItemCount() const { return fItemCount; }
    size_t ChannelCount() const { return fChannels; }
    bool Empty() const { return fItemCount == 0; }

    T* operator[](size_t aItem) { return fData + aItem * fChannels; }
    const T* operator[](size_t aItem) const { return fData + aItem * fChannels; }
    T* Data() { return fData; }
    const T* Data() const { return fData; }

    // New items are zero; existing items keep their samples.
    void ResizeItems(size_t aItemCount);
    // New channels are zero, surplus channels are dropped from the end of every item.
    void ResizeChannels(size_t aChannels);
    // Removes channel aChannel of every item, moving later channels down.
    void RemoveChannel(size_t aChannel);
    void Clear() { Reset(0, fChannels); }
    void Zero();
    // aItemCount zero items of aChannels channels.
    void Reset(size_t aItemCount, size_t aChannels);
    // The same shape with samples of no defined value: for a caller that writes every one.
    void ResetForWriting(size_t aItemCount, size_t aChannels);

private:
    size_t Bytes() const { return fItemCount * fChannels * sizeof(T); }
    void Replace(T* aData, size_t aItemCount, size_t aChannels);

    T* fData = nullptr;
    size_t fItemCount = 0;
    size_t fChannels = 1;
};

extern template class TSampleArray<TItem>;
extern template class TSampleArray<TRawReading>;

using TItemArray = TSampleArray<TItem>;
using TRawReadingArray = TSampleArray<TRawReading>;

}  // namespace kalvero
