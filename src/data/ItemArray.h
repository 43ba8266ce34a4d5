#pragma once
// Samples stored contiguously, item after item, each item holding a fixed number of channels:
// items[i][ch] addresses sample ch of item i. Long records (ten million items) stay one block.
// The block comes zeroed from the allocator: large blocks are mapped lazily by the system, so a
// work area that is never used costs no memory traffic.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

class TItemArray {
public:
    explicit TItemArray(size_t aChannels = 1) : fChannels(aChannels) {}
    ~TItemArray() { std::free(fData); }
    TItemArray(const TItemArray& aOther);
    TItemArray& operator=(const TItemArray& aOther);
    TItemArray(TItemArray&& aOther) noexcept;
    TItemArray& operator=(TItemArray&& aOther) noexcept;

    size_t ItemCount() const { return fItemCount; }
    size_t ChannelCount() const { return fChannels; }
    bool Empty() const { return fItemCount == 0; }

    TItem* operator[](size_t aItem) { return fData + aItem * fChannels; }
    const TItem* operator[](size_t aItem) const { return fData + aItem * fChannels; }
    TItem* Data() { return fData; }
    const TItem* Data() const { return fData; }

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

private:
    TItem* fData = nullptr;
    size_t fItemCount = 0;
    size_t fChannels = 1;
};

}  // namespace kalvero
