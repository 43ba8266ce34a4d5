// The memory an import takes against what it keeps: imports import<N>.csv (made first if missing,
// bench/BenchSupport.h) and prints the bytes of the imported arrays, the peak of the heap (every
// allocation of the process counted) and the growth of the peak resident size, which also holds
// the mapped pages of the file.
// Usage: kalvero-import-memory [ROWS=10000000]      (KALVERO_BENCH_DIR keeps the file)

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "../BenchSupport.h"
#include "import/ImportedRun.h"

namespace {

std::atomic<size_t> gHeap{0}, gPeak{0};

void* Take(size_t aSize) {
    // Each block carries its size in front, so that a delete without one can count it out.
    auto* block = static_cast<size_t*>(std::malloc(aSize + 16));
    if (!block) throw std::bad_alloc();
    *block = aSize;
    const size_t now = gHeap += aSize;
    size_t peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return reinterpret_cast<char*>(block) + 16;
}

void Give(void* aPointer) {
    if (!aPointer) return;
    auto* block = reinterpret_cast<size_t*>(static_cast<char*>(aPointer) - 16);
    gHeap -= *block;
    std::free(block);
}

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

void* operator new(size_t aSize) {
    return Take(aSize);
}
void* operator new[](size_t aSize) {
    return Take(aSize);
}
void operator delete(void* aPointer) noexcept {
    Give(aPointer);
}
void operator delete[](void* aPointer) noexcept {
    Give(aPointer);
}
void operator delete(void* aPointer, size_t) noexcept {
    Give(aPointer);
}
void operator delete[](void* aPointer, size_t) noexcept {
    Give(aPointer);
}

int main(int argc, char** argv) {
    const size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000;
    const std::string file = kalvero::bench::ImportCsvFile(rows);
    const size_t heapBefore = gHeap.load();
    gPeak = heapBefore;
    const long rssBefore = MaxRssKb();
    const kalvero::TImportedRun run = kalvero::ImportForeignFile(file);
    const double samples = static_cast<double>(
        (run.time.capacity() + run.temperature.capacity() + run.signal.capacity()) * sizeof(double) +
        run.segment.capacity() * sizeof(int32_t));
    const double heap = static_cast<double>(gPeak.load() - heapBefore);
    const double rss = static_cast<double>(MaxRssKb() - rssBefore) * 1024;
    std::printf("rows %zu, imported arrays %.1f MB\n", run.rowsRead, samples / 1e6);
    std::printf("heap peak  %.1f MB = arrays x %.3f\n", heap / 1e6, heap / samples);
    std::printf("rss growth %.1f MB = arrays x %.3f\n", rss / 1e6, rss / samples);
    return 0;
}
