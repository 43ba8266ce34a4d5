#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <sstream>

#include "graphics/Bmp2Tiff.h"
#include "graphics/BmpFile.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiTestEnvironment.h"
#include "graphics/PngFile.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TTempDir;

namespace {

uint32_t U16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8;
}

uint32_t U32(const std::string& s, size_t at) {
    return U16(s, at) | U16(s, at + 2) << 16;
}

struct REntry {
    uint32_t tag, type, count, value;
};

// The directory entries of a TIFF file, the value read as SHORT when the type says so.
std::vector<REntry> Directory(const std::string& s) {
    const uint32_t at = U32(s, 4);
    std::vector<REntry> entries;
    for (uint32_t k = 0; k < U16(s, at); ++k) {
        const size_t e = at + 2 + 12 * k;
        const uint32_t type = U16(s, e + 2), count = U32(s, e + 4);
        entries.push_back({U16(s, e), type, count, type == 3 && count == 1 ? U16(s, e + 8) : U32(s, e + 8)});
    }
    return entries;
}

QImage TwoPixels() {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    image.setPixel(1, 0, qRgb(40, 50, 60));
    return image;
}

}  // namespace

TEST(PictureFiles, TiffOfTwoPixelsHasThePrescribedLayout) {
    std::ostringstream out;
    WriteTiffToStream(out, TwoPixels());
    const std::string s = out.str();
    ASSERT_EQ(s.size(), 46u + 2 + 15 * 12 + 4);
    EXPECT_EQ(s.substr(0, 4), std::string("II\x2A\0", 4));
    EXPECT_EQ(U32(s, 4), 46u);
    EXPECT_EQ(U32(s, 8), 877u);
    EXPECT_EQ(U32(s, 12), 10u);
    EXPECT_EQ(U32(s, 16), 877u);
    EXPECT_EQ(U32(s, 20), 10u);
    EXPECT_EQ(U16(s, 24), 8u);
    EXPECT_EQ(U16(s, 28), 8u);
    EXPECT_EQ(s[39], '\0');
    EXPECT_LE(std::strlen(s.c_str() + 30), 9u);
    EXPECT_EQ(s.substr(40, 6), std::string("\x0A\x14\x1E\x28\x32\x3C"));  // R G B, R G B

    const std::vector<REntry> expected = {{254, 4, 1, 0}, {256, 3, 1, 2}, {257, 3, 1, 1},  {258, 3, 3, 24},
                                          {259, 3, 1, 1}, {262, 3, 1, 2}, {273, 4, 1, 40}, {277, 3, 1, 3},
                                          {278, 4, 1, 1}, {279, 4, 1, 6}, {282, 5, 1, 8},  {283, 5, 1, 16},
                                          {284, 3, 1, 1}, {296, 3, 1, 2}, {305, 2, 10, 30}};
    const std::vector<REntry> entries = Directory(s);
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(entries[k].tag, expected[k].tag);
        EXPECT_EQ(entries[k].type, expected[k].type) << entries[k].tag;
        EXPECT_EQ(entries[k].count, expected[k].count) << entries[k].tag;
        EXPECT_EQ(entries[k].value, expected[k].value) << entries[k].tag;
    }
    EXPECT_EQ(U32(s, 46 + 2 + 15 * 12), 0u);  // no next directory
}

TEST(PictureFiles, TiffDirectoryAfterAnOddPixelBlockStartsOnAWord) {
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(qRgb(1, 2, 3));
    std::ostringstream out;
    out << "xyz";  // offsets count from where the picture starts
    WriteTiffToStream(out, one);
    const std::string s = out.str().substr(3);
    EXPECT_EQ(U32(s, 4), 44u);
    EXPECT_EQ(s.substr(40, 4), std::string("\x01\x02\x03\x00", 4));
    const auto entries = Directory(s);
    EXPECT_EQ(entries[9].tag, 279u);
    EXPECT_EQ(entries[9].value, 3u);  // the pad byte is not part of the strip
    EXPECT_THROW(WriteTiffToStream(out, QImage()), std::invalid_argument);
}

TEST(PictureFiles, BmpIsBottomUpBgrWithPaddedRows) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    image.setPixel(0, 1, qRgb(1, 2, 3));  // bottom-left
    image.setPixel(2, 0, qRgb(7, 8, 9));  // top-right
    const std::string s = EncodeBmp24(image);
    ASSERT_EQ(s.size(), 54u + 2 * 12);
    EXPECT_EQ(s.substr(0, 2), "BM");
    EXPECT_EQ(U32(s, 2), 78u);
    EXPECT_EQ(U32(s, 10), 54u);
    EXPECT_EQ(U32(s, 14), 40u);
    EXPECT_EQ(U32(s, 18), 3u);
    EXPECT_EQ(U32(s, 22), 2u);
    EXPECT_EQ(U16(s, 26), 1u);
    EXPECT_EQ(U16(s, 28), 24u);
    EXPECT_EQ(U32(s, 30), 0u);  // uncompressed
    EXPECT_EQ(U32(s, 34), 24u);
    EXPECT_EQ(s.substr(54, 3), "\x03\x02\x01");            // first stored row is the bottom one
    EXPECT_EQ(s.substr(63, 3), std::string("\0\0\0", 3));  // row padding to 12 bytes
    EXPECT_EQ(s.substr(66 + 6, 3), "\x09\x08\x07");
}

TEST(PictureFiles, CanvasSavesTheWholeSurface) {
    kalvero::test::TTestConfig config;
    TTempDir dir;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    TDataCanvas canvas;
    canvas.SetCanvas(&image, 30, 20);
    canvas.SetDimensions(30, 20);
    canvas.SetPen(psSolid, RGB(255, 0, 0), 1);
    canvas.Line(0, 0, 0, 9, false, false);  // surface column 10, rows 0 … 9

    canvas.SaveToBmpFile(dir.Str() + "plot.tif");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "plot.tif"));
    const std::string bmp = ReadFileBytes(dir.Path() / "plot.bmp");
    ASSERT_EQ(bmp.size(), 54u + 20 * 92);
    EXPECT_EQ(U32(bmp, 18), 30u);
    EXPECT_EQ(bmp.substr(54 + 19 * 92 + 30, 3), std::string("\0\0\xFF", 3));  // top row, x 10: red
    EXPECT_EQ(bmp.substr(54 + 19 * 92 + 33, 3), "\xFF\xFF\xFF");

    canvas.SaveToTiffFile(dir.Str() + "plot.tif");
    const std::string tif = ReadFileBytes(dir.Path() / "plot.tif");
    EXPECT_EQ(U32(tif, 4), 40u + 30 * 3 * 20);
    EXPECT_EQ(tif.substr(40 + 30, 3), std::string("\xFF\0\0", 3));
}

TEST(PictureFiles, PngReadsBackPixelForPixel) {
    QImage image(37, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 50, (x * y) % 256));
    const std::string png = EncodePng(image);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    QImage back;
    ASSERT_TRUE(
        back.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(back.size(), image.size());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
    // The 24-bit path gives the same file.
    EXPECT_EQ(EncodePng(image.convertToFormat(QImage::Format_RGB888)), png);
}

TEST(PictureFiles, LargePngIsCompressedInPartsThatReadBackWhole) {
    QImage image(701, 403, QImage::Format_RGB32);  // over the size compressed in two halves
    image.fill(qRgb(200, 200, 200));
    for (int y = 0; y < image.height(); ++y) {
        image.setPixel((y * 7) % image.width(), y, qRgb(0, 0, 255));
        if (y % 50 == 0)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, 7));
    }
    const std::string png = EncodePng(image);
    QImage back;
    ASSERT_TRUE(
        back.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_LT(png.size(), 100000u);
}
