// The program-settings dialog's values, the scale lists and the reading of dialog fields.

#include <gtest/gtest.h>

#include "common/AppSettingsForm.h"
#include "common/FormFields.h"
#include "common/ScaleLists.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

TEST(FormFields, NumbersWithEitherSeparatorAndMessagesNamingTheField) {
    EXPECT_DOUBLE_EQ(ReadRealField(" 1,5 ", "Масса"), 1.5);
    EXPECT_DOUBLE_EQ(ReadRealField("1.5", "Масса"), 1.5);
    EXPECT_THROW(ReadRealField("nan", "Масса"), EFormFieldException);
    EXPECT_THROW(ReadRealField("", "Масса"), EFormFieldException);
    EXPECT_EQ(ReadIntegerField(" 42 ", "Шаг:", 0, 100), 42);
    try {
        ReadIntegerField("99999999999999999999", " Шаг: ", 0, 100);
        FAIL();
    } catch (const EFormFieldException& e) {
        EXPECT_STREQ(e.what(), "Значение поля \"Шаг\" должно быть в пределах от 0 до 100");
    }
    EXPECT_THROW(ReadIntegerField("4.5", "Шаг", 0, 100), EFormFieldException);
    EXPECT_THROW(ReadPositiveRealField("0", "Частота"), EFormFieldException);
}

TEST(ScaleLists, PositionsAndValues) {
    EXPECT_EQ(TimeScaleList().back(), "Отсчёты АЦП");
    EXPECT_EQ(TimeScaleIndex(3600), 2);
    EXPECT_EQ(TimeScaleIndex(0), 3);
    EXPECT_EQ(TimeScaleIndex(7), -1);
    EXPECT_EQ(TimeScaleOfIndex(1, 1), 60);
    EXPECT_EQ(TimeScaleOfIndex(-1, 7), 7);  // no choice keeps the value
    TTestConfig config;
    config->heatSpeedList = {1, 2.5, 10};
    EXPECT_EQ(HeatSpeedTexts(*config), (std::vector<std::string>{"1", "2.5", "10"}));
    EXPECT_EQ(AreaScaleList(*config), (std::vector<std::string>{"Отсчёты АЦП", "Дж", "Дж/г"}));
}

TEST(AppSettings, ApplyInOrderStopsAtTheRangeErrorAndKeepsUnchosenGroups) {
    TTestConfig config;
    config->tangentDetectType = 7;  // off the list: no choice shown, value kept
    RAppSettingsForm f = AppSettingsForm(*config);
    EXPECT_EQ(f.tangentDetectType, -1);
    EXPECT_EQ(f.priority, 2);  // "Средний"
    f.useAA = true;
    f.expandableScale = false;
    f.priority = 4;
    f.dataFolder = " /data/runs ";
    f.baseLineLimit = 14.6;
    ApplyAppSettings(f, *config);
    EXPECT_EQ(config->tangentDetectType, 7);
    EXPECT_EQ(config->scanThreadPriority, 5);
    EXPECT_EQ(config->zoomKindWhileScan, 1);
    EXPECT_EQ(config->appUserDataPath, "/data/runs/");
    EXPECT_EQ(config->detectBaseLineLimit, 15);

    f.tangentTimeRange = "70000";
    f.fillPeaks = !config->fillPeaks;
    f.smoothStep = 77;
    EXPECT_THROW(ApplyAppSettings(f, *config), EFormFieldException);
    EXPECT_EQ(config->fillPeaks, f.fillPeaks);  // before the failing field
    EXPECT_NE(config->smoothStep, 77);          // after it
    EXPECT_EQ(RegistrationCaption(*config), "Регистрация файлов с расширением 'dsc' в системе");
}
