#include "data/SampleBlock.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace kalvero::sample_block {
namespace {

// From two huge pages on; the allocator maps such blocks from the system anyway.
constexpr size_t kMappedFrom = size_t{4} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

bool Mapped(size_t aBytes) {
    return aBytes >= kMappedFrom;
}

// A mapped block spans whole huge pages (aligned to them, so that a system that makes huge pages
// by itself can use them): one mapping, which can grow in place.
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
    // No huge-page advice: where the system makes huge pages only on request it compacts memory
    // for them while the load waits, which made the first load of a long record several times
    // slower than faulting in ordinary pages. Where it makes them anyway, this block gets them.
    return reinterpret_cast<void*>(aligned);
}

// Mapped blocks released lately, kept for the next record of about their size (closing one long
// record and loading the next, every load of a benchmark): the load then writes into pages the
// process holds already instead of faulting each one in from the system anew. The heap does the
// same for its blocks; these are mapped apart from it. At most a few blocks and 512 MB are kept.
class TKeptBlocks {
public:
    // A kept block of aSpan bytes or up to a quarter more (trimmed to aSpan); null when none.
    void* Take(size_t aSpan) {
        std::lock_guard lock(fLock);
        for (auto it = fBlocks.begin(); it != fBlocks.end(); ++it) {
            if (it->span < aSpan || it->span > aSpan + aSpan / 4) continue;
            const TBlock block = *it;
            fBlocks.erase(it);
            fBytes -= block.span;
            if (block.span > aSpan) ::munmap(static_cast<char*>(block.p) + aSpan, block.span - aSpan);
            return block.p;
        }
        return nullptr;
    }
    void Keep(void* aBlock, size_t aSpan) {
        std::vector<TBlock> dropped;
        {
            std::lock_guard lock(fLock);
            fBlocks.push_back({aBlock, aSpan});
            fBytes += aSpan;
            while (fBlocks.size() > kMaxBlocks || fBytes > kMaxBytes) {
                dropped.push_back(fBlocks.front());
                fBytes -= fBlocks.front().span;
                fBlocks.erase(fBlocks.begin());
            }
        }
        for (const TBlock& b : dropped)
            ::munmap(b.p, b.span);
    }

private:
    struct TBlock {
        void* p;
        size_t span;
    };
    static constexpr size_t kMaxBlocks = 4;
    static constexpr size_t kMaxBytes = size_t{512} << 20;
    std::mutex fLock;
    std::vector<TBlock> fBlocks;  // oldest first
    size_t fBytes = 0;
};

TKeptBlocks& Kept() {
    static TKeptBlocks* kept = new TKeptBlocks;  // never destroyed: blocks may go back at exit
    return *kept;
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
    if (aBytes != 0 && Mapped(aBytes))
        if (void* kept = Kept().Take(Span(aBytes))) return kept;
    if (aBytes == 0 || Mapped(aBytes)) return Allocate(aBytes);
    void* p = std::malloc(aBytes);
    if (!p) throw std::bad_alloc();
    return p;
}

void Release(void* aBlock, size_t aBytes) {
    if (!aBlock) return;
    if (Mapped(aBytes)) {
        Kept().Keep(aBlock, Span(aBytes));
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
