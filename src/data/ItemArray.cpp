#include "data/ItemArray.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace kalvero {
namespace {

TItem* AllocateZeroed(size_t aCount) {
    if (aCount == 0) return nullptr;
    if (aCount > SIZE_MAX / sizeof(TItem)) throw std::bad_alloc();
    auto* p = static_cast<TItem*>(std::calloc(aCount, sizeof(TItem)));
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

TItemArray::TItemArray(const TItemArray& aOther) : fChannels(aOther.fChannels) {
    fData = AllocateZeroed(aOther.fItemCount * aOther.fChannels);
    fItemCount = aOther.fItemCount;
    if (fData) std::memcpy(fData, aOther.fData, fItemCount * fChannels * sizeof(TItem));
}

TItemArray& TItemArray::operator=(const TItemArray& aOther) {
    if (this != &aOther) *this = TItemArray(aOther);
    return *this;
}

TItemArray::TItemArray(TItemArray&& aOther) noexcept
    : fData(std::exchange(aOther.fData, nullptr)),
      fItemCount(std::exchange(aOther.fItemCount, 0)),
      fChannels(aOther.fChannels) {}

TItemArray& TItemArray::operator=(TItemArray&& aOther) noexcept {
    std::swap(fData, aOther.fData);
    std::swap(fItemCount, aOther.fItemCount);
    std::swap(fChannels, aOther.fChannels);
    return *this;
}

void TItemArray::Reset(size_t aItemCount, size_t aChannels) {
    TItem* data = AllocateZeroed(aItemCount * aChannels);
    std::free(fData);
    fData = data;
    fItemCount = aItemCount;
    fChannels = aChannels;
}

void TItemArray::ResizeItems(size_t aItemCount) {
    if (aItemCount == fItemCount) return;
    const size_t count = aItemCount * fChannels;
    if (count == 0) {
        Reset(0, fChannels);
        return;
    }
    if (aItemCount > SIZE_MAX / sizeof(TItem) / std::max<size_t>(1, fChannels)) throw std::bad_alloc();
    auto* p = static_cast<TItem*>(std::realloc(fData, count * sizeof(TItem)));
    if (!p) throw std::bad_alloc();
    if (aItemCount > fItemCount) {
        std::memset(static_cast<void*>(p + fItemCount * fChannels), 0,
                    (aItemCount - fItemCount) * fChannels * sizeof(TItem));
    }
    fData = p;
    fItemCount = aItemCount;
}

void TItemArray::ResizeChannels(size_t aChannels) {
    if (aChannels == fChannels) return;
    TItem* data = AllocateZeroed(fItemCount * aChannels);
    const size_t keep = std::min(aChannels, fChannels);
    for (size_t i = 0; i < fItemCount; ++i)
        std::copy_n(fData + i * fChannels, keep, data + i * aChannels);
    std::free(fData);
    fData = data;
    fChannels = aChannels;
}

void TItemArray::RemoveChannel(size_t aChannel) {
    if (aChannel >= fChannels) return;
    const size_t channels = fChannels - 1;
    TItem* data = AllocateZeroed(fItemCount * channels);
    for (size_t i = 0; i < fItemCount; ++i) {
        const TItem* from = fData + i * fChannels;
        TItem* to = data + i * channels;
        std::copy_n(from, aChannel, to);
        std::copy(from + aChannel + 1, from + fChannels, to + aChannel);
    }
    std::free(fData);
    fData = data;
    fChannels = channels;
}

void TItemArray::Zero() {
    if (fData) std::memset(static_cast<void*>(fData), 0, fItemCount * fChannels * sizeof(TItem));
}

}  // namespace kalvero
