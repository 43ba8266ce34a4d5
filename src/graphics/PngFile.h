#pragma once
// 24-bit PNG pictures, written for speed: every row filtered by the row above ("Up") and
// compressed with run-length deflate, which suits plots (large even areas, thin lines).

#include <string>

class QImage;

namespace kalvero {

// The whole file in memory (32-bit pictures are read without a conversion). std::invalid_argument
// for an empty picture.
std::string EncodePng(const QImage& aBitmap);
// Creates or replaces the file; a failed write leaves a previous file as it was.
void WritePngFile(const std::string& aFileName, const QImage& aBitmap);

}  // namespace kalvero
