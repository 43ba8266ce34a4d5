#pragma once
// Zeroed memory blocks for sample arrays. Blocks of a few megabytes and more are mapped from
// the system on their own, so that a long record grows in place and untouched parts of its block
// cost nothing. A few such blocks released lately are kept for the next record written in full
// (AllocateForWriting): faulting in the pages of a ten-million-sample record anew costs more than
// loading its samples.

#include <cstddef>

namespace kalvero::sample_block {

// aBytes zeroed bytes (null for 0); std::bad_alloc when there is no memory.
void* Allocate(size_t aBytes);
// The same for a caller that writes every byte before reading any: a block below the mapped size
// is not cleared first.
void* AllocateForWriting(size_t aBytes);
// Releases a block of aBytes from Allocate or Resize (null is allowed).
void Release(void* aBlock, size_t aBytes);
// The block at its new size, keeping the first min(aOldBytes, aNewBytes) bytes and zeroing the
// rest; the old block is released (std::bad_alloc leaves it as it was).
void* Resize(void* aBlock, size_t aOldBytes, size_t aNewBytes);

}  // namespace kalvero::sample_block
