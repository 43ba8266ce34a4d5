// A process killed in the middle of saving never leaves a damaged file: a child saves two versions
// of a file in turn without pause, the parent kills it at a random moment, and the file must be
// one of the two versions byte for byte (and load again).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "acquisition/ScanProgram.h"
#include "calibration/TempCalibration.h"
#include "data/DataClass.h"
#include "support/TempDir.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

struct RKillReport {
    int rounds = 0;
    int interruptedSaves = 0;  // rounds that left a half-written temporary file behind
};

// Saves version A once, then kills aRounds children that save B and A alternately for ever.
// After every kill the target must hold A or B exactly.
RKillReport KillDuringSaves(const std::filesystem::path& aTarget, const std::function<void()>& aSaveA,
                            const std::function<void()>& aSaveB, int aRounds, int aMaxDelayMs) {
    aSaveB();
    const std::string b = ReadFileBytes(aTarget);
    aSaveA();
    const std::string a = ReadFileBytes(aTarget);
    EXPECT_NE(a, b);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(1, aMaxDelayMs * 1000);
    RKillReport report;
    for (int round = 0; round < aRounds; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (;;) {
                aSaveB();
                aSaveA();
            }
        }
        EXPECT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        const std::string now = ReadFileBytes(aTarget);
        EXPECT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        // The killed save's temporary file is the only trace; remove it for the next round.
        for (const auto& entry : std::filesystem::directory_iterator(aTarget.parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("." + aTarget.filename().string() + ".tmp", 0) == 0) {
                ++report.interruptedSaves;
                std::filesystem::remove(entry.path());
            }
        }
        ++report.rounds;
    }
    return report;
}

class SaveCrash : public ::testing::Test {
protected:
    TTestConfig config;
};

}  // namespace

TEST_F(SaveCrash, ExperimentIsOldOrNewAfterAKill) {
    TDataClass d;
    constexpr int kItems = 2'000'000;  // 16 MB: a save takes long enough to be hit in the middle
    d.SetItemsLength(kItems, true);
    for (int i = 0; i < kItems; ++i)
        d.items[i][0].t = i, d.items[i][0].dt = i % 1000;
    const std::filesystem::path file = config.File("run.dsc");
    auto save = [&](int32_t aMark) {
        d.items[0][0].dt = aMark;
        d.SaveToFile(file.string(), false);
    };
    const RKillReport r = KillDuringSaves(
        file, [&] { save(1); }, [&] { save(2); }, 20, 60);
    EXPECT_GT(r.interruptedSaves, 0) << "no kill landed inside a save";
    TDataClass back;
    back.LoadFromFile(file.string(), ftDSC, 0);
    EXPECT_EQ(back.GetItemCount(), kItems);
}

TEST_F(SaveCrash, TableProgramAndSettingsAreOldOrNewAfterAKill) {
    TTempCalibrationTable table(0, 1 << 20);
    table.AddTempRefPoint(0, 20, "");
    table.AddTempRefPoint(1 << 20, 420, "");
    const std::filesystem::path tableFile = config.File("t.tbl");
    auto saveTable = [&](float aEnd) {
        table.ClearRefPoints();
        table.AddTempRefPoint(0, 20, "");
        table.AddTempRefPoint(1 << 20, aEnd, "");
        table.SaveToFile(tableFile.string());
    };
    KillDuringSaves(
        tableFile, [&] { saveTable(420); }, [&] { saveTable(520); }, 20, 5);
    TTempCalibrationTable back(0, 1 << 20);
    EXPECT_NO_THROW(back.LoadFromPath(tableFile.string()));

    const std::filesystem::path programFile = config.File("p.prg");
    auto saveProgram = [&](int32_t aTemp) {
        TScanProgram p;
        p.AddStep(spstHeating, aTemp, true);
        p.AddStep(spstSustain, 2, true);
        p.SaveToFile(programFile.string());
    };
    KillDuringSaves(
        programFile, [&] { saveProgram(200); }, [&] { saveProgram(300); }, 20, 5);
    TScanProgram program;
    EXPECT_NO_THROW(program.LoadFromFile(programFile.string()));

    auto saveSettings = [&](int32_t aLimit) {
        config->detectPeakHighLimit = aLimit;
        config->SaveAppSettings();
    };
    KillDuringSaves(
        config->SettingsFileName(), [&] { saveSettings(40); }, [&] { saveSettings(50); }, 20, 5);
    config->LoadSettings();
    EXPECT_TRUE(config->detectPeakHighLimit == 40 || config->detectPeakHighLimit == 50);
}
