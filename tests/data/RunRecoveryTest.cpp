// Runs that survive a crash: a recording process killed with SIGKILL leaves every sample up to
// its last flush; the recovery file of a finished run waits for the save; a damaged one is passed
// over.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "data/DataClass.h"
#include "data/RunRecovery.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

int32_t T(int i, int ch) {
    return 1000 + i * 3 + ch;
}

int32_t Dt(int i, int ch) {
    return 2000 - i % 97 + 10 * ch;
}

class RunRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        config->numberOfDataChannels = 2;
        config->frequency = 10;
        config->endTime = 1000;  // 10 000 items
    }
    // An experiment being recorded into channels aFirst … aLast, with items 0 … aItems − 1 filled.
    static void Fill(TDataClass& d, int aFrom, int aTo, int aFirst, int aLast) {
        for (int i = aFrom; i < aTo; ++i)
            for (int ch = aFirst; ch <= aLast; ++ch)
                d.items[i][ch].t = T(i, ch), d.items[i][ch].dt = Dt(i, ch);
    }
    std::string Data() { return config->fProgramDataPath; }

    TTestConfig config;
};

TEST_F(RunRecoveryTest, AKilledRecordingKeepsEverySampleUpToItsLastFlush) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The recording process: 100 items at a time, each batch made durable, then reported.
        ::close(pipeFds[0]);
        TDataClass d("/data/run.dsc");
        d.fSampleName = "Индий";
        d.fFirstScanChannelNo = 0, d.fLastScanChannelNo = 1;
        TRunRecovery recovery(Data(), d, false);
        for (int batch = 1; batch <= 100; ++batch) {
            Fill(d, (batch - 1) * 100, batch * 100, 0, 1);
            recovery.Take(d, static_cast<uint32_t>(batch * 100));
            recovery.Write(batch % 2 == 0);  // every other batch durably
            if (batch % 2 == 0) {
                const int flushed = batch * 100;
                if (::write(pipeFds[1], &flushed, sizeof flushed) != sizeof flushed) ::_exit(3);
            }
            ::usleep(2000);
        }
        ::pause();
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int flushed = 0;
    while (flushed < 3000)
        ASSERT_EQ(::read(pipeFds[0], &flushed, sizeof flushed), static_cast<ssize_t>(sizeof flushed));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(pipeFds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    const auto runs = FindRecoveredRuns(Data());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].fileName, "/data/run.dsc");
    ASSERT_GE(runs[0].items, static_cast<uint32_t>(flushed));
    EXPECT_EQ(runs[0].Seconds(), runs[0].items / 10.0);
    TDataClass recovered;
    LoadRecoveredRun(runs[0], recovered);
    EXPECT_EQ(recovered.fSampleName, "Индий");
    EXPECT_EQ(recovered.fFileName, "/data/run.dsc");
    EXPECT_TRUE(recovered.fHasUnsavedChanges);
    EXPECT_FALSE(recovered.fWasSaved);
    EXPECT_EQ(recovered.descriptors[1].fScanEndPoint, static_cast<int32_t>(runs[0].items) - 1);
    for (uint32_t i = 0; i < runs[0].items; ++i)
        for (int ch = 0; ch <= 1; ++ch) {
            ASSERT_EQ(recovered.items[i][ch].t, T(static_cast<int>(i), ch)) << i;
            ASSERT_EQ(recovered.items[i][ch].dt, Dt(static_cast<int>(i), ch)) << i;
        }
    // Taken back, the run is no longer offered; saving it removes its file.
    EXPECT_TRUE(FindRecoveredRuns(Data()).empty());
    const std::string file = runs[0].recoveryFile;
    recovered.SaveToFile(config.File("recovered.dsc"), false);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(RunRecoveryTest, AFinishedRunWaitsForTheSaveAndARunningOneIsNeverDiscarded) {
    TDataClass d;
    d.fFirstScanChannelNo = 1, d.fLastScanChannelNo = 1;
    Fill(d, 0, 500, 0, 0);  // channel 0 held data before: it is the base
    auto recovery = std::make_unique<TRunRecovery>(Data(), d, true);
    Fill(d, 0, 300, 1, 1);
    recovery->Take(d, 300);
    recovery->Write(true);
    DiscardRecovery(&d);  // still recording: nothing happens
    ASSERT_TRUE(std::filesystem::exists(recovery->FileName()));
    EXPECT_TRUE(FindRecoveredRuns(Data()).empty());  // held by this process

    recovery->Finish();
    const std::string file = recovery->FileName();
    recovery.reset();
    ASSERT_TRUE(std::filesystem::exists(file));
    TDataClass copy;
    // Another look at the file, as the next start would have it, sees both channels.
    {
        const std::string bytes = kalvero::test::ReadFileBytes(file);
        const std::string other = config.File("other.krec");
        kalvero::test::WriteFileBytes(other, bytes);
        std::filesystem::create_directories(Data() + "elsewhere/recovery");
        std::filesystem::rename(other, Data() + "elsewhere/recovery/run.krec");
        const auto runs = FindRecoveredRuns(Data() + "elsewhere");
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].items, 300u);
        LoadRecoveredRun(runs[0], copy);
        EXPECT_EQ(copy.items[400][0].t, T(400, 0));
        EXPECT_EQ(copy.items[299][1].dt, Dt(299, 1));
        EXPECT_EQ(copy.items[300][1].dt, 0);
        DiscardRecovery(&copy);
        EXPECT_TRUE(FindRecoveredRuns(Data() + "elsewhere").empty());
    }
    d.SaveToFile(config.File("saved.dsc"), false);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(RunRecoveryTest, DamagedFilesArePassedOverAndATornRecordIsDropped) {
    std::filesystem::create_directories(Data() + "recovery");
    kalvero::test::WriteFileBytes(Data() + "recovery/junk.krec", "not a recovery file at all");
    TDataClass d;
    d.fFirstScanChannelNo = 0, d.fLastScanChannelNo = 0;
    std::string file;
    {
        TRunRecovery recovery(Data(), d, false);
        Fill(d, 0, 10, 0, 0);
        recovery.Take(d, 10);
        recovery.Finish();
        file = recovery.FileName();
    }
    // Copied aside with half a record more, as a crash in the middle of a write leaves it.
    std::string bytes = kalvero::test::ReadFileBytes(file) + std::string(4, '\x7f');
    DiscardRecovery(&d);
    kalvero::test::WriteFileBytes(Data() + "recovery/torn.krec", bytes);
    const auto runs = FindRecoveredRuns(Data());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].items, 10u);
    EXPECT_TRUE(std::filesystem::exists(Data() + "recovery/junk.krec"));  // not ours to delete
}

}  // namespace
