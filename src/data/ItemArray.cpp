#include "data/ItemArray.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "data/SampleBlock.h"

namespace kalvero {
namespace {

template <typename T>
T* AllocateZeroed(size_t aCount) {
    if (aCount > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(sample_block::Allocate(aCount * sizeof(T)));
}

// For an array whose every sample is written at once: a block released lately serves, its pages
// already in (an edit's copy of a long record takes the pages of the copy before it).
template <typename T>
T* AllocateForWriting(size_t aCount) {
    if (aCount > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(sample_block::AllocateForWriting(aCount * sizeof(T)));
}

}  // namespace

template <typename T>
TSampleArray<T>::~TSampleArray() {
    sample_block::Release(fData, Bytes());
}

template <typename T>
TSampleArray<T>::TSampleArray(const TSampleArray& aOther) : fChannels(aOther.fChannels) {
    fData = AllocateForWriting<T>(aOther.fItemCount * aOther.fChannels);
    fItemCount = aOther.fItemCount;
    if (fData) std::memcpy(fData, aOther.fData, Bytes());
}

template <typename T>
TSampleArray<T>& TSampleArray<T>::operator=(const TSampleArray& aOther) {
    if (this != &aOther) *this = TSampleArray(aOther);
    return *this;
}

template <typename T>
TSampleArray<T>::TSampleArray(TSampleArray&& aOther) noexcept
    : fData(std::exchange(aOther.fData, nullptr)),
      fItemCount(std::exchange(aOther.fItemCount, 0)),
      fChannels(aOther.fChannels) {}

template <typename T>
TSampleArray<T>& TSampleArray<T>::operator=(TSampleArray&& aOther) noexcept {
    std::swap(fData, aOther.fData);
    std::swap(fItemCount, aOther.fItemCount);
    std::swap(fChannels, aOther.fChannels);
    return *this;
}

template <typename T>
void TSampleArray<T>::Replace(T* aData, size_t aItemCount, size_t aChannels) {
    sample_block::Release(fData, Bytes());
    fData = aData;
    fItemCount = aItemCount;
    fChannels = aChannels;
}

template <typename T>
void TSampleArray<T>::Reset(size_t aItemCount, size_t aChannels) {
    if (aChannels > 0 && aItemCount > SIZE_MAX / aChannels) throw std::bad_alloc();
    Replace(AllocateZeroed<T>(aItemCount * aChannels), aItemCount, aChannels);
}

template <typename T>
void TSampleArray<T>::ResetForWriting(size_t aItemCount, size_t aChannels) {
    if (aChannels > 0 && aItemCount > SIZE_MAX / aChannels / sizeof(T)) throw std::bad_alloc();
    Replace(static_cast<T*>(sample_block::AllocateForWriting(aItemCount * aChannels * sizeof(T))), aItemCount,
            aChannels);
}

template <typename T>
void TSampleArray<T>::ResizeItems(size_t aItemCount) {
    if (aItemCount == fItemCount) return;
    if (aItemCount > SIZE_MAX / sizeof(T) / std::max<size_t>(1, fChannels)) throw std::bad_alloc();
    fData = static_cast<T*>(sample_block::Resize(fData, Bytes(), aItemCount * fChannels * sizeof(T)));
    fItemCount = aItemCount;
}

template <typename T>
void TSampleArray<T>::ResizeChannels(size_t aChannels) {
    if (aChannels == fChannels) return;
    if (aChannels > 0 && fItemCount > SIZE_MAX / aChannels) throw std::bad_alloc();
    T* data = AllocateForWriting<T>(fItemCount * aChannels);
    const size_t keep = std::min(aChannels, fChannels);
    for (size_t i = 0; i < fItemCount; ++i) {
        std::copy_n(fData + i * fChannels, keep, data + i * aChannels);
        std::fill(data + i * aChannels + keep, data + (i + 1) * aChannels, T{});
    }
    sample_block::Release(fData, Bytes());
    fData = data;
    fChannels = aChannels;
}

template <typename T>
void TSampleArray<T>::RemoveChannel(size_t aChannel) {
    if (aChannel >= fChannels) return;
    const size_t channels = fChannels - 1;
    T* data = AllocateForWriting<T>(fItemCount * channels);
    for (size_t i = 0; i < fItemCount; ++i) {
        const T* from = fData + i * fChannels;
        T* to = data + i * channels;
        std::copy_n(from, aChannel, to);
        std::copy(from + aChannel + 1, from + fChannels, to + aChannel);
    }
    sample_block::Release(fData, Bytes());
    fData = data;
    fChannels = channels;
}

template <typename T>
void TSampleArray<T>::Zero() {
    if (fData) std::memset(static_cast<void*>(fData), 0, Bytes());
}

template class TSampleArray<TItem>;
template class TSampleArray<TRawReading>;

}  // namespace kalvero
