#include "common/BinaryIO.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "common/Cp1251.h"

namespace kalvero {

void TBinaryWriter::WriteShortString(std::string_view aUtf8, size_t aMaxLen) {
    std::string bytes = Utf8ToCp1251(aUtf8);
    if (bytes.size() > aMaxLen) bytes.resize(aMaxLen);
    Write<uint8_t>(static_cast<uint8_t>(bytes.size()));
    fData += bytes;
    WriteZeros(aMaxLen - bytes.size());
}

void TBinaryWriter::WriteExtended(double aValue) {
    unsigned char raw[10];
    EncodeExtended(aValue, raw);
    fData.append(reinterpret_cast<const char*>(raw), 10);
}

const char* TBinaryReader::Take(size_t aCount) {
    if (aCount > fData.size() - fPos) throw EReadError("Read beyond end of file");
    const char* p = fData.data() + fPos;
    fPos += aCount;
    return p;
}

void TBinaryReader::Seek(size_t aPos) {
    if (aPos > fData.size()) throw EReadError("Read beyond end of file");
    fPos = aPos;
}

std::string TBinaryReader::ReadShortString(size_t aMaxLen) {
    const size_t len = std::min<size_t>(Read<uint8_t>(), aMaxLen);
    const std::string_view field = ReadBytes(aMaxLen);
    return Cp1251ToUtf8(field.substr(0, len));
}

double TBinaryReader::ReadExtended() {
    return DecodeExtended(reinterpret_cast<const unsigned char*>(Take(10)));
}

void EncodeExtended(double aValue, unsigned char aOut[10]) {
    uint16_t signExp = std::signbit(aValue) ? 0x8000 : 0;
    uint64_t mantissa = 0;
    if (std::isnan(aValue)) {
        signExp |= 0x7FFF;
        mantissa = 0xC000000000000000ULL;
    } else if (std::isinf(aValue)) {
        signExp |= 0x7FFF;
        mantissa = 0x8000000000000000ULL;
    } else if (aValue != 0) {
        int exp = 0;
        // frexp gives |v| = f * 2^exp with f in [0.5, 1); the extended form keeps 1.xxx * 2^(exp-1)
        // with the integer bit explicit. Every double (denormals too) is a normal extended.
        const double f = std::frexp(std::fabs(aValue), &exp);
        mantissa = static_cast<uint64_t>(std::ldexp(f, 64));
        signExp |= static_cast<uint16_t>(exp - 1 + 16383);
    }
    for (int i = 0; i < 8; ++i)
        aOut[i] = static_cast<unsigned char>(mantissa >> (8 * i));
    aOut[8] = static_cast<unsigned char>(signExp & 0xFF);
    aOut[9] = static_cast<unsigned char>(signExp >> 8);
}

double DecodeExtended(const unsigned char aIn[10]) {
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<uint64_t>(aIn[i]) << (8 * i);
    const uint16_t signExp = static_cast<uint16_t>(aIn[8] | (aIn[9] << 8));
    const bool negative = (signExp & 0x8000) != 0;
    const int exp = signExp & 0x7FFF;
    double value = 0;
    if (exp == 0x7FFF) {
        value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
    } else if (mantissa != 0) {
        // Denormal extendeds have exponent field 0 but mean 2^-16382.
        const int e = (exp == 0 ? 1 : exp) - 16383 - 63;
        value = std::ldexp(static_cast<double>(mantissa), e);
    }
    return negative ? -value : value;
}

}  // namespace kalvero
