#pragma once
// Text encodings used by the files of the system: inside the program every string is UTF-8;
// binary files, settings and logs carry single-byte Windows-1251 text.

#include <string>
#include <string_view>

namespace kalvero {

// UTF-8 to Windows-1251. Invalid UTF-8 and characters without a code in the page become '?'.
std::string Utf8ToCp1251(std::string_view aUtf8);

// Windows-1251 to UTF-8. Every byte has a meaning, so nothing is lost.
std::string Cp1251ToUtf8(std::string_view aBytes);

// UTF-8 to UTF-16 code units (little-endian order is applied by whoever writes them).
std::u16string Utf8ToUtf16(std::string_view aUtf8);

// Whether the bytes form well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view aBytes);

// Text file contents as UTF-8: kept when already valid UTF-8 (a byte-order mark is dropped),
// otherwise read as Windows-1251.
std::string DecodeTextFile(std::string_view aBytes);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view aUtf8);

// The first aCount characters of a UTF-8 text.
std::string Utf8Left(std::string_view aUtf8, size_t aCount);

}  // namespace kalvero
