#include "common/StrProcs.h"

#include <bit>
#include <cctype>
#include <chrono>
#include <string_view>

#include "common/Cp1251.h"
#include "common/MsgBoxes.h"

namespace kalvero {

uint8_t SetBit(uint8_t b, uint8_t n) {
    return n < 8 ? static_cast<uint8_t>(b | (1u << n)) : b;
}

uint8_t ClearBit(uint8_t b, uint8_t n) {
    return n < 8 ? static_cast<uint8_t>(b & ~(1u << n)) : b;
}

uint8_t GetParityBit8(uint8_t aValue) {
    return static_cast<uint8_t>(std::popcount(aValue) & 1);
}

uint8_t GetParityBit16(uint16_t aValue) {
    return static_cast<uint8_t>(std::popcount(aValue) & 1);
}

uint8_t GetParityBit32(uint32_t aValue) {
    return static_cast<uint8_t>(std::popcount(aValue) & 1);
}

uint16_t TwoBytesToWord(uint8_t lo, uint8_t hi) {
    return static_cast<uint16_t>(hi * 256 + lo);
}

std::string IntToBin(int64_t Value, int Digits) {
    std::string s;
    for (int i = Digits; i >= 0; --i)
        s += ((Value >> (i < 63 ? i : 63)) & 1) ? '1' : '0';
    return s;
}

std::string Hex2Bin(const std::string& aHex) {
    std::string bits;
    for (char c : aHex) {
        const int u = std::toupper(static_cast<unsigned char>(c));
        int digit;
        if (u >= '0' && u <= '9') {
            digit = u - '0';
        } else if (u >= 'A' && u <= 'F') {
            digit = u - 'A' + 10;
        } else {
            MsgBox("This is not hexadecimal number");
            return bits;
        }
        for (int b = 3; b >= 0; --b)
            bits += (digit >> b) & 1 ? '1' : '0';
    }
    const size_t firstOne = bits.find_first_not_of('0');
    bits.erase(0, firstOne == std::string::npos ? (bits.empty() ? 0 : bits.size() - 1) : firstOne);
    return bits;
}

bool Empty(const std::string& aText) {
    for (char c : aText)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

std::string StrBeforeChar(const std::string& aStr, char aChar) {
    const size_t p = aStr.find(aChar);
    return p == std::string::npos ? std::string() : aStr.substr(0, p);
}

std::string StrAfterChar(const std::string& aStr, char aChar) {
    const size_t p = aStr.find(aChar);
    return p == std::string::npos ? std::string() : aStr.substr(p + 1);
}

std::string StrBetweenChars(const std::string& aStr, char aChar1, char aChar2) {
    const size_t p1 = aStr.find(aChar1);
    if (p1 == std::string::npos) return {};
    // Searching after the first marker lets the same character open and close ('"text"').
    const size_t p2 = aStr.find(aChar2, p1 + 1);
    return p2 == std::string::npos ? std::string() : aStr.substr(p1 + 1, p2 - p1 - 1);
}

void SplitStr(const std::string& aStr, char aDelimiter, std::vector<std::string>& aStrings) {
    size_t start = 0;
    for (;;) {
        const size_t p = aStr.find(aDelimiter, start);
        aStrings.push_back(aStr.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
}

void SplitStr(const std::string& aStr, char aDelimiter, std::string& aFirst, std::string& aSecond) {
    std::vector<std::string> pieces;
    SplitStr(aStr, aDelimiter, pieces);
    aFirst = pieces[0];
    aSecond = pieces.size() > 1 ? pieces[1] : std::string();
}

std::string FilterExcelSheetName(const std::string& aName) {
    std::string s;
    for (char c : Utf8Left(aName, 31))
        if (std::string_view("*/:?[\\]").find(c) == std::string_view::npos) s += c;
    return s;
}

void DelayUS(int64_t MicroS) {
    if (MicroS <= 0) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(MicroS);
    while (std::chrono::steady_clock::now() < until) {
    }
}

std::string URLEncodeUTF8(const std::string& aText) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (char c : aText) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '-' || c == '_' || c == '.' || c == '~') {
            s += c;
        } else {
            s += '%';
            s += kHex[b >> 4];
            s += kHex[b & 15];
        }
    }
    return s;
}

}  // namespace kalvero
