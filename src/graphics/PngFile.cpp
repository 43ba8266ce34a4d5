#include "graphics/PngFile.h"

#include <QImage>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/FileUtil.h"

namespace kalvero {
namespace {

void Put32(std::string& s, uint32_t v) {
    for (int k = 3; k >= 0; --k)
        s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

void Chunk(std::string& aOut, const char* aType, const std::string& aData) {
    Put32(aOut, static_cast<uint32_t>(aData.size()));
    const size_t start = aOut.size();
    aOut.append(aType, 4);
    aOut += aData;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(aOut.data() + start), static_cast<uInt>(aOut.size() - start));
    Put32(aOut, static_cast<uint32_t>(crc));
}

// Pixel x of row y as R, G, B.
struct TRows {
    const QImage& image;
    bool wide;  // 32-bit pixels
    size_t width;
    void Get(size_t y, uint8_t* aRgb) const {
        if (wide) {
            const uint32_t* src = reinterpret_cast<const uint32_t*>(image.constScanLine(static_cast<int>(y)));
            for (size_t x = 0; x < width; ++x) {
                aRgb[3 * x] = static_cast<uint8_t>(src[x] >> 16);
                aRgb[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
                aRgb[3 * x + 2] = static_cast<uint8_t>(src[x]);
            }
        } else {
            const uint8_t* src = image.constScanLine(static_cast<int>(y));
            std::copy(src, src + 3 * width, aRgb);
        }
    }
};

// Rows [aFrom, aTo) filtered and deflated as raw deflate data: ending on a byte boundary (sync
// flush) unless it is the last part, which closes the stream. aAdler is the checksum of the
// filtered bytes.
void DeflateRows(const TRows& aRows, size_t aFrom, size_t aTo, bool aLast, std::string& aOut, uLong& aAdler) {
    const size_t row = aRows.width * 3;
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK)
        throw std::runtime_error("deflateInit failed");
    aOut.assign(deflateBound(&z, static_cast<uLong>((row + 1) * (aTo - aFrom))) + 16, '\0');
    z.next_out = reinterpret_cast<Bytef*>(aOut.data());
    z.avail_out = static_cast<uInt>(aOut.size());
    aAdler = adler32(0, nullptr, 0);
    std::vector<uint8_t> line(row + 1), current(row), previous(row, 0);
    if (aFrom > 0) aRows.Get(aFrom - 1, previous.data());
    line[0] = 2;  // Up: each byte minus the byte above it; plots repeat most rows
    int status = Z_OK;
    for (size_t y = aFrom; y < aTo && status != Z_STREAM_ERROR; ++y) {
        aRows.Get(y, current.data());
        for (size_t x = 0; x < row; ++x)
            line[x + 1] = static_cast<uint8_t>(current[x] - previous[x]);
        previous.swap(current);
        aAdler = adler32(aAdler, line.data(), static_cast<uInt>(line.size()));
        z.next_in = line.data();
        z.avail_in = static_cast<uInt>(line.size());
        status = deflate(&z, y + 1 < aTo ? Z_NO_FLUSH : aLast ? Z_FINISH : Z_SYNC_FLUSH);
    }
    aOut.resize(z.total_out);
    deflateEnd(&z);
    if (status == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
}

}  // namespace

std::string EncodePng(const QImage& aBitmap) {
    if (aBitmap.isNull() || aBitmap.width() <= 0 || aBitmap.height() <= 0)
        throw std::invalid_argument("Cannot save an empty picture");
    // 32-bit pictures (the screen's) are read as they are; others go through 24-bit RGB.
    const bool wide = aBitmap.format() == QImage::Format_RGB32 || aBitmap.format() == QImage::Format_ARGB32;
    const QImage rgb = wide || aBitmap.format() == QImage::Format_RGB888
                           ? aBitmap
                           : aBitmap.convertToFormat(QImage::Format_RGB888);
    const size_t w = static_cast<size_t>(rgb.width()), h = static_cast<size_t>(rgb.height());
    const TRows rows{rgb, wide, w};

    // Large pictures are compressed in two halves at once; the halves join into one stream
    // because the first ends on a byte boundary and the checksums combine.
    const size_t middle = h * w >= 200000 ? h / 2 : 0;
    std::string first, second;
    uLong adlerFirst = 1, adlerSecond = 1;
    std::exception_ptr failure;
    std::thread helper;
    if (middle > 0) {
        helper = std::thread([&] {
            try {
                DeflateRows(rows, 0, middle, false, first, adlerFirst);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    }
    try {
        DeflateRows(rows, middle, h, true, second, adlerSecond);
    } catch (...) {
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (failure) std::rethrow_exception(failure);
    const z_off_t secondLength = static_cast<z_off_t>((h - middle) * (3 * w + 1));
    const uLong adler = middle > 0 ? adler32_combine(adlerFirst, adlerSecond, secondLength) : adlerSecond;

    std::string idat("\x78\x01", 2);  // zlib header: deflate, 32K window, fastest
    idat += first;
    idat += second;
    Put32(idat, static_cast<uint32_t>(adler));

    std::string out("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    Put32(header, static_cast<uint32_t>(w));
    Put32(header, static_cast<uint32_t>(h));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive filters, no interlace
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", idat);
    Chunk(out, "IEND", "");
    return out;
}

void WritePngFile(const std::string& aFileName, const QImage& aBitmap) {
    WriteFileAtomic(aFileName, EncodePng(aBitmap));
}

}  // namespace kalvero
