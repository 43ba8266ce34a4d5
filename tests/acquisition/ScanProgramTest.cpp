#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "acquisition/ScanProgram.h"

using namespace kalvero;

namespace {

TPortIOCommand W(uint8_t aValue, uint16_t aDuration) {
    return {pcmdWrite, aValue, aDuration};
}
const TPortIOCommand kOn = W(1, 100), kOff = W(2, 100), kHold = W(4, 0), kClear = W(0, 0);
constexpr uint64_t kMinute = 60000;

// A program on a clock the test moves by hand, its queue drained after every action.
struct ProgramRig {
    explicit ProgramRig(TDeviceControlType aMode, const std::string& aDeflection = "")
        : program(aDeflection, [this] { return now; }) {
        program.SetCommandBuffer(queue);
        program.SetDeviceControlType(aMode);
    }
    std::vector<TPortIOCommand> Sent() { return queue.DequeueAll(); }
    std::vector<TPortIOCommand> LoopAt(uint64_t aTime, int32_t aTemp, uint8_t aPort) {
        now = aTime;
        program.Loop(aTemp, aPort);
        return Sent();
    }

    uint64_t now = 1000;
    TPortIOCommandQueue queue;
    TScanProgram program;
};

using Commands = std::vector<TPortIOCommand>;

}  // namespace

TEST(ScanProgramRun, EmptyProgramInProgramModeIsNotRunnableAndStartQueuesNothing) {
    ProgramRig rig(dctProgram);
    EXPECT_FALSE(rig.program.IsRunnable());
    try {
        rig.program.Start();
        FAIL() << "Start of an empty program";
    } catch (const EScanProgramException& e) {
        EXPECT_STREQ(e.what(), "Программа не содержит шагов");
    }
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(rig.program.GetState(), spsStopped);
}

TEST(ScanProgramRun, SimpleModePulsesTheHeaterAndNoneModeSendsNothing) {
    ProgramRig rig(dctSimple);
    rig.program.Start();
    EXPECT_EQ(rig.Sent(), Commands({kOn}));
    EXPECT_EQ(rig.program.GetState(), spsStopped);
    rig.program.SetPortData(1);
    EXPECT_TRUE(rig.program.IsHeatingOn());
    rig.program.Stop();
    EXPECT_EQ(rig.Sent(), Commands({kOff, kClear}));
    EXPECT_FALSE(rig.program.IsHeatingOn());

    // Without instrument control nothing is sent, but Stop still stops.
    ProgramRig none(dctNone);
    none.program.AddStep(spstHeating, 100, true);
    EXPECT_FALSE(none.program.IsRunnable());
    none.program.Start();
    none.program.Pause();
    none.program.Stop();
    EXPECT_EQ(none.program.GetState(), spsStopped);
    EXPECT_TRUE(none.Sent().empty());
}

TEST(ScanProgramRun, SingleHeatingStepHeatsUntilTheTargetIsPassed) {
    ProgramRig rig(dctProgram);
    rig.program.AddStep(spstHeating, 30, true);
    rig.program.Start();
    EXPECT_EQ(rig.Sent(), Commands({kOff, kClear}));
    EXPECT_EQ(rig.program.GetState(), spsRunning);
    // Every call that reads the heater off pulses it on again.
    EXPECT_EQ(rig.LoopAt(2000, 20, 0), Commands({kOn}));
    EXPECT_EQ(rig.LoopAt(3000, 25, 0), Commands({kOn}));
    EXPECT_EQ(rig.LoopAt(4000, 29, 1), Commands());
    EXPECT_EQ(rig.LoopAt(5000, 30, 1), Commands());
    EXPECT_FALSE(rig.program.IsFinished());
    EXPECT_EQ(rig.LoopAt(6000, 31, 1), Commands({kOff, kOff, kClear}));
    EXPECT_TRUE(rig.program.IsFinished());
    EXPECT_EQ(rig.program.GetState(), spsStopped);
    EXPECT_FALSE(rig.program.IsHeatingOn());
    // The finished flag lasts until the next Start or Stop.
    rig.program.Stop();
    EXPECT_FALSE(rig.program.IsFinished());
}

TEST(ScanProgramRun, DeflectionTableLooksUpTheIntervalOfTheRate) {
    TScanProgram p("5:2,10:4", nullptr);
    EXPECT_FLOAT_EQ(p.GetDeflection(3), 2);
    EXPECT_FLOAT_EQ(p.GetDeflection(5), 2);
    EXPECT_FLOAT_EQ(p.GetDeflection(7), 4);
    EXPECT_FLOAT_EQ(p.GetDeflection(50), 4);
    EXPECT_FLOAT_EQ(p.GetDeflection(-100), 0);
    EXPECT_FLOAT_EQ(p.GetDeflection(20000), 0);
    EXPECT_FLOAT_EQ(TScanProgram("", nullptr).GetDeflection(7), 0);
}

TEST(ScanProgramRun, DeflectionTableReadsEitherDecimalSeparatorAndDropsBadText) {
    for (const char* text : {"5:2.5,10:4", "5:2,5;10:4", " 5 : 2.5 ; 10 : 4 "}) {
        const THeatDeflection t = ParseHeatDeflection(text);
        ASSERT_EQ(t.size(), 2u) << text;
        EXPECT_FLOAT_EQ(t[0].key, 5) << text;
        EXPECT_FLOAT_EQ(t[0].value, 2.5f) << text;
        EXPECT_FLOAT_EQ(t[1].value, 4) << text;
    }
    // Any item that does not convert empties the whole table.
    for (const char* text : {"5:2,x:4", "5:2,10", "5:2,", "5:1e999", "  "})
        EXPECT_TRUE(ParseHeatDeflection(text).empty()) << text;
}

TEST(ScanProgramRun, DeflectionMovesTheSwitchOffPointDown) {
    ProgramRig rig(dctProgram, "5:2,10:4");
    rig.program.SetHeatingSpeed(7);
    rig.program.AddStep(spstHeating, 150, true);
    rig.program.AddStep(spstFree, 1, true);
    rig.program.Start();
    rig.Sent();
    EXPECT_EQ(rig.LoopAt(2000, 146, 1), Commands());
    EXPECT_EQ(rig.program.GetCurrentStep().stepNo, 1);
    // Not the last step: the heater is left to the next one, which switches it off.
    EXPECT_EQ(rig.LoopAt(3000, 147, 1), Commands());
    EXPECT_EQ(rig.program.GetCurrentStep().stepNo, 2);
}

TEST(ScanProgramRun, PausedHoldRestartsItsFullDurationAfterResume) {
    ProgramRig rig(dctProgram);
    rig.now = 0;
    rig.program.AddStep(spstSustain, 1, true);
    rig.program.Start();
    rig.Sent();
    EXPECT_EQ(rig.LoopAt(30000, 100, 0), Commands({kHold}));
    rig.program.Pause();
    EXPECT_EQ(rig.LoopAt(60000, 100, 0), Commands());
    EXPECT_EQ(rig.LoopAt(330000, 100, 0), Commands());
    rig.program.Resume();
    EXPECT_EQ(rig.LoopAt(330000 + kMinute, 100, 0), Commands({kHold}));
    EXPECT_FALSE(rig.program.IsFinished());
    EXPECT_EQ(rig.LoopAt(330001 + kMinute, 100, 0), Commands({kHold, kClear, kOff, kClear}));
    EXPECT_TRUE(rig.program.IsFinished());
}

TEST(ScanProgramRun, PausedFreeRunKeepsCountingThroughThePause) {
    ProgramRig rig(dctProgram);
    rig.now = 0;
    rig.program.AddStep(spstFree, 1, true);
    rig.program.Start();
    rig.Sent();
    EXPECT_EQ(rig.LoopAt(10000, 100, 0), Commands({kOff, kClear}));
    rig.program.Pause();
    EXPECT_EQ(rig.LoopAt(60000, 100, 0), Commands());
    EXPECT_EQ(rig.LoopAt(300000, 100, 0), Commands());
    rig.program.Resume();
    EXPECT_EQ(rig.LoopAt(300000, 100, 0), Commands({kOff, kClear, kOff, kClear}));
    EXPECT_TRUE(rig.program.IsFinished());
}

TEST(ScanProgramRun, EmptyHeatHoldFreeRunGoesThroughEveryStepOnTime) {
    ProgramRig rig(dctProgram);
    rig.program.AddStep(spstNone, 0, false);
    rig.program.AddStep(spstHeating, 150, true);
    rig.program.AddStep(spstSustain, 10, true);
    rig.program.AddStep(spstFree, 5, false);
    rig.program.Start();
    rig.Sent();
    // An empty step only passes on, and its call records the samples.
    EXPECT_EQ(rig.LoopAt(1500, 20, 1), Commands());
    EXPECT_TRUE(rig.program.IsCurrentStepToSaveData());
    EXPECT_EQ(rig.LoopAt(2000, 100, 0), Commands({kOn}));
    EXPECT_TRUE(rig.program.IsCurrentStepToSaveData());
    // The hold begins when the heating ends, and lasts ten minutes from then.
    EXPECT_EQ(rig.LoopAt(5000, 151, 1), Commands());
    EXPECT_EQ(rig.LoopAt(5000 + 10 * kMinute, 150, 1), Commands({kHold}));
    EXPECT_EQ(rig.program.GetCurrentStep().stepType, spstSustain);
    EXPECT_EQ(rig.LoopAt(5001 + 10 * kMinute, 150, 1), Commands({kHold, kClear}));
    const uint64_t freeStart = 5001 + 10 * kMinute;
    EXPECT_EQ(rig.program.GetCurrentStep()._stepStartTime, freeStart);
    EXPECT_EQ(rig.LoopAt(freeStart + 1000, 149, 0), Commands({kOff, kClear}));
    EXPECT_FALSE(rig.program.IsCurrentStepToSaveData());
    EXPECT_EQ(rig.LoopAt(freeStart + 5 * kMinute + 1, 120, 0), Commands({kOff, kClear, kOff, kClear}));
    EXPECT_TRUE(rig.program.IsFinished());
}

TEST(ScanProgramFaults, ResumingAFinishedProgramReadsNoStepAndSendsNothing) {
    ProgramRig rig(dctProgram);
    rig.program.AddStep(spstHeating, 30, true);
    rig.program.Start();
    rig.LoopAt(2000, 31, 1);
    ASSERT_TRUE(rig.program.IsFinished());
    rig.program.Pause();
    rig.program.Resume();
    EXPECT_TRUE(rig.program.IsRunning());
    EXPECT_EQ(rig.LoopAt(3000, 20, 0), Commands());
    EXPECT_THROW(rig.program.GetCurrentStep(), EScanProgramException);
    EXPECT_TRUE(rig.program.IsFinished());
}

TEST(ScanProgramFaults, EmptyProgramInSimpleModeHasNoCurrentStep) {
    ProgramRig rig(dctSimple);
    rig.program.Pause();
    rig.program.Resume();
    EXPECT_TRUE(rig.program.IsRunning());
    EXPECT_EQ(rig.LoopAt(2000, 20, 0), Commands());
    try {
        rig.program.GetCurrentStep();
        FAIL();
    } catch (const EScanProgramException& e) {
        EXPECT_STREQ(e.what(), "Not running!");
    }
}

TEST(ScanProgramFaults, FailingLoopSwitchesTheHeaterOffAndStopsExecuting) {
    // A deflection beyond any temperature makes the switch-off point unrepresentable.
    ProgramRig rig(dctProgram, "5:1e30");
    rig.program.SetHeatingSpeed(2);
    rig.program.AddStep(spstHeating, 150, true);
    rig.program.Start();
    rig.Sent();
    rig.now = 2000;
    EXPECT_ANY_THROW(rig.program.Loop(20, 0));
    EXPECT_EQ(rig.Sent(), Commands({kOn, kOff, kClear}));
    EXPECT_EQ(rig.program.GetState(), spsError);
    EXPECT_FALSE(rig.program.IsRunning());
    EXPECT_EQ(rig.LoopAt(3000, 20, 0), Commands());
    rig.program.Stop();
    EXPECT_EQ(rig.program.GetState(), spsStopped);
}

TEST(ScanProgramFaults, StopSwitchesOffEvenAfterTheControlTypeWasDropped) {
    ProgramRig rig(dctProgram);
    rig.program.AddStep(spstHeating, 150, true);
    rig.program.Start();
    rig.Sent();
    EXPECT_EQ(rig.LoopAt(2000, 20, 0), Commands({kOn}));
    rig.program.SetDeviceControlType(dctNone);
    rig.program.Stop();
    EXPECT_EQ(rig.Sent(), Commands({kOff, kClear}));
}

TEST(ScanProgramFaults, StopFromAnotherThreadIsNeverOvertakenByAHeaterOn) {
    for (int round = 0; round < 50; ++round) {
        TPortIOCommandQueue queue;
        TScanProgram program("", nullptr);
        program.SetCommandBuffer(queue);
        program.SetDeviceControlType(dctProgram);
        program.AddStep(spstHeating, 1000, true);
        program.Start();
        std::atomic<bool> go{true};
        std::thread acquisition([&] {
            while (go)
                program.Loop(20, 0);
        });
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        program.Stop();
        go = false;
        acquisition.join();
        const std::vector<TPortIOCommand> sent = queue.DequeueAll();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[sent.size() - 2], kOff);
        EXPECT_EQ(sent.back(), kClear);
    }
}

TEST(ScanProgramEdit, StepsAreRenumberedAndEditsNeedTheStoppedState) {
    TScanProgram p("", nullptr);
    for (int i = 1; i <= 4; ++i)
        p.AddStep(spstHeating, i * 100, i % 2 == 0);
    EXPECT_FALSE(p.IsProgramSaved());
    p.DeleteStep(2);
    ASSERT_EQ(p.GetItemCount(), 3);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(p.GetStep(n).stepNo, n);
    EXPECT_EQ(p.GetStep(2).stepParam, 300);
    EXPECT_FALSE(p.GetStep(2).storeScannedData);
    EXPECT_EQ(p.GetStep(3).stepParam, 400);
    EXPECT_TRUE(p.GetStep(3).storeScannedData);

    p.UpdateStep(1, spstFree, 77, false, true);
    EXPECT_EQ(p.GetStep(1).stepParam, 5);
    p.UpdateStep(1, spstSustain, 77, true, false);
    EXPECT_EQ(p.GetStep(1).stepParam, 77);
    p.UpdateStep(2, spstSustain, 0, true, true);
    EXPECT_EQ(p.GetStep(2).stepParam, 1);

    for (int bad : {0, 4, -1}) {
        try {
            p.GetStep(bad);
            FAIL() << bad;
        } catch (const EScanProgramException& e) {
            EXPECT_STREQ(e.what(), "Некорректный номер шага");
        }
    }
    // While running, the state is checked before the number.
    p.SetDeviceControlType(dctProgram);
    p.Start();
    try {
        p.DeleteStep(99);
        FAIL();
    } catch (const EScanProgramException& e) {
        EXPECT_STREQ(e.what(), "Некорректное состояние программы для выполнения действия");
    }
    EXPECT_THROW(p.AddStep(spstHeating, 1, true), EScanProgramException);
    EXPECT_THROW(p.Clear(), EScanProgramException);
    EXPECT_EQ(p.GetItemCount(), 3);
    p.Stop();
    p.Clear();
    EXPECT_EQ(p.GetItemCount(), 0);
    EXPECT_TRUE(p.IsProgramSaved());
}

TEST(ScanProgramEdit, ValidateRefusesHoldAfterFreeRunAndEndlessSteps) {
    TScanProgram p("", nullptr);
    p.AddStep(spstHeating, 100, true);
    p.AddStep(spstFree, 5, true);
    p.AddStep(spstSustain, 5, true);
    try {
        p.Validate();
        FAIL();
    } catch (const EScanProgramException& e) {
        EXPECT_STREQ(e.what(), "Невозможно использовать шаг удержания температуры после свободного хода");
    }
    p.DeleteStep(3);
    EXPECT_NO_THROW(p.Validate());
    p.AddStep(spstSustain, -1, true);
    EXPECT_THROW(p.Validate(), EScanProgramException);
    p.UpdateStep(3, static_cast<TScanProgramStepType>(9), 1, true, false);
    EXPECT_THROW(p.Validate(), EScanProgramException);
    // A heating step may aim below zero.
    p.UpdateStep(3, spstHeating, -20, true, false);
    EXPECT_NO_THROW(p.Validate());
}
