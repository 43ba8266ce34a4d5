#include "data/SampleBlock.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kalvero::sample_block {
namespace {

// From two huge pages on; the allocator maps such blocks from the system anyway, in small pages.
constexpr size_t kMappedFrom = size_t{4} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

bool Mapped(size_t aBytes) {
    return aBytes >= kMappedFrom;
}

// A mapped block spans whole huge pages: one mapping of one kind, which can grow in place.
size_t Span(size_t aBytes) {
    return (aBytes + kHugePage - 1) / kHugePage * kHugePage;
}

void* Map(size_t aBytes) {
    const size_t span = Span(aBytes);
    // Mapped a huge page larger and trimmed to a huge-page boundary at both ends.
    void* raw = ::mmap(nullptr, span + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = start + span + kHugePage;
    if (end > aligned + span) ::munmap(reinterpret_cast<void*>(aligned + span), end - aligned - span);
    void* p = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    // A refusal leaves ordinary pages.
    ::madvise(p, span, MADV_HUGEPAGE);
#endif
    return p;
}

}  // namespace

void* Allocate(size_t aBytes) {
    if (aBytes == 0) return nullptr;
    if (Mapped(aBytes)) return Map(aBytes);
    void* p = std::calloc(aBytes, 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void* AllocateForWriting(size_t aBytes) {
    if (aBytes == 0 || Mapped(aBytes)) return Allocate(aBytes);
    void* p = std::malloc(aBytes);
    if (!p) throw std::bad_alloc();
    return p;
}

void Release(void* aBlock, size_t aBytes) {
    if (!aBlock) return;
    if (Mapped(aBytes)) {
        ::munmap(aBlock, Span(aBytes));
    } else {
        std::free(aBlock);
    }
}

void* Resize(void* aBlock, size_t aOldBytes, size_t aNewBytes) {
    if (!aBlock) return Allocate(aNewBytes);
    if (aNewBytes == 0) {
        Release(aBlock, aOldBytes);
        return nullptr;
    }
    if (!Mapped(aOldBytes) && !Mapped(aNewBytes)) {
        void* p = std::realloc(aBlock, aNewBytes);
        if (!p) throw std::bad_alloc();
        if (aNewBytes > aOldBytes) std::memset(static_cast<char*>(p) + aOldBytes, 0, aNewBytes - aOldBytes);
        return p;
    }
    if (Mapped(aOldBytes) && Mapped(aNewBytes)) {
        // The pages move, not their contents; pages added come zeroed, the rest of the last old
        // page may hold what a shrink left there.
        void* p = ::mremap(aBlock, Span(aOldBytes), Span(aNewBytes), MREMAP_MAYMOVE);
        if (p == MAP_FAILED) throw std::bad_alloc();
        if (aNewBytes > aOldBytes) {
            const size_t stale = std::min(aNewBytes, Span(aOldBytes)) - aOldBytes;
            std::memset(static_cast<char*>(p) + aOldBytes, 0, stale);
        }
        return p;
    }
    // Across the size the blocks are mapped from: a new block, only the kept bytes copied.
    void* p = Allocate(aNewBytes);
    std::memcpy(p, aBlock, aOldBytes < aNewBytes ? aOldBytes : aNewBytes);
    Release(aBlock, aOldBytes);
    return p;
}

}  // namespace kalvero::sample_block
