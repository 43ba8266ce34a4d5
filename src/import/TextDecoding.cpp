#include "import/TextDecoding.h"

#include <cstring>

#include "common/Cp1251.h"

namespace kalvero::foreign {
namespace {

bool IsHighLetter(unsigned char b) {
    return b >= 0xC0 && b != 0xD7 && b != 0xF7;  // × and ÷ are no letters in Latin-1
}

bool IsAsciiLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Without a byte-order mark, UTF-16 shows as zero bytes in every other place: the high halves of
// the Latin characters and digits that fill a data file. Returns the byte order found, or teUtf8.
TTextEncoding Utf16WithoutMark(std::string_view aBytes) {
    const size_t n = std::min<size_t>(aBytes.size(), 4096) & ~size_t{1};
    if (n < 16) return teUtf8;
    size_t evenZeros = 0, oddZeros = 0;
    for (size_t i = 0; i < n; i += 2) {
        evenZeros += aBytes[i] == 0;
        oddZeros += aBytes[i + 1] == 0;
    }
    const size_t pairs = n / 2;
    if (oddZeros * 10 > pairs * 7 && evenZeros * 20 < pairs) return teUtf16LE;
    if (evenZeros * 10 > pairs * 7 && oddZeros * 20 < pairs) return teUtf16BE;
    return teUtf8;
}

std::string Utf16ToUtf8(std::string_view aBytes, bool aBigEndian) {
    std::string out;
    out.reserve(aBytes.size() / 2 + aBytes.size() / 8);
    const auto unit = [&](size_t i) -> char16_t {
        const auto b0 = static_cast<unsigned char>(aBytes[i]), b1 = static_cast<unsigned char>(aBytes[i + 1]);
        return static_cast<char16_t>(aBigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    };
    const size_t n = aBytes.size() & ~size_t{1};
    for (size_t i = 0; i < n; i += 2) {
        const char16_t u = unit(i);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n && unit(i + 2) >= 0xDC00 &&
                   unit(i + 2) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 2;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view aBytes) {
    std::string out;
    out.reserve(aBytes.size() + aBytes.size() / 8);
    for (const char c : aBytes)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

// Whether a piece of text is UTF-8: runs of ASCII are passed over quickly, each character beyond
// them checked on its own.
bool IsUtf8Piece(std::string_view aPiece) {
    for (size_t i = FirstNonAscii(aPiece); i < aPiece.size(); i += FirstNonAscii(aPiece.substr(i))) {
        const auto lead = static_cast<unsigned char>(aPiece[i]);
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (!IsValidUtf8(aPiece.substr(i, length))) return false;
        i += length;
    }
    return true;
}

// Whether the start of a text is UTF-8 (plain ASCII included); a character cut by the end of
// the start does not count against it.
bool StartsAsUtf8(std::string_view aBytes) {
    if (aBytes.size() > kSniffBytes) {
        size_t end = kSniffBytes;
        while (end > kSniffBytes - 3 && (static_cast<unsigned char>(aBytes[end]) & 0xC0) == 0x80)
            --end;
        aBytes = aBytes.substr(0, end);
    }
    return IsUtf8Piece(aBytes);
}

}  // namespace

size_t FirstNonAscii(std::string_view aBytes) {
    // Blocks of 64 bytes are or-ed together (the compiler turns this into vector code); only the
    // block that has a high bit is looked at byte by byte.
    const auto* p = reinterpret_cast<const unsigned char*>(aBytes.data());
    const size_t n = aBytes.size();
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        unsigned char any = 0;
        for (size_t k = 0; k < 64; ++k)
            any |= p[i + k];
        if (any & 0x80) break;
    }
    for (; i < n; ++i)
        if (p[i] & 0x80) return i;
    return n;
}

bool LooksLikeCp1251(std::string_view aBytes) {
    long cyrillic = 0, western = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(aBytes.data());
    const size_t n = aBytes.size();
    for (size_t i = FirstNonAscii(aBytes); i < n;) {
        if (!IsHighLetter(p[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < n && IsHighLetter(p[j]))
            ++j;
        const bool amongLatin = (i > 0 && IsAsciiLetter(p[i - 1])) || (j < n && IsAsciiLetter(p[j]));
        if (amongLatin)
            ++western;
        else if (j - i >= 2)
            ++cyrillic;
        i = j;
    }
    return cyrillic >= western;
}

TForeignText::TForeignText(std::string_view aBytes) {
    const auto starts = [&](std::string_view aMark) { return aBytes.substr(0, aMark.size()) == aMark; };
    TTextEncoding utf16 = teUtf8;
    if (starts("\xEF\xBB\xBF")) {
        fText = aBytes.substr(3);  // marked UTF-8 is taken as such, damaged bytes and all
        return;
    }
    if (starts("\xFF\xFE"))
        utf16 = teUtf16LE, aBytes.remove_prefix(2);
    else if (starts("\xFE\xFF"))
        utf16 = teUtf16BE, aBytes.remove_prefix(2);
    else if ((utf16 = Utf16WithoutMark(aBytes)) != teUtf8)
        fNotes.push_back("Текст в UTF-16 без метки порядка байтов: порядок определён по нулевым байтам");
    if (utf16 != teUtf8) {
        if (aBytes.size() % 2 != 0) fNotes.push_back("Файл в UTF-16 нечётной длины: последний байт отброшен");
        fEncoding = utf16;
        fCopy = Utf16ToUtf8(aBytes, utf16 == teUtf16BE);
        fText = fCopy;
        fConverted = true;
        return;
    }
    if (StartsAsUtf8(aBytes)) {
        fText = aBytes;
        return;
    }
    fConverted = true;
    if (LooksLikeCp1251(aBytes.substr(0, kSniffBytes))) {
        fEncoding = teCp1251;
        fCopy = Cp1251ToUtf8(aBytes);
        fNotes.push_back("Кодировка в файле не указана: текст прочитан как Windows-1251");
    } else {
        fEncoding = teLatin1;
        fCopy = Latin1ToUtf8(aBytes);
        fNotes.push_back("Кодировка в файле не указана: текст прочитан как Latin-1 (ISO 8859-1)");
    }
    fText = fCopy;
}

std::string TForeignText::EncodingName() const {
    switch (fEncoding) {
        case teUtf8:
            return "UTF-8";
        case teUtf16LE:
            return "UTF-16LE";
        case teUtf16BE:
            return "UTF-16BE";
        case teCp1251:
            return "Windows-1251";
        case teLatin1:
            return "Latin-1";
    }
    return "";
}

}  // namespace kalvero::foreign
