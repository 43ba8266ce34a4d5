#pragma once
// Uncompressed 24-bit BMP pictures: rows bottom to top, B G R bytes, rows padded to 4 bytes.

#include <string>

class QImage;

namespace kalvero {

// The whole file in memory. std::invalid_argument for an empty picture, std::overflow_error
// beyond the format's 32-bit sizes.
std::string EncodeBmp24(const QImage& aBitmap);
// Creates or replaces the file; a failed write leaves a previous file as it was.
void WriteBmpFile(const std::string& aFileName, const QImage& aBitmap);

}  // namespace kalvero
