// The reference substances the program ships, and an installation's own list.

#include <gtest/gtest.h>

#include "calibration/ReferenceSubstances.h"
#include "common/Config.h"
#include "common/FileUtil.h"
#include "support/TempDir.h"

using namespace kalvero;

TEST(ReferenceSubstances, ShippedListAndTheProgramDataCopy) {
    test::TTempDir dir;
    // A folder without the file (made by an older version) reads the shipped list.
    const auto shipped = LoadReferenceSubstances(dir.Str());
    ASSERT_EQ(shipped.size(), 4u);
    const RReferenceSubstance* indium = FindReferenceSubstance(shipped, "Indium");
    ASSERT_NE(indium, nullptr);
    EXPECT_EQ(indium->name, "Индий");
    EXPECT_DOUBLE_EQ(indium->meltingTemp, 156.6);
    EXPECT_DOUBLE_EQ(indium->meltingHeat, 28.6);
    EXPECT_EQ(FindReferenceSubstance(shipped, "Цинк")->meltingTemp, 419.5);
    EXPECT_EQ(FindReferenceSubstance(shipped, "gold"), nullptr);

    // A new program-data folder gets its own copy, written in Windows-1251, which then counts.
    const std::string data = dir.Str() + "data";
    PrepareProgramDataFolder(data);
    EXPECT_EQ(LoadReferenceSubstances(data).size(), 4u);
    WriteFileAtomic(data + "/" + REFERENCE_SUBSTANCES_FILE,
                    "[gallium]\nName=Галлий\nMeltingTemp=29,76\nMeltingHeat=80.1\n[broken]\nName=x\n");
    const auto own = LoadReferenceSubstances(data);
    ASSERT_EQ(own.size(), 1u);  // a section without its numbers is left out
    EXPECT_EQ(own[0].id, "gallium");
    EXPECT_DOUBLE_EQ(own[0].meltingTemp, 29.76);
}
