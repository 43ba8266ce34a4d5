#include <gtest/gtest.h>

#include "calibration/DiffTempCalibration.h"
#include "calibration/GlobalTables.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

struct GlobalTables : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;
    ~GlobalTables() override { FreeGlobalCalibrationTables(); }

    // A temperature table file mapping counts 0 → 0 and 4000 → 400 degrees.
    void WriteTempTable(const std::string& aName) {
        TTempCalibrationTable t(0, 4095);
        t.AddTempRefPoint(0, 0.0f, "");
        t.AddTempRefPoint(4000, 400.0f, "");
        t.Calc();
        t.SaveToFile(config->fCalibrationTablesPath + aName);
    }
};

}  // namespace

TEST_F(GlobalTables, WithoutTableNamesTheTablesAreIdentitiesAndNoFileIsOpened) {
    EXPECT_TRUE(CreateGlobalCalibrationTables(*config).empty());
    ASSERT_TRUE(gTempCalibrationTable && gDiffTempCalibrationTable && gHeatCalibrationTable);
    EXPECT_EQ(gTempCalibrationTable->GetRealValue(1234), 1234.0f);
    EXPECT_EQ(gTempCalibrationTable->fTableTypeName, config->tempChannelName);
    EXPECT_EQ(gTempCalibrationTable->GetFileName(), "");
    EXPECT_EQ(gDiffTempCalibrationTable->GetTableType(), cttDiffTemperature);
    EXPECT_EQ(gDiffTempCalibrationTable->GetRealValue(-321, 100.0f), -321.0f);
    EXPECT_EQ(gDiffTempCalibrationTable->fTableTypeShortName, config->diffChannelShortName);
    EXPECT_EQ(gDiffTempCalibrationTable->GetItemCount(), 4095);  // over the identity's 0 … 4095
    EXPECT_EQ(gHeatCalibrationTable->GetHeatFactor(100), 0.0f);
    EXPECT_TRUE(ui->errors.empty());
    EXPECT_TRUE(ui->messages.empty());
    FreeGlobalCalibrationTables();
    EXPECT_EQ(gTempCalibrationTable, nullptr);
    EXPECT_EQ(gDiffTempCalibrationTable, nullptr);
    EXPECT_EQ(gHeatCalibrationTable, nullptr);
}

TEST(GlobalTablesOfAFreshInstall, TheShippedTableShowsTheSimulatedSensorInDegrees) {
    TTestConfig config(TSettingsFiles::Shipped);
    TFakeUiScope ui;
    EXPECT_TRUE(CreateGlobalCalibrationTables(*config).empty());
    ASSERT_TRUE(gTempCalibrationTable && gDiffTempCalibrationTable);
    EXPECT_EQ(config->tempScale, 1);  // degrees
    EXPECT_EQ(gTempCalibrationTable->GetFileName(), config->fCalibrationTablesPath + "SimulatedCell.tbl");
    // The 24-bit converter reads the sensor's 200 + 7·T + 0.0012·T² twelve-bit counts 2048 times
    // finer: 25 °C is 375.75 · 2048 counts.
    EXPECT_NEAR(gTempCalibrationTable->GetRealValue(769536), 25.0, 0.1);
    EXPECT_NEAR(gTempCalibrationTable->GetRealValue(0), -28.7, 0.1);
    EXPECT_NEAR(gTempCalibrationTable->GetRealValue(config->tMaxADCValue), 511.7, 0.1);
    // The dT table spans the table's temperatures, one entry per degree.
    EXPECT_EQ(gDiffTempCalibrationTable->GetItemCount(), 541);  // −28 … 512 °C
    EXPECT_TRUE(ui->errors.empty());
    FreeGlobalCalibrationTables();
}

TEST_F(GlobalTables, ConfiguredFilesAreLoadedAndCalculated) {
    WriteTempTable("t.tbl");
    TDiffTempCalibrationTable d(0.0f, 400.0f);
    d.AddDiffTempRefPoint(100, 2.0f, 400, "");
    d.AddDiffTempRefPoint(300, 2.0f, 200, "");
    d.Calc();
    d.SaveToFile(config->fCalibrationTablesPath + "d.tbl");
    config->tempCalibrationTable = "t.tbl";
    config->diffTempCalibrationTable = "d.tbl";
    config->showHeatCalibration = false;
    config->tADCMultiplier = 2;  // count range 0 … 8190

    EXPECT_TRUE(CreateGlobalCalibrationTables(*config).empty());
    EXPECT_FLOAT_EQ(gTempCalibrationTable->GetRealValue(2000), 200.0f);
    EXPECT_FLOAT_EQ(gTempCalibrationTable->endRealValue, 819.0f);
    EXPECT_EQ(gTempCalibrationTable->fMaxADCValue, 4095);
    auto* diff = dynamic_cast<TDiffTempCalibrationTable*>(gDiffTempCalibrationTable);
    ASSERT_TRUE(diff);
    EXPECT_EQ(diff->GetBegTemp(), 0);
    EXPECT_EQ(diff->GetEndTemp(), 819);
    EXPECT_FLOAT_EQ(diff->GetRealValue(1000, 300.0f), 10.0f);
    EXPECT_EQ(gHeatCalibrationTable, nullptr);
}

TEST_F(GlobalTables, TemperatureKindServesAsDiffTable) {
    TTempCalibrationTable t(-2048, 2047);
    t.AddTempRefPoint(-1000, -100.0f, "");
    t.AddTempRefPoint(1000, 100.0f, "");
    t.SaveToFile(config->fCalibrationTablesPath + "dt.tbl");
    config->diffTempCalibrationTableType = cttTemperature;
    config->diffTempCalibrationTable = "dt.tbl";
    config->dTMinADCValue = -2048;
    config->dTMaxADCValue = 2047;
    CreateGlobalCalibrationTables(*config);
    auto* diff = dynamic_cast<TTempCalibrationTable*>(gDiffTempCalibrationTable);
    ASSERT_TRUE(diff);
    EXPECT_EQ(diff->GetBegUnitsTemp(), -2048);
    EXPECT_FLOAT_EQ(diff->GetRealValue(1000, 123.0f), 100.0f);
    EXPECT_EQ(diff->fMinADCValue, -2048);
}

TEST_F(GlobalTables, UnknownDiffTableTypeIsRefused) {
    config->diffTempCalibrationTableType = static_cast<TCalibrationTableType>(2);
    try {
        CreateGlobalCalibrationTables(*config);
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_STREQ(e.what(), "Incorrect type for DiffTempCalibrationTable");
    }
    EXPECT_EQ(gTempCalibrationTable, nullptr);
    EXPECT_EQ(gDiffTempCalibrationTable, nullptr);
}

TEST_F(GlobalTables, BrokenFilesAreReportedAndLeaveFreshTables) {
    WriteTempTable("t.tbl");
    config->tempCalibrationTable = "missing.tbl";
    config->diffTempCalibrationTable = "t.tbl";  // a temperature table where a dT table is expected
    TTempCalibrationTable one(0, 4095);
    one.AddTempRefPoint(0, 0.0f, "");
    one.SaveToFile(config->fCalibrationTablesPath + "one.tbl");
    config->tempCalibrationTable = "one.tbl";  // one point: cannot be calculated
    config->heatCalibrationTable = "missing.tbl";

    const std::vector<std::string> errors = CreateGlobalCalibrationTables(*config);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0],
              "Ошибка при расчёте калибровочной таблиццы! Для расчёта необходимо не менее двух калибровочных "
              "точек. (one.tbl)");
    EXPECT_NE(errors[1].find("Incorrect table type in file t.tbl"), std::string::npos);
    EXPECT_NE(errors[2].find("missing.tbl"), std::string::npos);
    EXPECT_EQ(ui->errors, errors);
    EXPECT_EQ(gTempCalibrationTable->GetRefPointsCount(), 0);
    EXPECT_EQ(gTempCalibrationTable->GetRealValue(77), 77.0f);
    EXPECT_EQ(gDiffTempCalibrationTable->GetRealValue(77, 10.0f), 77.0f);
    EXPECT_EQ(gHeatCalibrationTable->GetRefPointsCount(), 0);
}
