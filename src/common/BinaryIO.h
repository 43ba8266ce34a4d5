#pragma once
// Little-endian readers and writers for the binary files of the system (experiments, tables,
// programs). The reader never reads past its buffer: a short read raises EReadError.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace kalvero {

class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBinaryWriter {
public:
    template <typename T>
    void Write(T aValue) {
        static_assert(std::is_arithmetic_v<T>);
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, &aValue, sizeof(T));
        if constexpr (std::endian::native == std::endian::big) std::reverse(raw, raw + sizeof(T));
        fData.append(reinterpret_cast<const char*>(raw), sizeof(T));
    }
    void WriteBytes(std::string_view aBytes) { fData.append(aBytes); }
    void WriteZeros(size_t aCount) { fData.append(aCount, '\0'); }
    // A short string field of aMaxLen + 1 bytes: the length byte, then the Windows-1251
    // characters, cut to aMaxLen, padded with zeros.
    void WriteShortString(std::string_view aUtf8, size_t aMaxLen);
    // The 80-bit x87 extended real.
    void WriteExtended(double aValue);

    const std::string& Data() const { return fData; }
    std::string& Data() { return fData; }
    size_t Size() const { return fData.size(); }

private:
    std::string fData;
};

class TBinaryReader {
public:
    explicit TBinaryReader(std::string_view aData) : fData(aData) {}
    // The reader keeps a view: a temporary string would be gone before the first read.
    explicit TBinaryReader(std::string&&) = delete;

    template <typename T>
    T Read() {
        static_assert(std::is_arithmetic_v<T>);
        unsigned char raw[sizeof(T)];
        std::memcpy(raw, Take(sizeof(T)), sizeof(T));
        if constexpr (std::endian::native == std::endian::big) std::reverse(raw, raw + sizeof(T));
        T value;
        std::memcpy(&value, raw, sizeof(T));
        return value;
    }
    std::string_view ReadBytes(size_t aCount) { return {Take(aCount), aCount}; }
    void Skip(size_t aCount) { Take(aCount); }
    // Reads a whole short string field (aMaxLen + 1 bytes); a length byte above aMaxLen is
    // clipped to the field, never read past it. The text comes back as UTF-8.
    std::string ReadShortString(size_t aMaxLen);
    double ReadExtended();

    size_t Position() const { return fPos; }
    void Seek(size_t aPos);
    size_t Size() const { return fData.size(); }
    size_t Remaining() const { return fData.size() - fPos; }

private:
    const char* Take(size_t aCount);

    std::string_view fData;
    size_t fPos = 0;
};

// The 80-bit x87 extended real in its 10-byte little-endian layout, by portable arithmetic.
void EncodeExtended(double aValue, unsigned char aOut[10]);
double DecodeExtended(const unsigned char aIn[10]);

}  // namespace kalvero
