#pragma once
// Uncompressed 24-bit TIFF pictures of the plot: one strip, rows top to bottom, R G B bytes.

#include <iosfwd>
#include <string>

class QImage;

namespace kalvero {

// Writes aBitmap (converted to 24 bits when it is not) at the stream's current position; every
// offset inside the file counts from there. The image directory starts on a word boundary, as
// the format requires: after an odd-sized pixel block one zero byte is inserted. std::invalid_argument
// for an empty picture, std::overflow_error when the pixel block would not fit 32-bit offsets.
void WriteTiffToStream(std::ostream& aStream, const QImage& aBitmap);
// Creates or replaces the file; a failed write leaves a previous file as it was.
void WriteTiffToFile(const std::string& aFileName, const QImage& aBitmap);

}  // namespace kalvero
