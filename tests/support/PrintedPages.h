#pragma once
// What a written PDF holds, for tests of printed pages.

#include <cstddef>
#include <string>

namespace kalvero::test {

// The number of page objects of a PDF file's bytes.
inline size_t PdfPageCount(const std::string& aPdf) {
    size_t pages = 0;
    for (size_t at = aPdf.find("/Type /Page\n"); at != std::string::npos;
         at = aPdf.find("/Type /Page\n", at + 1))
        ++pages;
    return pages;
}

// An A4 page lying on its side: 842 × 595 points.
inline bool IsLandscapeA4(const std::string& aPdf) {
    return aPdf.find("/MediaBox [0 0 842") != std::string::npos;
}

}  // namespace kalvero::test
