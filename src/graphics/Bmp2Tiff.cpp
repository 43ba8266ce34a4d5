#include "graphics/Bmp2Tiff.h"

#include <QImage>

#include <cstdint>
#include <limits>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "common/FileUtil.h"

namespace kalvero {
namespace {

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5, kAscii = 2 };

constexpr uint32_t kPixelOffset = 40;
constexpr char kSoftware[10] = "Kalvero 1";  // nine characters and the closing zero

void Put16(std::ostream& s, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    s.write(b, 2);
}

void Put32(std::ostream& s, uint32_t v) {
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    s.write(b, 4);
}

// One directory entry; a SHORT value sits in the first two bytes of the value field.
void PutEntry(std::ostream& s, uint16_t aTag, uint16_t aType, uint32_t aCount, uint32_t aValue) {
    Put16(s, aTag);
    Put16(s, aType);
    Put32(s, aCount);
    if (aType == kShort && aCount == 1) {
        Put16(s, static_cast<uint16_t>(aValue));
        Put16(s, 0);
    } else {
        Put32(s, aValue);
    }
}

}  // namespace

void WriteTiffToStream(std::ostream& aStream, const QImage& aBitmap) {
    if (aBitmap.isNull() || aBitmap.width() <= 0 || aBitmap.height() <= 0)
        throw std::invalid_argument("Cannot save an empty picture");
    const QImage rgb =
        aBitmap.format() == QImage::Format_RGB888 ? aBitmap : aBitmap.convertToFormat(QImage::Format_RGB888);
    const uint64_t width = static_cast<uint64_t>(rgb.width()), height = static_cast<uint64_t>(rgb.height());
    const uint64_t rowBytes = width * 3, stripBytes = rowBytes * height;
    const uint64_t dirOffset = kPixelOffset + stripBytes + (stripBytes & 1);
    if (dirOffset + 2 + 15 * 12 + 4 > std::numeric_limits<uint32_t>::max())
        throw std::overflow_error("Integer overflow");

    const std::streampos start = aStream.tellp();
    aStream.write("II", 2);
    Put16(aStream, 42);
    Put32(aStream, 0);  // directory offset, written last
    for (int k = 0; k < 2; ++k)
        Put32(aStream, 877), Put32(aStream, 10);
    for (int k = 0; k < 3; ++k)
        Put16(aStream, 8);
    aStream.write(kSoftware, sizeof kSoftware);
    for (int y = 0; y < rgb.height(); ++y)
        aStream.write(reinterpret_cast<const char*>(rgb.constScanLine(y)),
                      static_cast<std::streamsize>(rowBytes));
    if (stripBytes & 1) aStream.put('\0');

    // Sizes beyond 16 bits need the LONG form of the two size tags.
    const uint16_t sizeType = width > 0xFFFF || height > 0xFFFF ? kLong : kShort;
    Put16(aStream, 15);
    PutEntry(aStream, 254, kLong, 1, 0);
    PutEntry(aStream, 256, sizeType, 1, static_cast<uint32_t>(width));
    PutEntry(aStream, 257, sizeType, 1, static_cast<uint32_t>(height));
    PutEntry(aStream, 258, kShort, 3, 24);
    PutEntry(aStream, 259, kShort, 1, 1);
    PutEntry(aStream, 262, kShort, 1, 2);
    PutEntry(aStream, 273, kLong, 1, kPixelOffset);
    PutEntry(aStream, 277, kShort, 1, 3);
    PutEntry(aStream, 278, kLong, 1, static_cast<uint32_t>(height));
    PutEntry(aStream, 279, kLong, 1, static_cast<uint32_t>(stripBytes));
    PutEntry(aStream, 282, kRational, 1, 8);
    PutEntry(aStream, 283, kRational, 1, 16);
    PutEntry(aStream, 284, kShort, 1, 1);
    PutEntry(aStream, 296, kShort, 1, 2);
    PutEntry(aStream, 305, kAscii, sizeof kSoftware, 30);
    Put32(aStream, 0);

    const std::streampos end = aStream.tellp();
    aStream.seekp(start + std::streamoff(4));
    Put32(aStream, static_cast<uint32_t>(dirOffset));
    aStream.seekp(end);
    if (!aStream) throw std::runtime_error("TIFF stream write failed");
}

void WriteTiffToFile(const std::string& aFileName, const QImage& aBitmap) {
    std::ostringstream bytes;
    WriteTiffToStream(bytes, aBitmap);
    WriteFileAtomic(aFileName, bytes.str());
}

}  // namespace kalvero
