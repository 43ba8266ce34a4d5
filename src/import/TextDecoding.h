#pragma once
// Text exports come in whatever encoding the instrument's computer used: UTF-8 with or without a
// byte-order mark, UTF-16 with one (or, seen by its zero bytes, without), or a single-byte page
// (Windows-1251 or Latin-1, told apart by how their letters sit in words). The readers work on
// UTF-8 only: UTF-8 files are read in place, anything else is converted into a UTF-8 copy first.
// The first megabyte decides: all the header is there, and a byte further on that is not UTF-8
// can only stand in a row that is no row of numbers, which is left out whatever its encoding.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvero::foreign {

// Bytes at the start of a text that decide its encoding.
constexpr size_t kSniffBytes = size_t{1} << 20;

enum TTextEncoding : uint8_t { teUtf8, teUtf16LE, teUtf16BE, teCp1251, teLatin1 };

// The bytes of a file as UTF-8 text. Neither copied nor moved: Text() may point into the bytes.
class TForeignText {
public:
    explicit TForeignText(std::string_view aBytes);
    TForeignText(const TForeignText&) = delete;
    TForeignText& operator=(const TForeignText&) = delete;

    std::string_view Text() const { return fText; }
    // Whether Text() is a converted copy rather than the bytes themselves.
    bool Converted() const { return fConverted; }
    TTextEncoding Encoding() const { return fEncoding; }
    // "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1251", "Latin-1".
    std::string EncodingName() const;
    // What was assumed on the way (in Russian, for the warnings of the import).
    const std::vector<std::string>& Notes() const { return fNotes; }

private:
    std::string_view fText;
    std::string fCopy;
    bool fConverted = false;
    TTextEncoding fEncoding = teUtf8;
    std::vector<std::string> fNotes;
};

// Whether Windows-1251 reads the bytes better than Latin-1: Cyrillic words are runs of letters
// from the upper half of the page standing on their own, Western words carry an accented letter or
// two among plain Latin ones.
bool LooksLikeCp1251(std::string_view aBytes);

// Index of the first byte of 0x80 or above; aBytes.size() when the text is plain ASCII.
size_t FirstNonAscii(std::string_view aBytes);

}  // namespace kalvero::foreign
