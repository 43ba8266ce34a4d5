#include <gtest/gtest.h>

#include <filesystem>

#include "common/Cp1251.h"
#include "data/DataClass.h"
#include "graphics/TxtFileExport.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TTestConfig;
using kalvero::test::WriteFileBytes;

namespace {

class TxtExport : public ::testing::Test {
protected:
    void SetUp() override {
        config->endTime = 4;  // 40 items at 10 per second
        config->frequency = 10;
        d = std::make_unique<TDataClass>();
        for (int i = 0; i < d->GetItemCount(); ++i) {
            TItem& s = d->items[i][0];
            s.t = 1000 + i, s.dt = -i, s.tc = 20.5f + i, s.dtc = 0.123456789f * i;
        }
        d->begX = 5, d->endX = 29;  // 25 items
    }
    std::vector<std::string> Lines(TTxtFileExport& e) {
        e.BuildTable();
        std::vector<std::string> lines;
        for (const auto& r : e.Data())
            lines.push_back(r.col1 + "|" + r.col2 + (e.Use3Columns() ? "|" + r.col3 : ""));
        return lines;
    }

    TTestConfig config;
    std::unique_ptr<TDataClass> d;
};

}  // namespace

TEST_F(TxtExport, DefaultsDecimateByTenAndWriteWindows1251WithCrLf) {
    TTxtFileExport e(*d, config.File("curve.txt"), false);
    EXPECT_EQ(e.Caption(), "Сохранение в текстовый файл");
    e.BuildTable();
    EXPECT_EQ(e.PointCount(), 3);  // items 5, 15, 25
    e.SaveToFile();
    const std::string expected = "Время, сек.\tdT, отсч.\r\n0,5\t-5\r\n1,5\t-15\r\n2,5\t-25\r\n";
    EXPECT_EQ(ReadFileBytes(config.File("curve.txt")), Utf8ToCp1251(expected));
    EXPECT_EQ(Utf8ToCp1251("Время")[0], '\xC2');  // really single-byte Cyrillic
    EXPECT_EQ(e.Preview().front(), "Время, сек.\tdT, отсч.");
}

TEST_F(TxtExport, StepRulesAndRanges) {
    TTxtFileExport e(*d, "", false);
    e.options.decimation = false;
    e.options.step = "not a number";  // ignored without decimation
    e.options.includeHeader = false;
    EXPECT_EQ(Lines(e).size(), 25u);
    EXPECT_EQ(e.fStartIndex, 5);
    EXPECT_EQ(e.fStopIndex, 29);

    e.options.decimation = true;
    EXPECT_THROW(e.BuildTable(), ETxtFileExportException);
    e.options.step = "0";
    e.BuildTable();
    EXPECT_EQ(e.options.step, "1");
    EXPECT_EQ(e.PointCount(), 25);
    e.options.step = "-3";  // below 1 counts as 1
    EXPECT_EQ(Lines(e).size(), 25u);
    try {
        e.options.step = "2.5";
        e.BuildTable();
        FAIL();
    } catch (const ETxtFileExportException& x) {
        EXPECT_STREQ(x.what(), "'2.5' is not a valid integer value");
    }

    // The selection; a selection that ends past the last item stops at it.
    e.options.step = "7";
    e.options.selectedArea = true;
    d->begXSel = 30, d->endXSel = d->GetItemCount();
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"3|-30", "3,7|-37"}));
}

TEST_F(TxtExport, DecimalsSeparatorsAndUnits) {
    d->diffTempScale = dtsDegrees;
    TTxtFileExport e(*d, "", false);
    e.options.step = "12";
    e.options.decimalSeparator = ".";
    std::vector<std::string> lines = Lines(e);
    EXPECT_EQ(lines[0], "Время, сек.|dT, °С");
    EXPECT_EQ(lines[1], "0.5|0.61728394");  // 5 × 0.123456789 as a float, eight decimals at most
    EXPECT_EQ(lines[2], "1.7|2.0987654");   // the shortest text of the float, not its binary noise

    e.options.decimals = 0;
    lines = Lines(e);
    EXPECT_EQ(lines[1], "1|1");  // 0.5 and 0.617 rounded, halves away from zero
    e.options.decimals = 3;
    e.options.decimalSeparator = ",";
    EXPECT_EQ(Lines(e)[2], "1,700|2,099");

    d->timeScale = tmUnits;
    d->mode = vm_view_T_by_time;
    e.options.decimals = -1;
    lines = Lines(e);
    EXPECT_EQ(lines[0], "Время, отсч.|T, отсч.");  // temperature in counts: integers
    EXPECT_EQ(lines[1], "5|1005");
    d->tempScale = tsDegrees;
    d->timeScale = tmMinutes;
    lines = Lines(e);
    EXPECT_EQ(lines[0], "Время, мин.|T, °С");
    EXPECT_EQ(lines[1], "0,00833333|25,5");  // 5 / 600
}

TEST_F(TxtExport, ThreeColumnsAndTemperatureAxis) {
    d->mode = vm_view_dt_and_temp_by_time;
    d->timeScale = tmHours;
    TTxtFileExport e(*d, config.File("three.csv"), false);
    e.options.columnSeparator = ";";
    e.options.step = "20";
    e.BuildTable();
    EXPECT_TRUE(e.Use3Columns());
    e.SaveToFile();
    EXPECT_EQ(
        ReadFileBytes(config.File("three.csv")),
        Utf8ToCp1251("Время, час.;dT, отсч.;T, отсч.\r\n0,00013889;-5;1005\r\n0,00069444;-25;1025\r\n"));

    // Temperature on x: the second item range, rows only for temperatures inside the selection.
    d->mode = vm_view_dT_by_temp;
    d->begX1 = 0, d->endX1 = 39;
    d->begXSel = 1012, d->endXSel = 1009;  // either order, bounds included
    TTxtFileExport t(*d, "", false);
    t.options.decimation = false;
    EXPECT_EQ(Lines(t), (std::vector<std::string>{"T, отсч.|dT, отсч.", "1009|-9", "1010|-10", "1011|-11",
                                                  "1012|-12"}));
}

TEST_F(TxtExport, WriteFailuresNameTheFileAndKeepTheOldOne) {
    WriteFileBytes(config.File("keep.txt"), "old");
    TTxtFileExport e(*d, config.File("missing/dir/x.txt"), false);
    e.BuildTable();
    try {
        e.SaveToFile();
        FAIL();
    } catch (const ETxtFileExportException& x) {
        EXPECT_EQ(std::string(x.what()).rfind("Ошибка при сохранении файла: ", 0), 0u) << x.what();
    }
    try {
        e.ExportToXlsx(config.File("missing/dir/x.xlsx"));
        FAIL();
    } catch (const ETxtFileExportException& x) {
        EXPECT_EQ(std::string(x.what()).rfind("Ошибка при экспорте: ", 0), 0u) << x.what();
    }
    EXPECT_EQ(ReadFileBytes(config.File("keep.txt")), "old");
}

TEST_F(TxtExport, SpreadsheetModeUsesThePointAndWritesAWorkbookWithAChart) {
    TTxtFileExport e(*d, "", true);
    EXPECT_EQ(e.Caption(), "Экспорт в Excel");
    EXPECT_EQ(e.options.decimalSeparator, ".");
    e.BuildTable();
    EXPECT_EQ(e.Data()[1].col1, "0.5");
    e.ExportToXlsx(config.File("book.xlsx"));
    const std::string book = ReadFileBytes(config.File("book.xlsx"));
    EXPECT_EQ(book.substr(0, 2), "PK");
    EXPECT_NE(book.find("xl/charts/chart1.xml"), std::string::npos);
    EXPECT_NE(book.find("xl/worksheets/sheet1.xml"), std::string::npos);

    // No data rows: the cells are written, a chart over nothing is not.
    d->begX = 10, d->endX = 5;
    e.BuildTable();
    EXPECT_EQ(e.PointCount(), 0);
    e.ExportToXlsx(config.File("empty.xlsx"));
    EXPECT_EQ(ReadFileBytes(config.File("empty.xlsx")).find("xl/charts/chart1.xml"), std::string::npos);
}

TEST_F(TxtExport, APreviewTableCountsEveryRowButKeepsOnlyItsFirstOnes) {
    for (TCurveMode mode : {vm_view_dT_by_time, vm_view_dT_by_temp, vm_view_dt_and_temp_by_time}) {
        d->mode = mode;
        d->begX1 = 0, d->endX1 = 39;
        d->begXSel = 1030, d->endXSel = 1003;
        for (bool decimation : {true, false}) {
            TTxtFileExport full(*d, "", false), preview(*d, "", false);
            full.options.decimation = preview.options.decimation = decimation;
            full.options.step = preview.options.step = "3";
            full.BuildTable();
            preview.BuildTable(4);
            EXPECT_EQ(preview.PointCount(), full.PointCount()) << mode << decimation;
            ASSERT_EQ(preview.Data().size(), 4u);
            const std::vector<std::string> lines = full.Preview();
            EXPECT_EQ(preview.Preview(), std::vector<std::string>(lines.begin(), lines.begin() + 4));
        }
    }
    // The temperature filter counts by the same rule past the kept rows, degrees included.
    d->mode = vm_view_dT_by_temp;
    d->tempScale = tsDegrees;
    d->begXSel = 30, d->endXSel = 40;  // 20.5 + i within 30 … 40: items 10 … 19
    TTxtFileExport e(*d, config.File("p.txt"), false);
    e.options.decimation = false;
    e.BuildTable(2);
    EXPECT_EQ(e.PointCount(), 10);
    EXPECT_THROW(e.SaveToFile(), std::logic_error);  // a preview is never written
    EXPECT_FALSE(std::filesystem::exists(config.File("p.txt")));
}

TEST_F(TxtExport, SeparatorsThatCannotBeToldApartAreRefused) {
    WriteFileBytes(config.File("good.txt"), "good");
    TTxtFileExport e(*d, config.File("good.txt"), false);
    e.options.columnSeparator = ",";
    e.BuildTable();
    try {
        e.SaveToFile();
        FAIL();
    } catch (const ETxtFileExportException& x) {
        EXPECT_NE(std::string(x.what()).find("Десятичный разделитель"), std::string::npos);
    }
    e.options.columnSeparator = "";
    EXPECT_THROW(e.CheckSeparators(), ETxtFileExportException);
    e.options.columnSeparator = "TAB";
    e.options.decimalSeparator = ".";
    EXPECT_NO_THROW(e.CheckSeparators());
    e.options.columnSeparator = " . ";
    EXPECT_THROW(e.CheckSeparators(), ETxtFileExportException);
    EXPECT_EQ(ReadFileBytes(config.File("good.txt")), "good");
}

TEST_F(TxtExport, WorkbookNamesFollowTheExperimentAndNeverReplaceOne) {
    const std::string folder = config.File("");
    EXPECT_EQ(TTxtFileExport::SpreadsheetFileName(folder, "/data/run 5.dsc"), folder + "run 5.xlsx");
    WriteFileBytes(folder + "run 5.xlsx", "taken");
    WriteFileBytes(folder + "run 5 (2).xlsx", "taken");
    EXPECT_EQ(TTxtFileExport::SpreadsheetFileName(folder, "/data/run 5.dsc"), folder + "run 5 (3).xlsx");
    EXPECT_EQ(TTxtFileExport::SpreadsheetFileName(folder, ""), folder + "Экспорт.xlsx");
}
