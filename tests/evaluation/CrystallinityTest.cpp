// Degree of crystallinity and the shipped list of reference heats.

#include <gtest/gtest.h>

#include "common/Config.h"
#include "common/FileUtil.h"
#include "evaluation/Crystallinity.h"
#include "evaluation/EvaluationTypes.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::evaluation;

TEST(Crystallinity, MeltingLessColdCrystallisationOverTheReference) {
    // A PET heated from the glass: 45 J/g melting, 25 J/g cold crystallisation, 140 J/g reference.
    const RCrystallinity pet = EvaluateCrystallinity(45, 25, 140);
    EXPECT_NEAR(pet.percent, 100.0 * 20 / 140, 1e-12);
    EXPECT_TRUE(pet.warnings.empty());
    // Signs do not matter (exotherms may come negative); no cold crystallisation is NaN or 0.
    EXPECT_NEAR(EvaluateCrystallinity(-45, -25, 140).percent, pet.percent, 1e-12);
    EXPECT_NEAR(EvaluateCrystallinity(146.5, NAN, 293).percent, 50, 1e-12);
    // 30 % glass fibre: the polymer is 70 % of the mass.
    EXPECT_NEAR(EvaluateCrystallinity(45, 25, 140, 0.7).percent, pet.percent / 0.7, 1e-12);
}

TEST(Crystallinity, DoubtfulAndImpossible) {
    EXPECT_FALSE(EvaluateCrystallinity(10, 25, 140).warnings.empty());  // negative: amorphous
    EXPECT_FALSE(EvaluateCrystallinity(300, 0, 140).warnings.empty());  // above 100 %
    EXPECT_THROW(EvaluateCrystallinity(45, 25, 0), EEvaluationError);
    EXPECT_THROW(EvaluateCrystallinity(45, 25, 140, 0), EEvaluationError);
    EXPECT_THROW(EvaluateCrystallinity(NAN, 25, 140), EEvaluationError);
}

TEST(Crystallinity, ShippedReferencePolymersAndTheProgramDataCopy) {
    test::TTempDir dir;
    const auto shipped = LoadReferencePolymers(dir.Str());
    ASSERT_GE(shipped.size(), 7u);
    const std::pair<const char*, double> published[] = {
        {"PE", 293}, {"PP", 207}, {"PET", 140}, {"PA6", 230}, {"PEEK", 130}, {"PLA", 93}, {"POM", 326}};
    for (const auto& [id, heat] : published) {
        const RReferencePolymer* p = FindReferencePolymer(shipped, id);
        ASSERT_NE(p, nullptr) << id;
        EXPECT_DOUBLE_EQ(p->heat, heat) << id;
        EXPECT_FALSE(p->source.empty()) << id;
    }
    EXPECT_EQ(FindReferencePolymer(shipped, "pet")->name, "Полиэтилентерефталат");
    EXPECT_EQ(FindReferencePolymer(shipped, "Полиэтилен")->id, "PE");
    EXPECT_EQ(FindReferencePolymer(shipped, "PVC"), nullptr);

    // A new program-data folder gets its own copy (Windows-1251), which then counts.
    const std::string data = dir.Str() + "data";
    PrepareProgramDataFolder(data);
    EXPECT_EQ(LoadReferencePolymers(data).size(), shipped.size());
    WriteFileAtomic(data + "/" + REFERENCE_POLYMERS_FILE,
                    "[PBT]\nName=Полибутилентерефталат\nMeltingHeat=140,0\nSource=x\n[broken]\nName=y\n");
    const auto own = LoadReferencePolymers(data);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].id, "PBT");
    EXPECT_DOUBLE_EQ(own[0].heat, 140);
}
