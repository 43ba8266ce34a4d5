// The device-settings dialog's values: filling from the configuration and the tables, and the
// apply order with its checks, clamping and table reloading.

#include <gtest/gtest.h>

#include "calibration/DevSettingsForm.h"
#include "calibration/GlobalTables.h"
#include "calibration/TableFile.h"
#include "calibration/TempCalibration.h"
#include "common/FormFields.h"
#include "common/Globals.h"
#include "support/FakeUiHooks.h"
#include "support/TableFiles.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

struct DevSettings : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;
    ~DevSettings() override { FreeGlobalCalibrationTables(); }

    void WriteTempTable(const std::string& aName, float aLow, float aHigh) {
        WriteTempTableFile(config->fCalibrationTablesPath + aName, aLow, aHigh);
    }
    void Start() {
        config->tempCalibrationTable = "t.tbl";
        WriteTempTable("t.tbl", 0, 400);  // 0 … 409.5 °C over the count range
        CreateGlobalCalibrationTables(*config);
        form = DevSettingsForm(*config);
    }
    std::string ApplyError(const RTableReload& aReload = {}) {
        try {
            ApplyDevSettings(form, aReload, *config, reloaded);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    RDevSettingsForm form;
    RTableReload reloaded;
};

}  // namespace

TEST_F(DevSettings, FillingShowsTheConfigurationInTheTablesUnits) {
    config->tMinValue = 1000, config->tMaxValue = 3000;
    config->frequency = 12.5f, config->heatSpeed = 2.5f, config->timeScale = 60;
    Start();
    EXPECT_EQ(form.tFrom, "100");  // whole numbers without decimals
    EXPECT_EQ(form.tTo, "300");
    EXPECT_EQ(form.frequency, "12.50");
    EXPECT_EQ(form.heatSpeed, "2.5");
    EXPECT_EQ(form.timeScale, 1);  // "Минуты"
    EXPECT_EQ(form.tempTable, "t.tbl");
    EXPECT_EQ(form.timeWindowWidth, "300");
}

TEST_F(DevSettings, PlainApplyKeepsEverySetting) {
    config->tMinValue = 1000, config->tMaxValue = 3000;
    Start();
    const int32_t dtMin = config->dTMinValue, dtMax = config->dTMaxValue;
    EXPECT_EQ(ApplyError(), "");
    EXPECT_EQ(config->tMinValue, 1000);
    EXPECT_EQ(config->tMaxValue, 3000);
    EXPECT_EQ(config->dTMinValue, dtMin);
    EXPECT_EQ(config->dTMaxValue, dtMax);
    EXPECT_FALSE(reloaded.Any());
}

TEST_F(DevSettings, TheTwoRangeMessages) {
    Start();
    form.tFrom = form.tTo = "200";
    EXPECT_EQ(ApplyError(), RANGE_EQUAL_MSG);
    form.tFrom = "250";
    EXPECT_EQ(ApplyError(), RANGE_ORDER_MSG);
    form.tFrom = "100", form.tTo = "200";
    form.dtFrom = "50", form.dtTo = "-50";  // the dT range is checked as well
    EXPECT_EQ(ApplyError(), RANGE_ORDER_MSG);
}

TEST_F(DevSettings, RangesAreClampedIntoTheTableAndAReloadGivesItsWholeRange) {
    Start();
    form.tFrom = "-50,5";  // below the table's range, with a comma
    form.tTo = "200";
    EXPECT_EQ(ApplyError(), "");
    EXPECT_EQ(config->tMinValue, gTempCalibrationTable->GetUnitsValue(gTempCalibrationTable->begRealValue));
    EXPECT_EQ(config->tMaxValue, 2000);

    WriteTempTable("wide.tbl", -100, 700);
    form.tempTable = "wide.tbl";
    RTableReload reload;
    reload.temp = true;
    EXPECT_EQ(ApplyError(reload), "");
    EXPECT_TRUE(reloaded.temp);
    EXPECT_EQ(config->tempCalibrationTable, "wide.tbl");
    EXPECT_FLOAT_EQ(gTempCalibrationTable->GetRealValue(4000), 700.0f);
    EXPECT_EQ(config->tMinValue, 0);  // the reloaded table's whole range, whatever was typed
    EXPECT_EQ(config->tMaxValue, 4095);
}

TEST_F(DevSettings, DurationsFrequencyAndFieldErrors) {
    Start();
    form.endTime = "100";
    form.timeWindowWidth = "300";
    EXPECT_EQ(ApplyError(), "");
    EXPECT_EQ(form.endTime, "300");  // the field takes the page time
    EXPECT_EQ(config->endTime, 300);
    EXPECT_EQ(config->timeWindowWidth, 300);

    form.frequency = "0";
    EXPECT_EQ(ApplyError(), "Значение поля \"Частота опроса (Гц)\" должно быть больше нуля");
    form.frequency = "-5";
    EXPECT_NE(ApplyError(), "");
    form.frequency = "12,5";
    form.scanDeadZone = "-1";
    EXPECT_EQ(ApplyError(),
              "Значение поля \"\"Мертвая\" зона (мсек)\" должно быть в пределах от 0 до 2147483647");
    // The fields before the failure keep their new values.
    EXPECT_FLOAT_EQ(config->frequency, 12.5f);
    form.scanDeadZone = "0";
    form.decimation = "70000";
    EXPECT_EQ(ApplyError(), "Значение поля \"Прореживание\" должно быть в пределах от 0 до 65535");
    form.decimation = "abc";
    EXPECT_EQ(ApplyError(), "Значение \"abc\" поля \"Прореживание\" не является целым числом");
}

TEST_F(DevSettings, ATableThatFailsToLoadStopsAfterTheOnesLoadedBefore) {
    Start();
    WriteTempTable("wide.tbl", -100, 700);
    form.tempTable = "wide.tbl";
    form.diffTable = "missing.tbl";
    RTableReload reload;
    reload.temp = reload.diff = true;
    EXPECT_NE(ApplyError(reload).find("missing.tbl"), std::string::npos);
    EXPECT_TRUE(reloaded.temp);  // the caller recalculates the windows with it
    EXPECT_FALSE(reloaded.diff);
    EXPECT_FLOAT_EQ(gTempCalibrationTable->GetRealValue(4000), 700.0f);
    EXPECT_EQ(config->diffTempCalibrationTable, "missing.tbl");
}

TEST_F(DevSettings, TableFilesAreListedByTheirKind) {
    Start();
    WriteFileBytes(config->fCalibrationTablesPath + "short.tbl", "not a table");
    WriteFileBytes(config->fCalibrationTablesPath + "notes.txt", std::string(600, 'x'));
    WriteTempTable("A.TBL", 0, 1);
    const auto temps = ListTableFiles(config->fCalibrationTablesPath, cttTemperature);
    EXPECT_NE(std::find(temps.begin(), temps.end(), "A.TBL"), temps.end());
    EXPECT_NE(std::find(temps.begin(), temps.end(), "t.tbl"), temps.end());
    EXPECT_EQ(std::find(temps.begin(), temps.end(), "short.tbl"), temps.end());
    EXPECT_TRUE(std::is_sorted(temps.begin(), temps.end()));
    // The only heat table is the one a fresh folder ships for the simulated cell.
    EXPECT_EQ(ListTableFiles(config->fCalibrationTablesPath, cttHeat),
              std::vector<std::string>{"SimulatedCellHeat.tbl"});
    EXPECT_TRUE(ListTableFiles(config.File("nowhere/"), cttTemperature).empty());
}
