#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "data/DataFileHeader.h"
#include "support/RunCli.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

// One channel of 200 items at 10 per second: T = 1000 + i, dT a peak of 400 counts at item 100.
std::string PeakFile() {
    TOldDtaFileHeader h;
    h.Title = DATAFILE_TITLE;
    h.FileVersion = "1.2", h.ItemCount = 200, h.NumberOfChannels = 1, h.TimeRatio = 10, h.EndX = 199;
    h.SampleName = "Олово", h.Weight = 7.25;
    TBinaryWriter w;
    for (int i = 0; i < 200; ++i) {
        w.Write<int32_t>(1000 + i);
        w.Write<int32_t>(2000 +
                         static_cast<int32_t>(std::lround(400 * std::exp(-std::pow((i - 100) / 8.0, 2)))));
    }
    return EncodeHeader(h) + w.Data();
}

uint32_t U32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = v << 8 | static_cast<uint8_t>(s[at + k]);
    return v;
}

class CliExport : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);
    std::string file = ShellQuote(dir.Str() + "run.dsc");
    void SetUp() override {
        WriteFileBytes(dir.Path() / "run.dsc", PeakFile());
    }
    RCliResult Run(const std::string& aArgs) { return RunCli("--data-dir " + data + " --json " + aArgs); }
    std::string Out(const std::string& aName) { return ShellQuote(dir.Str() + aName); }
    std::string Bytes(const std::string& aName) { return ReadFileBytes(dir.Path() / aName); }
};

}  // namespace

TEST_F(CliExport, RenderWritesEachPictureFormat) {
    RCliResult r =
        Run("render " + file + " --out " + Out("plot.tif") + " --format bmp --width 200 --height 150");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["file"], dir.Str() + "plot.bmp");  // BMP names always end in .bmp
    std::string bmp = Bytes("plot.bmp");
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(U32(bmp, 18), 200u);
    EXPECT_EQ(U32(bmp, 22), 150u);
    EXPECT_EQ(bmp.size(), 54u + 600 * 150);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "plot.tif"));

    r = Run("render " + file + " --out " + Out("plot.tif") + " --width 201 --height 151 --mode 8");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string tif = Bytes("plot.tif");
    EXPECT_EQ(tif.substr(0, 4), std::string("II\x2A\0", 4));
    EXPECT_EQ(U32(tif, 4), 40u + 201 * 3 * 151 + 1);  // odd pixel block: the directory starts on a word

    r = Run("render " + file + " --out " + Out("plot.png") + " --peaks --mode 0");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GE(json::parse(r.out)["peaks"].get<int>(), 1);
    EXPECT_EQ(Bytes("plot.png").substr(1, 3), "PNG");

    r = Run("render " + file + " --out " + Out("plot.pdf") + " --mode 7");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Bytes("plot.pdf").substr(0, 5), "%PDF-");
}

TEST_F(CliExport, RenderRefusesWhatItCannotDraw) {
    RCliResult r = Run("render " + file + " --out " + Out("plot.gif"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Неизвестный формат рисунка: gif"), std::string::npos) << r.err;
    r = Run("render " + file + " --out " + Out("plot.png") + " --mode 11");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "plot.png"));
    r = Run("render " + Out("missing.dsc") + " --out " + Out("plot.png"));
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(CliExport, ExportTextFollowsTheDialogDefaults) {
    RCliResult r = Run("export " + file + " --out " + Out("curve.txt"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["rows"], 20);
    const std::string text = Bytes("curve.txt");
    EXPECT_EQ(text.substr(0, 45),
              Utf8ToCp1251("Время, сек.\tdT, отсч.\r\n0\t2000\r\n1\t2000\r\n2\t2000\r\n").substr(0, 45));
    EXPECT_NE(text.find(Utf8ToCp1251("\r\n10\t2400\r\n")), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);

    r = Run("export " + file + " --out " + Out("sel.txt") + " --selection 10:30 --step 5");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Bytes("sel.txt"),
              Utf8ToCp1251("Время, сек.\tdT, отсч.\r\n1\t2000\r\n1,5\t2000\r\n2\t2000\r\n2,5\t2000\r\n"));
}

TEST_F(CliExport, ExportOptionsShapeEveryField) {
    RCliResult r = Run("export " + file + " --out " + Out("t.csv") +
                       " --mode 8 --selection 0:3 --no-decimation --column-separator SEMICOLON"
                       " --decimal-separator . --digits 2 --no-header");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Bytes("t.csv"), "0.00;1000\r\n0.10;1001\r\n0.20;1002\r\n");

    r = Run("export " + file + " --out " + Out("three.txt") +
            " --mode 7 --selection 0:2 --no-decimation --column-separator SPACE");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["columns"], 3);
    EXPECT_EQ(Bytes("three.txt"),
              Utf8ToCp1251("Время, сек. dT, отсч. T, отсч.\r\n0 2000 1000\r\n0,1 2000 1001\r\n"));

    r = Run("export " + file + " --out " + Out("x.txt") + " --step 3 --no-decimation");
    EXPECT_EQ(r.exitCode, 2);  // usage error: the two exclude each other
}

TEST_F(CliExport, ExportWorkbookHoldsEveryRowAndAChart) {
    RCliResult r = Run("export " + file + " --out " + Out("book.xlsx") + " --no-decimation");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["rows"], 200);
    const std::string book = Bytes("book.xlsx");
    EXPECT_EQ(book.substr(0, 2), "PK");
    EXPECT_NE(book.find("xl/charts/chart1.xml"), std::string::npos);
}
