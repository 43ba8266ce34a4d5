#pragma once
// Bit twiddling and small text utilities.

#include <cstdint>
#include <string>
#include <vector>

namespace kalvero {

// b with bit n set / cleared; bit numbers beyond 7 leave b as it is.
uint8_t SetBit(uint8_t b, uint8_t n);
uint8_t ClearBit(uint8_t b, uint8_t n);
// Exclusive-or of all bits of the value: 1 for an odd number of set bits.
uint8_t GetParityBit8(uint8_t aValue);
uint8_t GetParityBit16(uint16_t aValue);
uint8_t GetParityBit32(uint32_t aValue);
// hi × 256 + lo.
uint16_t TwoBytesToWord(uint8_t lo, uint8_t hi);

// "1"/"0" for bits Digits down to 0 of Value (Digits + 1 characters; empty when Digits < 0).
// Bits above 63 repeat the sign bit.
std::string IntToBin(int64_t Value, int Digits);
// The binary digits of a hexadecimal text (either case), four per hex digit, leading zeros
// dropped down to one digit. A character that is not a hex digit shows "This is not hexadecimal
// number" and returns the digits of the characters before it, as they are.
std::string Hex2Bin(const std::string& aHex);

// Whether the text holds nothing but blanks.
bool Empty(const std::string& aText);

// The part before / after the first aChar; empty when aChar is missing.
std::string StrBeforeChar(const std::string& aStr, char aChar);
std::string StrAfterChar(const std::string& aStr, char aChar);
// The part between the first aChar1 and the first aChar2 after it; empty when either is missing.
std::string StrBetweenChars(const std::string& aStr, char aChar1, char aChar2);

// Appends the pieces between delimiters to aStrings (n delimiters give n + 1 pieces).
void SplitStr(const std::string& aStr, char aDelimiter, std::vector<std::string>& aStrings);
// The first two pieces; a missing piece is empty.
void SplitStr(const std::string& aStr, char aDelimiter, std::string& aFirst, std::string& aSecond);

// A valid spreadsheet sheet name: the first 31 characters without * / : ? [ \ ].
std::string FilterExcelSheetName(const std::string& aName);

// Busy-waits MicroS microseconds (short hardware delays where sleeping is too coarse).
void DelayUS(int64_t MicroS);

// Percent-encodes the UTF-8 text for a URL: A-Z a-z 0-9 - _ . ~ stay, every other byte becomes
// %XX (upper-case hex), so a space is "%20".
std::string URLEncodeUTF8(const std::string& aText);

}  // namespace kalvero
