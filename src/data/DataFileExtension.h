#pragma once
// What an experiment file carries beyond the readings of its layout: the physical scale of an
// experiment in physical units, where it came from, its segments and its evaluations. They travel
// as one JSON text in a block at the very end of the file, after the last channel block, and the
// block ends in a fixed tail that identifies it:
//
//   JSON text (UTF-8) | CRC-32 of the text (uint32) | text length (uint64) | "KALVEXT1"
//
// A reader of the recorded layouts reads as many records as the header announces and never reaches
// the block. An experiment in physical units is written with FileVersion "2.0" and, in ItemCount,
// an item count beyond the end of the file: a reader of the 1.x layouts takes any other version
// for the older layout and stops at the end of the file with its read error instead of taking the
// readings for converter counts. The true item count is in the block.

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvero {

inline constexpr const char* DATAFILE_VER_2_0 = "2.0";
inline constexpr std::string_view DATAFILE_EXTENSION_MAGIC = "KALVEXT1";
inline constexpr size_t DATAFILE_EXTENSION_TAIL = 4 + 8 + 8;

// The block for aJson, to be written after the last channel block.
std::string EncodeExtensionBlock(std::string_view aJson);

// The file's bytes without a block at their end, and the block's text in aJson (empty when the
// file has none). A tail whose length or check sum does not fit is not a block: the bytes stay
// whole and aJson empty.
std::string_view SplitExtensionBlock(std::string_view aBytes, std::string& aJson);

// The header's item count of a physical experiment's file of aFileSize bytes: more records than
// the older layout could find in it from byte 8000.
int32_t DecoyItemCount(uint64_t aFileSize);

}  // namespace kalvero
