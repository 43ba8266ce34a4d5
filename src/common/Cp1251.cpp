#include "common/Cp1251.h"

#include <array>
#include <cstdint>

namespace kalvero {
namespace {

// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. Byte 0x98 has no character
// in the page and is carried as U+0098 so that any byte sequence survives a round trip.
constexpr std::array<char16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t ByteToCodePoint(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHighHalf[b - 0x80];
}

int CodePointToByte(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
    for (size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

// Decodes one code point at aPos; returns false (and advances by one byte) on a malformed sequence.
bool NextCodePoint(std::string_view s, size_t& aPos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[aPos]);
    if (b0 < 0x80) {
        cp = b0;
        ++aPos;
        return true;
    }
    int len = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++aPos;
        return false;
    }
    if (aPos + len > s.size()) {
        ++aPos;
        return false;
    }
    for (int i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[aPos + i]);
        if ((b & 0xC0) != 0x80) {
            ++aPos;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++aPos;
        return false;
    }
    aPos += len;
    return true;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8ToCp1251(std::string_view aUtf8) {
    std::string out;
    out.reserve(aUtf8.size());
    size_t pos = 0;
    while (pos < aUtf8.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(aUtf8, pos, cp)) {
            out += '?';
            continue;
        }
        const int b = CodePointToByte(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view aBytes) {
    std::string out;
    out.reserve(aBytes.size() * 2);
    for (char c : aBytes)
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Utf8ToUtf16(std::string_view aUtf8) {
    std::u16string out;
    out.reserve(aUtf8.size());
    size_t pos = 0;
    while (pos < aUtf8.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(aUtf8, pos, cp)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view aBytes) {
    size_t pos = 0;
    while (pos < aBytes.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(aBytes, pos, cp)) return false;
    }
    return true;
}

std::string DecodeTextFile(std::string_view aBytes) {
    if (aBytes.substr(0, 3) == "\xEF\xBB\xBF") aBytes.remove_prefix(3);
    if (IsValidUtf8(aBytes)) return std::string(aBytes);
    return Cp1251ToUtf8(aBytes);
}

size_t Utf8Length(std::string_view aUtf8) {
    size_t n = 0;
    for (char c : aUtf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

std::string Utf8Left(std::string_view aUtf8, size_t aCount) {
    size_t n = 0;
    for (size_t i = 0; i < aUtf8.size(); ++i) {
        if ((static_cast<unsigned char>(aUtf8[i]) & 0xC0) != 0x80) {
            if (n == aCount) return std::string(aUtf8.substr(0, i));
            ++n;
        }
    }
    return std::string(aUtf8);
}

}  // namespace kalvero
