#include <gtest/gtest.h>

#include <algorithm>

#include "acquisition/EmulScanThread.h"
#include "acquisition/ScanTestSupport.h"
#include "data/DataClass.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// The emulator on a clock the test moves one sample period at a time (10 Hz: 100 ms), waiting
// for each sample, so that no index is skipped unless the test skips it.
class EmulTest : public ::testing::Test {
protected:
    void Make(const std::string& aDevices = "") {
        WriteFileBytes(config->DevicesFileName(), aDevices);
        data = std::make_unique<TDataClass>();
        thread = std::make_unique<TEmulScanThread>(*config, clock);
        thread->SetDataClass(data.get());
    }
    void StartAt(uint64_t aTick) {
        clock->Set(aTick);
        thread->Start();
    }
    // Moves the clock to sample aIndex and waits until the body has written it.
    void StepTo(uint32_t aIndex) {
        clock->Set((thread->GetStartTime() + aIndex + 1) * 100);
        ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() == aIndex; })) << aIndex;
    }
    TItem At(uint32_t aIndex) {
        auto lock = thread->LockItemsForReading();
        return data->items[aIndex][0];
    }

    TTestConfig config;
    std::shared_ptr<TManualClock> clock = std::make_shared<TManualClock>();
    std::unique_ptr<TDataClass> data;
    std::unique_ptr<TEmulScanThread> thread;
};

}  // namespace

TEST_F(EmulTest, RampAndPeakOfTheEmulatedCurve) {
    Make("[EMUL_CHANNEL0]\nCurveNoiseLevel=10\nCurveDataOffset=1000\n");
    StartAt(100000);
    for (uint32_t i = 1; i <= 200; ++i)
        StepTo(i);
    // The ramp crosses the counts window (0 … 4095) in frequency × 200 readings, one per index
    // (index 0 takes the first reading, made at index 1).
    const double step = 4095.0 / 2000;
    EXPECT_NEAR(At(100).t, 100 * step, 1.0);
    EXPECT_EQ(At(0).t, At(1).t);
    EXPECT_GT(At(200).t, At(100).t);
    // Before 7.5 s (index 75) the dT is the base level with noise of −5 … 4.
    for (uint32_t i = 0; i < 75; ++i) {
        EXPECT_GE(At(i).dt, 995) << i;
        EXPECT_LE(At(i).dt, 1004) << i;
    }
    // The extreme at 15 s: g = 15, height 15³·23·e⁻³/2 ≈ 1933 counts above the base.
    uint32_t top = 0;
    for (uint32_t i = 0; i <= 200; ++i)
        if (At(i).dt > At(top).dt) top = i;
    EXPECT_NEAR(static_cast<int>(top), 150, 3);
    EXPECT_NEAR(At(150).dt, 1000 + 1933, 8);
    // Calibrated values come from the (identity) tables.
    EXPECT_FLOAT_EQ(At(150).tc, static_cast<float>(At(150).t));
}

TEST_F(EmulTest, DownwardPeakWhenTheDirectionIsFalse) {
    Make("[EMUL_DEVICE]\nPeakDirection=0\n[EMUL_CHANNEL0]\nCurveNoiseLevel=2\nCurveDataOffset=3000\n");
    StartAt(100000);
    for (uint32_t i = 1; i <= 150; ++i)
        StepTo(i);
    EXPECT_LT(At(150).dt, 3000 - 1900);
}

TEST_F(EmulTest, SkippedIndicesAreFilledFromTheNeighbours) {
    Make("[EMUL_CHANNEL0]\nCurveNoiseLevel=1\nCurveDataOffset=1000\n");
    config->timeApproximationType = 1;
    StartAt(100000);
    for (uint32_t i = 1; i <= 100; ++i)
        StepTo(i);
    StepTo(105);  // a stall of five periods
    const TItem before = At(100), after = At(105);
    ASSERT_NE(before.dt, after.dt);
    for (uint32_t j = 101; j < 105; ++j) {
        EXPECT_EQ(At(j).t, before.t) << j;
        const double expected = before.dt + (j - 100.0) * (after.dt - before.dt) / 5.0;
        EXPECT_NEAR(At(j).dt, expected, 0.5) << j;
    }
}

TEST_F(EmulTest, WithoutApproximationSkippedIndicesKeepThePreviousDt) {
    Make("[EMUL_CHANNEL0]\nCurveNoiseLevel=1\n");
    config->timeApproximationType = 0;
    StartAt(100000);
    for (uint32_t i = 1; i <= 100; ++i)
        StepTo(i);
    StepTo(105);
    for (uint32_t j = 101; j < 105; ++j)
        EXPECT_EQ(At(j).dt, At(100).dt) << j;
}

TEST_F(EmulTest, LongStallGrowsTheArrayInsteadOfWritingPastIt) {
    Make();
    StartAt(100000);
    StepTo(1);
    const uint32_t far = static_cast<uint32_t>(data->GetItemCount()) + 5000;  // beyond a 1000-item step
    StepTo(far);
    EXPECT_GT(data->GetItemCount(), static_cast<int>(far));
    EXPECT_EQ(At(far - 1).t, At(1).t);
}

TEST_F(EmulTest, FirstSampleIsWrittenAndTheDeadZoneHoldsTheStart) {
    config->scanDeadZone = 1000;  // ms
    Make();
    StartAt(100000);
    clock->Set(100500);  // inside the dead zone
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(thread->PublishedTimeCounter(), 0u);
    // Past it: index = tick/period − start − deadZone/period − 1.
    clock->Set(100000 + 1000 + 100);
    ASSERT_TRUE(WaitFor([&] { return At(0).dt != 0; }));
    EXPECT_EQ(thread->PublishedTimeCounter(), 0u);
}

TEST_F(EmulTest, CommandsQueuedForTheEmulatorAreDropped) {
    Make();
    StartAt(100000);
    thread->DigitalPortOut(1);
    thread->DigitalPortOut(2, 100);
    EXPECT_TRUE(WaitFor([&] { return thread->QueuedCommands() == 0; }));
}
