#include <gtest/gtest.h>

#include <filesystem>

#include "calibration/TempCalibration.h"
#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/DateTime.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "data/DataFileHeader.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;
using kalvero::test::WriteFileBytes;

namespace {

class DataFileTest : public ::testing::Test {
protected:
    TTestConfig config;
    void SetUp() override {
        config->endTime = 100;  // 1000 items at 10 Hz
        config->frequency = 10;
    }
    // An experiment of aChannels × 1000 items with recognisable readings.
    std::unique_ptr<TDataClass> Make(int aChannels) {
        config->numberOfDataChannels = aChannels;
        auto d = std::make_unique<TDataClass>();
        for (int i = 0; i < d->GetItemCount(); ++i) {
            for (int ch = 0; ch < aChannels; ++ch) {
                d->items[i][ch].t = 1000 + i + ch;
                d->items[i][ch].dt = 2000 - i % 500 + 10 * ch;
            }
        }
        d->fSampleName = "Индий";
        d->fOperatorName = "Петров";
        d->fLaboratoryName = "Лаборатория №1";
        d->fDescription = "калибровка";
        d->fSampleWeight = 12.5;
        d->fHeatSpeed = 5;
        d->fDateCreate = EncodeDateTime(2020, 2, 1, 13, 45, 10);
        return d;
    }
    // A header with the given counts followed by aBytes of data.
    std::string File(const std::string& aVersion, int32_t aItems, int32_t aChannels,
                     const std::string& aData) {
        TOldDtaFileHeader h;
        h.FileVersion = aVersion;
        h.ItemCount = aItems;
        h.NumberOfChannels = aChannels;
        h.TimeRatio = 10;
        return EncodeHeader(h) + aData;
    }
    static std::string Records(int aCount, int32_t aT = 100, int32_t aDt = 200) {
        TBinaryWriter w;
        for (int i = 0; i < aCount; ++i)
            w.Write(aT + i), w.Write(aDt);
        return w.Data();
    }
};

}  // namespace

TEST_F(DataFileTest, HeaderIsLaidOutByteForByte) {
    auto d = Make(1);
    config->fileVersion = "1.2";
    const std::string name = config.File("a.dsc");
    d->SaveToFile(name, false);
    const std::string bytes = ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 1432u + 8000u);
    EXPECT_EQ(bytes.substr(0, 31), "\x1E" + Utf8ToCp1251(DATAFILE_TITLE));
    EXPECT_EQ(bytes[58], static_cast<char>(1 + Utf8ToCp1251("Лаборатория №1").size()));
    EXPECT_EQ(bytes.substr(59, 2), "|" + Utf8ToCp1251("Л"));
    TBinaryReader r(bytes);
    r.Seek(1316);
    EXPECT_EQ(r.Read<int32_t>(), 1000);
    EXPECT_EQ(r.Read<uint32_t>(), 999u);
    EXPECT_EQ(r.Read<float>(), 5.0f);
    r.Seek(1384);
    EXPECT_EQ(r.ReadExtended(), 10.0);
    r.Seek(1400);
    EXPECT_EQ(r.Read<double>(), 12.5);
    EXPECT_EQ(r.ReadShortString(5), "1.2");
    r.Seek(1428);
    EXPECT_EQ(r.Read<int32_t>(), 1);
    EXPECT_EQ(r.Read<int32_t>(), 1000);  // t of item 0 at byte 1432
    EXPECT_FALSE(d->fHasUnsavedChanges);
    EXPECT_TRUE(d->fWasSaved);
}

TEST_F(DataFileTest, ChannelBlocksDependOnTheConfiguredFileVersion) {
    auto d = Make(3);
    config->fileVersion = "1.2";
    d->SaveToFile(config.File("v12.dsc"), false);
    EXPECT_EQ(std::filesystem::file_size(config.File("v12.dsc")), 1432u + 3 * 8000u);
    config->fileVersion = "1.0";
    d->SaveToFile(config.File("v10.dsc"), false);
    EXPECT_EQ(std::filesystem::file_size(config.File("v10.dsc")), 1432u + 8000u);
    EXPECT_EQ(DecodeHeader(ReadFileBytes(config.File("v10.dsc"))).NumberOfChannels, 3);

    TFakeUiScope ui;
    TDataClass back;
    back.LoadFromFile(config.File("v10.dsc"), ftDSC, 0);
    EXPECT_EQ(back.GetChannelCount(), 1);
    EXPECT_TRUE(ui->messages.empty());
    back.LoadFromFile(config.File("v12.dsc"), ftDSC, 0);
    ASSERT_EQ(back.GetChannelCount(), 3);
    EXPECT_EQ(back.descriptors[0].name, "Канал №1 - v12.dsc");
    EXPECT_EQ(back.descriptors[2].name, "Канал № 3");
    EXPECT_EQ(back.items[7][2].t, d->items[7][2].t);
    EXPECT_EQ(back.items[7][2].dt, d->items[7][2].dt);
}

TEST_F(DataFileTest, RoundTripKeepsTheStoredFieldsAndEverySample) {
    auto d = Make(2);
    config->fileVersion = "1.2";
    d->SaveToFile(config.File("r.dsc"), false);
    TDataClass back;
    back.LoadFromFile(config.File("r.dsc"), ftDSC, 0);
    EXPECT_EQ(back.fSampleName, "Индий");
    EXPECT_EQ(back.fOperatorName, "Петров");
    EXPECT_EQ(back.fLaboratoryName, "Лаборатория №1");
    EXPECT_EQ(back.fDescription, "калибровка");
    EXPECT_EQ(back.fSampleWeight, 12.5);
    EXPECT_EQ(back.fHeatSpeed, 5.0f);
    EXPECT_EQ(back.frequency, 10.0f);
    EXPECT_NEAR(back.fDateCreate, d->fDateCreate, 1e-8);
    EXPECT_EQ(back.LoadedFileVersion(), "1.2");
    for (int i = 0; i < d->GetItemCount(); ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            ASSERT_EQ(back.items[i][ch].t, d->items[i][ch].t);
            ASSERT_EQ(back.items[i][ch].dt, d->items[i][ch].dt);
        }
    }
    EXPECT_EQ(back.items[10][1].tc, static_cast<float>(back.items[10][1].t));
    // Saving what was loaded gives the same bytes again.
    back.SaveToFile(config.File("r2.dsc"), false);
    EXPECT_EQ(ReadFileBytes(config.File("r2.dsc")), ReadFileBytes(config.File("r.dsc")));
}

TEST_F(DataFileTest, SelectionStoresOnlyItsItems) {
    auto d = Make(1);
    d->begXSel = 100;
    d->endXSel = 200;
    d->SaveToFile(config.File("sel.dsc"), true);
    TDataClass back;
    back.LoadFromFile(config.File("sel.dsc"), ftDSC, 0);
    ASSERT_EQ(back.GetItemCount(), 100);
    EXPECT_EQ(back.items[0][0].t, d->items[100][0].t);
    EXPECT_EQ(back.items[99][0].t, d->items[199][0].t);
    d->begXSel = 900, d->endXSel = 5000;  // past the end: only what exists
    d->SaveToFile(config.File("sel2.dsc"), true);
    EXPECT_EQ(DecodeHeader(ReadFileBytes(config.File("sel2.dsc"))).ItemCount, 100);
}

TEST_F(DataFileTest, ScanEndPointsAndTheSixtyPercentRule) {
    TDataClass back;
    for (auto [stored, expected] : {std::pair{0u, 999}, {500u, 999}, {700u, 700}}) {
        TOldDtaFileHeader h;
        h.FileVersion = "1.2", h.ItemCount = 1000, h.NumberOfChannels = 1, h.EndX = 999,
        h.ScanEndPoint = stored;
        WriteFileBytes(config.File("e.dsc"), EncodeHeader(h) + Records(1000));
        back.LoadFromFile(config.File("e.dsc"), ftDSC, 0);
        EXPECT_EQ(back.descriptors[0].fScanEndPoint, expected) << stored;
    }
}

TEST_F(DataFileTest, OlderLayoutsAndTheChannelLimit) {
    // An empty FileVersion means the older layout: records from byte 8000.
    std::string old = File("", 10, 1, "");
    old.resize(8000, '\0');
    WriteFileBytes(config.File("old.dsc"), old + Records(10, 500));
    TDataClass d;
    d.LoadFromFile(config.File("old.dsc"), ftDSC, 0);
    EXPECT_EQ(d.GetItemCount(), 10);
    EXPECT_EQ(d.items[3][0].t, 503);

    // Twelve channels announced and present: eight are read.
    std::string data;
    for (int ch = 0; ch < 12; ++ch)
        data += Records(20, ch * 100);
    WriteFileBytes(config.File("twelve.dsc"), File("1.2", 20, 12, data));
    d.LoadFromFile(config.File("twelve.dsc"), ftDSC, 0);
    EXPECT_EQ(d.GetChannelCount(), 8);
    EXPECT_EQ(d.items[0][7].t, 700);

    // Three announced, two present: the missing block is dropped.
    WriteFileBytes(config.File("short.dsc"), File("1.2", 20, 3, Records(20) + Records(20, 300)));
    d.LoadFromFile(config.File("short.dsc"), ftDSC, 0);
    EXPECT_EQ(d.GetChannelCount(), 2);

    // Sixteen-bit readings without a header.
    WriteFileBytes(config.File("raw.bin"), std::string("\x05\x00\xFE\xFF\x10\x00", 6));
    d.LoadFromFile(config.File("raw.bin"), ftBin, 0);
    ASSERT_EQ(d.GetItemCount(), 3);
    EXPECT_EQ(d.items[1][0].dt, -2);
    EXPECT_EQ(d.items[2][0].t, 2);
    EXPECT_EQ(d.endY, 16);
}

TEST_F(DataFileTest, DatesLaboratoryAndOverflowWarning) {
    TOldDtaFileHeader h;
    h.FileVersion = "1.2", h.ItemCount = 5, h.NumberOfChannels = 1;
    h.ExperimentDate = "01.02.2020 0:00:00";
    h.LaboratoryName = "Чужая";
    TBinaryWriter w;
    for (int i = 0; i < 5; ++i)
        w.Write<int32_t>(i == 2 ? 99999 : 10), w.Write<int32_t>(20);
    WriteFileBytes(config.File("w.dsc"), EncodeHeader(h) + w.Data());
    TFakeUiScope ui;
    TDataClass d;
    d.fLaboratoryName = "Своя";
    d.LoadFromFile(config.File("w.dsc"), ftDSC, 0);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", d.fDateCreate), "2020-02-01 00:00:01");
    EXPECT_EQ(d.fLaboratoryName, "Своя");
    EXPECT_EQ(d.items[2][0].t, 4095);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(
        ui->messages[0],
        "ВНИМАНИЕ! При загрузке файла была потеряна часть данных по шкале 'Температура', так настройки "
        "диапазона АЦП прибора не позволяют использовать весь диапазон значений из загруженного файла. \n\r");
    EXPECT_EQ(d.LastLoadWarnings().size(), 1u);
}

TEST_F(DataFileTest, AddingChannelsKeepsTheExperiment) {
    auto second = Make(2);
    config->fileVersion = "1.2";
    second->SaveToFile(config.File("two.dsc"), false);
    config->numberOfDataChannels = 1;
    auto d = Make(1);
    d->fHasUnsavedChanges = false;
    d->descriptors[0].fScanEndPoint = 321;
    d->LoadFromFile(config.File("two.dsc"), ftDSC, 1);
    ASSERT_EQ(d->GetChannelCount(), 3);
    EXPECT_EQ(d->descriptors[1].name, "Канал № 2 - two.dsc");
    EXPECT_EQ(d->descriptors[2].name, "Канал № 3 - two.dsc");
    EXPECT_EQ(d->descriptors[0].fScanEndPoint, 321);
    EXPECT_EQ(d->fSampleName, "Индий");
    EXPECT_TRUE(d->fHasUnsavedChanges);
    EXPECT_EQ(d->items[4][2].dt, second->items[4][1].dt);
    EXPECT_EQ(d->items[4][0].t, 1004);

    // An older-layout file added as a channel does not overwrite channel 0.
    std::string old = File("", 10, 1, "");
    old.resize(8000, '\0');
    WriteFileBytes(config.File("old.dsc"), old + Records(10, 7));
    d->LoadFromFile(config.File("old.dsc"), ftDSC, d->GetChannelCount());
    ASSERT_EQ(d->GetChannelCount(), 4);
    EXPECT_EQ(d->items[0][0].t, 1000);
    EXPECT_EQ(d->items[0][3].t, 7);
}

TEST_F(DataFileTest, DamagedAndHostileFilesGiveAClearError) {
    TDataClass d;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.dsc", ""},
        {"negative.dsc", File("1.2", -5, 1, Records(3))},
        {"huge.dsc", File("1.2", 2000000000, 1, Records(3))},
        {"nochannels.dsc", File("1.2", 3, 0, Records(3))},
        {"oldshort.dsc", File("", 100, 1, "")},
        {"random.dsc", std::string(3000, '\xA7')},
    };
    for (const auto& [name, bytes] : files) {
        WriteFileBytes(config.File(name), bytes);
        EXPECT_THROW(d.LoadFromFile(config.File(name), ftDSC, 0), EDataClassException) << name;
    }
    EXPECT_THROW(d.LoadFromFile(config.File("missing.dsc"), ftDSC, 0), std::runtime_error);
    WriteFileBytes(config.File("empty.bin"), "");
    EXPECT_THROW(d.LoadFromFile(config.File("empty.bin"), ftBin, 0), EDataClassException);

    // A short read inside the only block yields zero readings.
    WriteFileBytes(config.File("cut.dsc"), File("1.2", 3, 1, Records(3).substr(0, 20)));
    d.LoadFromFile(config.File("cut.dsc"), ftDSC, 0);
    EXPECT_EQ(d.items[2][0].dt, 0);
    EXPECT_EQ(d.items[1][0].dt, 200);
}

TEST_F(DataFileTest, FailedSaveLeavesTheOldFile) {
    auto d = Make(1);
    const std::string name = config.File("keep.dsc");
    d->SaveToFile(name, false);
    const std::string before = ReadFileBytes(name);
    d->begXSel = 50, d->endXSel = 50;  // nothing to save
    EXPECT_THROW(d->SaveToFile(name, true), EDataClassException);
    EXPECT_THROW(d->SaveToFile(config.File("no/such/folder/x.dsc"), false), std::runtime_error);
    EXPECT_EQ(ReadFileBytes(name), before);
    EXPECT_EQ(
        std::filesystem::directory_iterator(config.Dir().Path()) != std::filesystem::directory_iterator(),
        true);
}

TEST_F(DataFileTest, LongRecordsAreWrittenWholeThroughTheBuffer) {
    // More items than one written piece holds (256 K records, gathered while the one before is
    // written), on two channel blocks, and a selection that starts and ends inside pieces: every
    // record lands at its own offset.
    config->endTime = 60000;  // 600 000 items
    auto d = Make(2);
    ASSERT_EQ(d->GetItemCount(), 600000);
    for (int i = 0; i < d->GetItemCount(); ++i)
        d->items[i][1].dt = -i;  // every record its own value (beyond the dT range: a warning)
    config->fileVersion = "1.2";
    d->SaveToFile(config.File("long.dsc"), false);
    const std::string bytes = ReadFileBytes(config.File("long.dsc"));
    ASSERT_EQ(bytes.size(), 1432u + 2 * 600000u * 8);
    TBinaryReader r(bytes);
    for (int ch = 0; ch < 2; ++ch)
        for (int i : {0, 262143, 262144, 524287, 524288, 599999}) {
            r.Seek(1432 + (static_cast<size_t>(ch) * 600000 + i) * 8);
            ASSERT_EQ(r.Read<int32_t>(), d->items[i][ch].t) << ch << " " << i;
            ASSERT_EQ(r.Read<int32_t>(), d->items[i][ch].dt) << ch << " " << i;
        }
    d->begXSel = 200000, d->endXSel = 540001;
    d->SaveToFile(config.File("part.dsc"), true);
    TFakeUiScope ui;
    TDataClass back;
    back.LoadFromFile(config.File("part.dsc"), ftDSC, 0);
    ASSERT_EQ(back.GetItemCount(), 340001);
    EXPECT_EQ(back.items[0][1].dt, -200000);
    EXPECT_EQ(back.items[62144][1].dt, -262144);
    EXPECT_EQ(back.items[340000][1].dt, -540000);
}

TEST_F(DataFileTest, LoadCalibratesEverySampleAndKeepsTheUndoCopyAsRead) {
    // 300 000 items: many pieces of the reading pass and a block mapped on its own. One
    // temperature above the window comes back clamped, in the samples and in the undo copy.
    const int count = 300000;
    TBinaryWriter w;
    for (int i = 0; i < count; ++i)
        w.Write<int32_t>(i == 1234 ? 99999 : i % 4000), w.Write<int32_t>(2000 + i % 7);
    WriteFileBytes(config.File("ramp.dsc"), File("1.2", count, 1, w.Data()));
    TTempCalibrationTable table(0, 4095);
    table.AddTempRefPoint(0, 20.0f, "");
    table.AddTempRefPoint(4000, 420.0f, "");
    table.Calc();
    TTempCalibrationTable* previous = gTempCalibrationTable;
    gTempCalibrationTable = &table;
    TFakeUiScope ui;
    TDataClass d;
    d.LoadFromFile(config.File("ramp.dsc"), ftDSC, 0);
    ASSERT_EQ(d.GetItemCount(), count);
    for (int i = 0; i < count; i += 997) {
        ASSERT_FLOAT_EQ(d.items[i][0].tc, 20.0f + 0.1f * static_cast<float>(d.items[i][0].t)) << i;
        ASSERT_FLOAT_EQ(d.items[i][0].dtc, static_cast<float>(d.items[i][0].dt)) << i;
    }
    EXPECT_EQ(d.items[1234][0].t, 4095);
    // Undo after edits gives the readings as loaded; the copy follows a cut.
    d.SetDTZeroLine(50);
    d.SetTZeroLine(7);
    d.CutData(0, 10);
    ASSERT_TRUE(d.Undo(0));
    for (int i = 0; i + 10 < count; i += 997) {
        ASSERT_EQ(d.items[i][0].t, i + 10 == 1234 ? 4095 : (i + 10) % 4000) << i;
        ASSERT_EQ(d.items[i][0].dt, 2000 + (i + 10) % 7) << i;
    }
    EXPECT_EQ(d.items[1224][0].t, 4095);

    // A table whose every conversion fails leaves 0, not what the memory held before: a smaller
    // record, whose block is recycled from the loads before rather than fresh from the system.
    WriteFileBytes(config.File("short.dsc"), File("1.2", 100000, 1, w.Data().substr(0, 800000)));
    TDataClass e;
    e.LoadFromFile(config.File("short.dsc"), ftDSC, 0);
    e.LoadFromFile(config.File("short.dsc"), ftDSC, 0);
    TTempCalibrationTable broken(0, 4095);
    broken.AddTempRefPoint(0, 20.0f, "");
    gTempCalibrationTable = &broken;
    e.LoadFromFile(config.File("short.dsc"), ftDSC, 0);
    for (int i = 0; i < 100000; i += 97) {
        ASSERT_EQ(e.items[i][0].tc, 0.0f) << i;
        ASSERT_EQ(e.items[i][0].dtc, 0.0f) << i;
    }
    gTempCalibrationTable = previous;
}
