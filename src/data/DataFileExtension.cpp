#include "data/DataFileExtension.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace kalvero {
namespace {

uint32_t Crc(std::string_view aText) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    for (size_t at = 0; at < aText.size();) {
        const size_t n = std::min<size_t>(aText.size() - at, std::numeric_limits<uInt>::max());
        crc = crc32(crc, reinterpret_cast<const Bytef*>(aText.data() + at), static_cast<uInt>(n));
        at += n;
    }
    return static_cast<uint32_t>(crc);
}

template <typename T>
void Append(std::string& aOut, T aValue) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &aValue, sizeof(T));  // the file's numbers are little-endian, as this machine's
    aOut.append(bytes, sizeof(T));
}

template <typename T>
T Read(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return v;
}

}  // namespace

std::string EncodeExtensionBlock(std::string_view aJson) {
    std::string block(aJson);
    Append<uint32_t>(block, Crc(aJson));
    Append<uint64_t>(block, aJson.size());
    block.append(DATAFILE_EXTENSION_MAGIC);
    return block;
}

std::string_view SplitExtensionBlock(std::string_view aBytes, std::string& aJson) {
    aJson.clear();
    if (aBytes.size() < DATAFILE_EXTENSION_TAIL) return aBytes;
    const char* tail = aBytes.data() + aBytes.size() - DATAFILE_EXTENSION_TAIL;
    if (std::string_view(tail + 12, 8) != DATAFILE_EXTENSION_MAGIC) return aBytes;
    const uint64_t length = Read<uint64_t>(tail + 4);
    if (length > aBytes.size() - DATAFILE_EXTENSION_TAIL) return aBytes;
    const std::string_view text(tail - length, length);
    if (Crc(text) != Read<uint32_t>(tail)) return aBytes;
    aJson.assign(text);
    return aBytes.substr(0, aBytes.size() - DATAFILE_EXTENSION_TAIL - length);
}

int32_t DecoyItemCount(uint64_t aFileSize) {
    return static_cast<int32_t>(std::min<uint64_t>(aFileSize / 8 + 1, std::numeric_limits<int32_t>::max()));
}

}  // namespace kalvero
