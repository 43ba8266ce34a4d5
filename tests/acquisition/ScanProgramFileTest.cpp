#include <gtest/gtest.h>

#include "acquisition/ScanProgram.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

std::string MessageOf(const std::function<void()>& aAction) {
    try {
        aAction();
    } catch (const EScanProgramException& e) {
        return e.what();
    }
    return "(no exception)";
}

}  // namespace

TEST(ScanProgramFile, RoundTripKeepsEveryStepInOrder) {
    TTempDir dir;
    const std::string file = (dir.Path() / "run.prg").string();
    TScanProgram out("", nullptr);
    out.AddStep(spstHeating, 150, true);
    out.AddStep(spstSustain, 10, true);
    out.AddStep(spstFree, 5, false);
    out.AddStep(spstNone, 0, true);
    out.SaveToFile(file);
    EXPECT_TRUE(out.IsProgramSaved());
    const std::string text = ReadFileBytes(file);
    EXPECT_EQ(text.find("[STEP_0]\r\nstepType=1\r\nstepParam=150\r\nkeepData=1\r\n"), 0u) << text;
    EXPECT_NE(text.find("[STEP_2]\r\nstepType=3\r\nstepParam=5\r\nkeepData=0\r\n"), std::string::npos);

    TScanProgram in("", nullptr);
    in.AddStep(spstHeating, 1, true);  // replaced by the file
    in.LoadFromFile(file);
    EXPECT_TRUE(in.IsProgramSaved());
    ASSERT_EQ(in.GetItemCount(), 4);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(in.GetStep(n).stepNo, n);
        EXPECT_EQ(in.GetStep(n).stepType, out.GetStep(n).stepType);
        EXPECT_EQ(in.GetStep(n).stepParam, out.GetStep(n).stepParam);
        EXPECT_EQ(in.GetStep(n).storeScannedData, out.GetStep(n).storeScannedData);
    }
    // Saving again gives the same bytes.
    in.SaveToFile(file);
    EXPECT_EQ(ReadFileBytes(file), text);
}

TEST(ScanProgramFile, SectionsLoadInFileOrderWhateverTheirNumbers) {
    TTempDir dir;
    const auto file = dir.Path() / "order.prg";
    WriteFileBytes(file,
                   "[STEP_1]\nstepType=2\nstepParam=10\n[STEP_0]\nstepType=1\nstepParam=150\nkeepData=0\n"
                   "[Other]\nstepType=3\n[step_9]\n");
    TScanProgram p("", nullptr);
    p.LoadFromFile(file.string());
    ASSERT_EQ(p.GetItemCount(), 3);
    EXPECT_EQ(p.GetStep(1).stepType, spstSustain);
    EXPECT_EQ(p.GetStep(1).stepParam, 10);
    EXPECT_TRUE(p.GetStep(1).storeScannedData);
    EXPECT_EQ(p.GetStep(2).stepType, spstHeating);
    EXPECT_FALSE(p.GetStep(2).storeScannedData);
    // A section without keys reads the defaults.
    EXPECT_EQ(p.GetStep(3).stepType, spstNone);
    EXPECT_EQ(p.GetStep(3).stepParam, 0);
    EXPECT_TRUE(p.GetStep(3).storeScannedData);
}

TEST(ScanProgramFile, StepWithoutKeepDataIsNotRecordedFromItsFirstLoop) {
    TTempDir dir;
    const auto file = dir.Path() / "nokeep.prg";
    WriteFileBytes(file,
                   "[STEP_0]\nstepType=1\nstepParam=40\n[STEP_1]\nstepType=3\nstepParam=1\nkeepData=0\n");
    TPortIOCommandQueue queue;
    uint64_t now = 0;
    TScanProgram p("", [&] { return now; });
    p.SetCommandBuffer(queue);
    p.SetDeviceControlType(dctProgram);
    p.LoadFromFile(file.string());
    p.Start();
    p.Loop(20, 1);
    EXPECT_TRUE(p.IsCurrentStepToSaveData());
    p.Loop(41, 1);  // heating done, the free run begins
    EXPECT_TRUE(p.IsCurrentStepToSaveData());
    now = 1000;
    p.Loop(40, 0);
    EXPECT_FALSE(p.IsCurrentStepToSaveData());
}

TEST(ScanProgramFile, MissingFileAndEmptyProgramGiveTheirMessages) {
    TTempDir dir;
    TScanProgram p("", nullptr);
    p.AddStep(spstHeating, 100, true);
    EXPECT_EQ(MessageOf([&] { p.LoadFromFile((dir.Path() / "none.prg").string()); }),
              "Невозможно загрузить файл - файл не найден.");
    EXPECT_EQ(MessageOf([&] { p.LoadFromFile(dir.Path().string()); }),
              "Невозможно загрузить файл - файл не найден.");
    EXPECT_EQ(p.GetItemCount(), 1);

    TScanProgram empty("", nullptr);
    const auto file = dir.Path() / "empty.prg";
    EXPECT_EQ(MessageOf([&] { empty.SaveToFile(file.string()); }), "Программа не содержит шагов");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ScanProgramFile, RefusedSaveLeavesTheOldFileByteForByte) {
    TTempDir dir;
    const std::string old = "[STEP_0]\r\nstepType=1\r\nstepParam=90\r\nkeepData=1\r\n";
    const auto file = dir.Path() / "keep.prg";
    WriteFileBytes(file, old);
    TScanProgram p("", nullptr);
    p.AddStep(spstFree, 5, true);
    p.AddStep(spstSustain, 5, true);
    EXPECT_EQ(MessageOf([&] { p.SaveToFile(file.string()); }),
              "Невозможно использовать шаг удержания температуры после свободного хода");
    EXPECT_EQ(ReadFileBytes(file), old);
    EXPECT_FALSE(p.IsProgramSaved());

    // A write that cannot complete (here: no room in the folder entry for the temporary file
    // beside a name of 250 characters) keeps the old file too.
    const auto longName = dir.Path() / (std::string(246, 'p') + ".prg");
    WriteFileBytes(longName, old);
    p.DeleteStep(2);
    EXPECT_EQ(MessageOf([&] { p.SaveToFile(longName.string()); }),
              "Невозможно сохранить этот файл. Возможно он занять другим приложением");
    EXPECT_EQ(ReadFileBytes(longName), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(ScanProgramFile, UnknownStepTypeOrNegativeDurationIsRefusedOnLoad) {
    TTempDir dir;
    const auto file = dir.Path() / "bad.prg";
    TScanProgram p("", nullptr);
    p.AddStep(spstHeating, 100, true);

    WriteFileBytes(file, "[STEP_0]\nstepType=1\nstepParam=100\n[STEP_1]\nstepType=7\nstepParam=1\n");
    std::string message = MessageOf([&] { p.LoadFromFile(file.string()); });
    EXPECT_NE(message.find("Шаг № 2: неизвестный тип шага (7)"), std::string::npos) << message;

    WriteFileBytes(file, "[STEP_0]\nstepType=2\nstepParam=-5\n");
    message = MessageOf([&] { p.LoadFromFile(file.string()); });
    EXPECT_NE(message.find("Шаг № 1: длительность шага не может быть отрицательной (-5 мин)"),
              std::string::npos)
        << message;

    // The program stays as it was.
    ASSERT_EQ(p.GetItemCount(), 1);
    EXPECT_EQ(p.GetStep(1).stepParam, 100);
}
