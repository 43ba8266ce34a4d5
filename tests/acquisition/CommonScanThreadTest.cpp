#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "acquisition/CommonScanThread.h"
#include "acquisition/ScanProgram.h"
#include "acquisition/ScanTestSupport.h"
#include "data/DataClass.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// A back-end whose body idles, or fails on its first working turn when told to.
class TProbeThread final : public TCommonScanThread {
public:
    TProbeThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
        : TCommonScanThread(aConfig, std::move(aClock)) {}
    ~TProbeThread() override { TerminateAndWait(); }

    using TCommonScanThread::SetErrorCode;

    std::atomic<int> bodies{0};
    std::atomic<int> turns{0};
    std::atomic<bool> failNext{false};
    std::atomic<bool> failedOnThread{false};

protected:
    void Execute() override {
        ++bodies;
        while (!Terminated()) {
            if (Suspended()) {
                MarkIdle(true);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            MarkIdle(false);
            ++turns;
            if (failNext.exchange(false)) {
                ReportBodyFailure("boom", true);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

class ScanThreadTest : public ::testing::Test {
protected:
    ScanThreadTest() {
        config->numberOfDataChannels = 2;
        data = std::make_unique<TDataClass>();
        data->CreateCannel("Канал № 3", CHANNEL_TYPE_PERMANENT);
        thread = std::make_unique<TProbeThread>(*config, clock);
        thread->SetDataClass(data.get());
    }

    TTestConfig config;
    std::shared_ptr<TManualClock> clock = std::make_shared<TManualClock>();
    // Declared before the thread: a running thread stops its program when it goes.
    TScanProgram program{"", clock->AsTickClock()};
    std::unique_ptr<TDataClass> data;
    std::unique_ptr<TProbeThread> thread;
};

}  // namespace

TEST_F(ScanThreadTest, FreshThreadIsIdleWithoutErrors) {
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
    EXPECT_TRUE(thread->IsStopped());
    EXPECT_FALSE(thread->WasStarted());
    EXPECT_EQ(thread->GetDeviceType(), itEmul);
    EXPECT_EQ(thread->GetStartChannelNo(), 0);
}

TEST_F(ScanThreadTest, ErrorTextsFollowTheErrorCode) {
    thread->SetErrorCode(2);
    EXPECT_EQ(thread->GetErrorMessage(), " Ошибка выполнения");
    thread->SetErrorCode(1);
    EXPECT_EQ(thread->GetErrorMessage(), "Нет связи");
    thread->SetErrorCode(8);
    EXPECT_EQ(thread->GetErrorMessage(), "Неизвестная ошибка");
    thread->InitHardware();  // a new attempt starts clean
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
}

TEST_F(ScanThreadTest, StartChannelMustLeaveRoomForEveryDataChannel) {
    // Two data channels, three experiment channels: 0 and 1 fit, 2 does not.
    thread->SetStartChannelNo(0);
    thread->SetStartChannelNo(1);
    EXPECT_EQ(thread->GetStartChannelNo(), 1);
    try {
        thread->SetStartChannelNo(2);
        FAIL() << "start channel 2 accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Недостаточно каналов данных для сканирования");
    }
    EXPECT_EQ(thread->GetStartChannelNo(), 1);
}

TEST(ScanThreadPriority, ConfiguredValuesMapAndOthersAreNormal) {
    EXPECT_EQ(ThreadPriorityFromConfig(1), tpLowest);
    EXPECT_EQ(ThreadPriorityFromConfig(2), tpLower);
    EXPECT_EQ(ThreadPriorityFromConfig(3), tpNormal);
    EXPECT_EQ(ThreadPriorityFromConfig(4), tpHigher);
    EXPECT_EQ(ThreadPriorityFromConfig(5), tpHighest);
    EXPECT_EQ(ThreadPriorityFromConfig(6), tpNormal);
    EXPECT_EQ(ThreadPriorityFromConfig(0), tpNormal);
}

TEST_F(ScanThreadTest, SecondStartReusesTheBodyAndClearsTheCounters) {
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    ASSERT_TRUE(WaitFor([&] { return thread->turns > 0; }));
    thread->Stop();
    EXPECT_TRUE(thread->WaitUntilIdle());
    data->fTimeCounter = 57;
    data->fOldTimeCounter = 50;
    clock->Advance(10000);
    thread->Start();
    EXPECT_EQ(thread->GetRunState(), rsRunning);
    EXPECT_EQ(thread->GetCurrTime(), 0u);
    EXPECT_EQ(data->fTimeCounter, 0u);
    EXPECT_EQ(data->fOldTimeCounter, 0u);
    // The start time counts sample periods of the run clock (100 ms at 10 Hz).
    EXPECT_EQ(thread->GetStartTime(), static_cast<int64_t>(clock->Now() / 100));
    thread->Stop();
    thread.reset();  // joins
    SUCCEED();
}

TEST_F(ScanThreadTest, OneBodyForAllStarts) {
    thread->Start();
    thread->Stop();
    thread->Start();
    thread->Pause();
    thread->Resume();
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    EXPECT_EQ(thread->bodies.load(), 1);
}

TEST_F(ScanThreadTest, PortOperationsQueueCommandsAndArduinoCommandsNothing) {
    EXPECT_FALSE(thread->DigitalPortCommandOut(COMMAND_SET_PIN, 3));
    EXPECT_EQ(thread->QueuedCommands(), 0u);
    thread->DigitalPortOut(0x05);
    thread->DigitalPortOut(0x01, 250);
    thread->DigitalPortRequestRead();
    EXPECT_EQ(thread->QueuedCommands(), 3u);
    thread->SetScanProgram(&program);
    // The program shares the thread's queue: its commands land behind the others.
    program.SetDeviceControlType(dctSimple);
    program.Start();
    EXPECT_EQ(thread->QueuedCommands(), 4u);
}

TEST_F(ScanThreadTest, PauseSwitchesTheHeaterOffOnlyWhenTheInstrumentIsDriven) {
    program.AddStep(spstHeating, 100, true);
    thread->SetScanProgram(&program);
    thread->Start();
    thread->Pause();
    EXPECT_EQ(thread->QueuedCommands(), 0u);  // dctNone: the port is not ours
    thread->Resume();
    thread->Stop();

    thread->SetDeviceControlType(dctProgram);
    thread->Start();
    const size_t afterStart = thread->QueuedCommands();  // the program's own heater-off and clear
    thread->Pause();
    EXPECT_EQ(thread->QueuedCommands(), afterStart + 2);
    EXPECT_TRUE(thread->IsPaused());
    EXPECT_TRUE(program.IsPaused());
}

TEST_F(ScanThreadTest, RefusedProgramLeavesTheRunStoppedAndIdle) {
    thread->SetScanProgram(&program);
    thread->SetDeviceControlType(dctProgram);
    EXPECT_THROW(thread->Start(), EScanProgramException);
    EXPECT_TRUE(thread->IsStopped());
    EXPECT_FALSE(thread->WasStarted());
    EXPECT_EQ(thread->turns.load(), 0);
}

TEST_F(ScanThreadTest, BodyFailureStopsTheRunReportsAndAllowsANewStart) {
    program.AddStep(spstHeating, 100, true);
    thread->SetScanProgram(&program);
    thread->SetDeviceControlType(dctProgram);
    std::atomic<bool> notified{false};
    std::thread::id notifiedOn;
    thread->OnException = [&](TCommonScanThread& aSender) {
        notifiedOn = std::this_thread::get_id();
        EXPECT_EQ(&aSender, thread.get());
        notified = true;
    };
    thread->failNext = true;
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return notified.load(); }));
    EXPECT_NE(notifiedOn, std::this_thread::get_id());
    EXPECT_TRUE(thread->IsFatalError());
    EXPECT_EQ(thread->GetErrorCode(), SCAN_ERROR_BODY);
    EXPECT_EQ(thread->GetErrorMessage(), "Thread execute - boom");
    // Never shown as running; the program is stopped and the heater-off commands are queued.
    EXPECT_TRUE(thread->IsStopped());
    EXPECT_EQ(program.GetState(), spsStopped);
    ASSERT_TRUE(WaitFor([&] { return !thread->IsBodyAlive(); }));

    // A new start runs a new body and forgets the old failure.
    const int bodies = thread->bodies;
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return thread->bodies > bodies; }));
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
    EXPECT_TRUE(thread->IsRunning());
}
