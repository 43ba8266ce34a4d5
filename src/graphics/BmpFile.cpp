#include "graphics/BmpFile.h"

#include <QImage>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "common/FileUtil.h"

namespace kalvero {

std::string EncodeBmp24(const QImage& aBitmap) {
    if (aBitmap.isNull() || aBitmap.width() <= 0 || aBitmap.height() <= 0)
        throw std::invalid_argument("Cannot save an empty picture");
    const QImage rgb =
        aBitmap.format() == QImage::Format_RGB888 ? aBitmap : aBitmap.convertToFormat(QImage::Format_RGB888);
    const uint64_t width = static_cast<uint64_t>(rgb.width()), height = static_cast<uint64_t>(rgb.height());
    const uint64_t stride = (width * 3 + 3) / 4 * 4;
    const uint64_t imageBytes = stride * height, fileBytes = 54 + imageBytes;
    if (fileBytes > std::numeric_limits<int32_t>::max()) throw std::overflow_error("Integer overflow");

    std::string out(static_cast<size_t>(fileBytes), '\0');
    auto put16 = [&](size_t at, uint16_t v) {
        out[at] = static_cast<char>(v & 0xFF), out[at + 1] = static_cast<char>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            out[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    out[0] = 'B', out[1] = 'M';
    put32(2, static_cast<uint32_t>(fileBytes));
    put32(10, 54);  // pixels follow the two headers
    put32(14, 40);  // BITMAPINFOHEADER
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));  // positive: bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, static_cast<uint32_t>(imageBytes));
    for (uint64_t y = 0; y < height; ++y) {
        const uchar* src = rgb.constScanLine(static_cast<int>(height - 1 - y));
        char* dst = out.data() + 54 + y * stride;
        for (uint64_t x = 0; x < width; ++x) {
            dst[3 * x] = static_cast<char>(src[3 * x + 2]);
            dst[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            dst[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
    }
    return out;
}

void WriteBmpFile(const std::string& aFileName, const QImage& aBitmap) {
    WriteFileAtomic(aFileName, EncodeBmp24(aBitmap));
}

}  // namespace kalvero
