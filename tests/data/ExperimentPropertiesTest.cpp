// The experiment-properties dialog's values: filling from an experiment and OK in its order.

#include <gtest/gtest.h>

#include <cmath>

#include "common/Cp1251.h"
#include "common/IniFile.h"
#include "data/DataClass.h"
#include "data/ExperimentProperties.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

struct Properties : ::testing::Test {
    void SetUp() override {
        config->endTime = 2;
        d = std::make_unique<TDataClass>();
    }
    std::string Library() {
        return TIniFile(config->SettingsFileName()).ReadString("DataLibrary", "experimentatorsList", "?");
    }
    TTestConfig config;
    std::unique_ptr<TDataClass> d;
};

}  // namespace

TEST_F(Properties, FillingShowsTheExperiment) {
    d->fOperatorName = "Петров";
    d->fSampleWeight = 12.3456;
    d->fHeatSpeed = 5;
    d->fDateCreate = EncodeDateTime(2024, 3, 5);  // a day without a time of day
    d->timeScale = tmMinutes;
    const RPropertiesForm f = PropertiesForm(*d, *config);
    EXPECT_EQ(f.operatorName, "Петров");
    EXPECT_EQ(f.mass, "12.346");
    EXPECT_EQ(f.heatSpeed, "5");
    EXPECT_EQ(f.timeScale, 1);
    EXPECT_EQ(f.date.year, 2024);
    EXPECT_EQ(f.date.day, 5);
    EXPECT_EQ(f.date.millisecond, 1);  // shown as 00:00:00.001
    ASSERT_EQ(f.rangeLabels.size(), 4u);

    d->fHeatSpeed = 7;         // not an offered rate: no choice
    d->fDateCreate = -700000;  // before the first day the date field can show
    const RPropertiesForm g = PropertiesForm(*d, *config);
    EXPECT_EQ(g.heatSpeed, "");
    EXPECT_GE(g.date.year, 2024);  // now
}

TEST_F(Properties, NamesAreTrimmedAndOnlyNewOnesJoinTheWordLists) {
    RPropertiesForm f = PropertiesForm(*d, *config);
    f.operatorName = "   ";
    f.laboratory = "  Лаб. 3 ";
    f.sample = "";
    f.mass = "1,5";
    EXPECT_TRUE(ApplyProperties(f, *d, *config));
    EXPECT_EQ(d->fOperatorName, "");
    EXPECT_EQ(d->fLaboratoryName, "Лаб. 3");
    EXPECT_TRUE(config->operatorsList.empty());  // blanks are no name
    EXPECT_EQ(config->labsList, std::vector<std::string>{"Лаб. 3"});
    EXPECT_EQ(TIniFile(config->SettingsFileName()).ReadString("DataLibrary", "laboratoriesList", ""),
              "Лаб. 3");
    EXPECT_TRUE(d->fHasUnsavedChanges);
    EXPECT_DOUBLE_EQ(d->fSampleWeight, 1.5);

    // The same word in other letters is not a new one; the lists stay sorted.
    f.laboratory = "лаб. 3";
    f.operatorName = "Яковлев";
    f.mass = "2.25";
    EXPECT_TRUE(ApplyProperties(f, *d, *config));
    EXPECT_EQ(config->labsList.size(), 1u);
    f.operatorName = "Андреев";
    ApplyProperties(f, *d, *config);
    EXPECT_EQ(config->operatorsList, (std::vector<std::string>{"Андреев", "Яковлев"}));
    EXPECT_EQ(Library(), "Андреев$Яковлев");
    EXPECT_DOUBLE_EQ(d->fSampleWeight, 2.25);
    EXPECT_FALSE(ApplyProperties(f, *d, *config));  // nothing new: nothing stored
}

TEST_F(Properties, AnErrorEndsTheAssignmentsThere) {
    RPropertiesForm f = PropertiesForm(*d, *config);
    d->fHeatSpeed = 7;
    d->tempScale = tsUnits;
    f.description = std::string(300, 'x');
    f.mass = "много";
    f.tempScale = tsDegrees;
    f.heatSpeed = "20";
    f.date = {2023, 1, 2, 3, 4, 5, 6};
    try {
        ApplyProperties(f, *d, *config);
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Значение \"много\" поля \"Масса навески (мг)\" не является числом");
    }
    EXPECT_EQ(d->fDescription.size(), 255u);
    EXPECT_EQ(d->tempScale, tsUnits);  // after the mass: not assigned
    EXPECT_FLOAT_EQ(d->fHeatSpeed, 7.0f);
    const RDateTimeParts p = DecodeDateTime(d->fDateCreate);
    EXPECT_EQ(p.year, 2023);
    EXPECT_EQ(p.second, 5);

    // An empty heating-rate choice keeps the experiment's rate.
    f.mass = "3";
    f.heatSpeed = "";
    ApplyProperties(f, *d, *config);
    EXPECT_FLOAT_EQ(d->fHeatSpeed, 7.0f);
    EXPECT_EQ(d->tempScale, tsDegrees);
}
