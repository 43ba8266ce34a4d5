#include <gtest/gtest.h>

#include <cstring>

#include "data/ItemArray.h"
#include "data/SampleBlock.h"

using namespace kalvero;

namespace {

// True when aBytes bytes from aFrom on are all zero.
bool Zero(const void* aBlock, size_t aFrom, size_t aBytes) {
    const auto* p = static_cast<const unsigned char*>(aBlock) + aFrom;
    for (size_t i = 0; i < aBytes; ++i)
        if (p[i] != 0) return false;
    return true;
}

}  // namespace

// Blocks below and above the size that is mapped on its own, grown and shrunk across it and
// within it: kept bytes stay, every byte beyond them reads zero.
TEST(SampleBlock, ResizingKeepsTheSamplesAndZeroesWhatIsNew) {
    constexpr size_t kMb = size_t{1} << 20;
    const size_t sizes[] = {1000,        3 * kMb + 7, 5 * kMb + 13, 9 * kMb + 1,
                            6 * kMb + 3, 7 * kMb + 9, 2 * kMb,      11 * kMb + 5};
    size_t size = 100;
    auto* block = static_cast<unsigned char*>(sample_block::Allocate(size));
    ASSERT_TRUE(Zero(block, 0, size));
    std::memset(block, 0xAB, size);
    for (size_t next : sizes) {
        block = static_cast<unsigned char*>(sample_block::Resize(block, size, next));
        const size_t kept = std::min(size, next);
        for (size_t i = 0; i < kept; i += 4099)
            ASSERT_EQ(block[i], 0xAB) << size << " → " << next << " at " << i;
        ASSERT_EQ(block[kept - 1], 0xAB) << size << " → " << next;
        // A shrink leaves the old bytes in the last page of a mapped block: a later growth must
        // not show them.
        if (next > size) {
            ASSERT_TRUE(Zero(block, size, next - size)) << size << " → " << next;
        }
        std::memset(block, 0xAB, next);
        size = next;
    }
    sample_block::Release(block, size);
    EXPECT_EQ(sample_block::Allocate(0), nullptr);
    sample_block::Release(nullptr, 0);
}

TEST(SampleBlock, ArraysOfSamplesAndOfRawReadings) {
    TItemArray items(3);
    items.ResizeItems(400000);  // 19 MB: a block of its own
    items[399999][2].dtc = 1.5f;
    items.ResizeItems(500000);
    EXPECT_EQ(items[399999][2].dtc, 1.5f);
    EXPECT_EQ(items[499999][2].t, 0);
    items.RemoveChannel(1);
    EXPECT_EQ(items.ChannelCount(), 2u);
    EXPECT_EQ(items[399999][1].dtc, 1.5f);
    const TItemArray copy = items;
    EXPECT_EQ(copy[399999][1].dtc, 1.5f);
    TRawReadingArray undo(1);
    undo.ResetForWriting(600000, 1);
    undo[599999][0] = {7, -7};
    undo.ResizeItems(700000);
    EXPECT_EQ(undo[599999][0].dt, -7);
    EXPECT_EQ(undo[699999][0].t, 0);
}

// A released long block serves the next block of about its size that is written in full; one
// that must read zero comes fresh, and so does one much smaller. Growing a reused block shows no
// old bytes.
TEST(SampleBlock, ReleasedLongBlocksServeTheNextLoad) {
    constexpr size_t kMb = size_t{1} << 20;
    auto* first = static_cast<unsigned char*>(sample_block::AllocateForWriting(40 * kMb));
    std::memset(first, 0xCD, 40 * kMb);
    sample_block::Release(first, 40 * kMb);

    auto* zeroed = static_cast<unsigned char*>(sample_block::Allocate(40 * kMb));
    EXPECT_TRUE(Zero(zeroed, 0, 40 * kMb));
    auto* small = sample_block::AllocateForWriting(8 * kMb);
    EXPECT_NE(small, static_cast<void*>(first));
    sample_block::Release(small, 8 * kMb);

    auto* again = static_cast<unsigned char*>(sample_block::AllocateForWriting(38 * kMb + 5));
    EXPECT_EQ(again, first);
    std::memset(again, 0x11, 38 * kMb + 5);
    again = static_cast<unsigned char*>(sample_block::Resize(again, 38 * kMb + 5, 45 * kMb));
    EXPECT_EQ(again[38 * kMb + 4], 0x11);
    EXPECT_TRUE(Zero(again, 38 * kMb + 5, 45 * kMb - (38 * kMb + 5)));
    sample_block::Release(again, 45 * kMb);
    sample_block::Release(zeroed, 40 * kMb);
}
