#include <gtest/gtest.h>

#include <vector>

#include "acquisition/DriverLibrary.h"
#include "acquisition/LptScanThread.h"
#include "acquisition/ScanTestSupport.h"
#include "data/DataClass.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// A converter behind fake port functions: every conversion yields 0xABC; status bit 6 comes on
// the second poll.
struct FakeConverter {
    std::vector<std::pair<uint16_t, uint8_t>> writes;
    int polls = 0;
    int group = 0;
    bool answer = true;
};
FakeConverter gFake;

void FakeOut(uint16_t aAddress, uint8_t aValue) {
    gFake.writes.emplace_back(aAddress, aValue);
    if (aValue == 0) gFake.polls = 0;
    gFake.group = aValue & 3;
}

uint8_t FakeIn(uint16_t) {
    if (!gFake.answer || ++gFake.polls < 2) return 0;
    const int bits = (0xABC >> (9 - 3 * gFake.group)) & 7;
    return static_cast<uint8_t>(0x40 | (bits & 4) << 1 | (bits & 2) << 3 | (bits & 1) << 5);
}

class LptTest : public ::testing::Test {
protected:
    LptTest() {
        gFake = {};
        config->portAddress = "0x378";
        config->scanDelay = 0;
    }
    std::unique_ptr<TLptScanThread> Make() {
        return std::make_unique<TLptScanThread>(*config, TPortIoEntries{FakeIn, FakeOut}, clock);
    }
    TTestConfig config;
    std::shared_ptr<TManualClock> clock = std::make_shared<TManualClock>();
};

}  // namespace

TEST(LptDecode, StatusBitsThreeToFiveMostSignificantFirst) {
    EXPECT_EQ(TLptScanThread::DecodeStatus(0x38, 0x00, 0x00, 0x20), 0xE01);
    EXPECT_EQ(TLptScanThread::DecodeStatus(0x08, 0x00, 0x00, 0x00), 0x800);
    EXPECT_EQ(TLptScanThread::DecodeStatus(0x00, 0x00, 0x00, 0x08), 0x004);
}

TEST(LptDelay, ConfiguredDelayOrSystemSpeedChoosesTheWaits) {
    const int32_t fast = TLptScanThread::DelayValue(-1, 1500);
    EXPECT_EQ(TLptScanThread::WaitAMs(fast), 1);
    EXPECT_EQ(TLptScanThread::WaitBMs(fast), 0);
    const int32_t slow = TLptScanThread::DelayValue(-1, 1000);
    EXPECT_EQ(TLptScanThread::WaitAMs(slow), 0);
    EXPECT_EQ(TLptScanThread::WaitBMs(slow), 0);
    const int32_t fixed = TLptScanThread::DelayValue(3, 1500);
    EXPECT_EQ(TLptScanThread::WaitAMs(fixed), 3);
    EXPECT_EQ(TLptScanThread::WaitBMs(fixed), 3);
}

TEST_F(LptTest, ConversionProtocolAndTheMultiplierOfTemperatureBases) {
    config->tADCMultiplier = 2;
    auto thread = Make();
    EXPECT_EQ(thread->Convert(0, false), 0xABC);     // base 0: dT of channel 0
    EXPECT_EQ(thread->Convert(0, true), 2 * 0xABC);  // base 4
    EXPECT_EQ(thread->Convert(1, false), 0xABC);     // base 16
    EXPECT_EQ(thread->Convert(1, true), 2 * 0xABC);  // base 20
    gFake.writes.clear();
    thread->Convert(1, true);
    const std::vector<std::pair<uint16_t, uint8_t>> expected = {{0x378, 0},  {0x378, 28}, {0x378, 28},
                                                                {0x378, 29}, {0x378, 30}, {0x378, 31}};
    EXPECT_EQ(gFake.writes, expected);
}

TEST_F(LptTest, ConverterThatNeverAnswersFailsInsteadOfHanging) {
    gFake.answer = false;
    auto thread = Make();
    try {
        thread->Convert(0, true);
        FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Преобразователь на порту LPT не отвечает");
    }
}

TEST_F(LptTest, BadPortAddressEndsTheBodyWithTheFatalText) {
    config->portAddress = "LPT1";
    TDataClass data;
    auto thread = Make();
    thread->SetDataClass(&data);
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return thread->IsFatalError(); }));
    EXPECT_EQ(thread->GetErrorMessage(), "Thread execute - Неверный адрес порта LPT!");
    EXPECT_TRUE(thread->IsStopped());
    EXPECT_TRUE(WaitFor([&] { return !thread->IsBodyAlive(); }));
}

TEST_F(LptTest, SamplesLandAtTheStartChannel) {
    config->numberOfDataChannels = 1;
    TDataClass data;
    data.CreateCannel("Канал № 2", CHANNEL_TYPE_PERMANENT);
    auto thread = Make();
    thread->SetDataClass(&data);
    thread->SetStartChannelNo(1);
    clock->Set(100000);
    thread->Start();
    clock->Advance(300);
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() == 3; }));
    auto lock = thread->LockItemsForReading();
    EXPECT_EQ(data.items[3][1].t, 0xABC);
    EXPECT_EQ(data.items[3][0].t, 0);
    // The first index has a sample too, and the skipped ones in between take it.
    EXPECT_EQ(data.items[0][1].t, 0xABC);
}

TEST(LptLibrary, MissingLibraryIsReportedWithTheLoaderText) {
    std::string error;
    EXPECT_EQ(OpenDriverLibrary("no-such-driver.dll", error), nullptr);
    EXPECT_NE(error.find("libno-such-driver.so"), std::string::npos) << error;
    EXPECT_EQ(DriverFileName("io.dll"), "libio.so");
    EXPECT_EQ(DriverFileName("RshUniDriver.DLL"), "libRshUniDriver.so");
}

TEST(LptSimulated, RecordsTheHeatingCellThroughThePortLibrary) {
    TTestConfig config;
    config->interfaceType = itLpt;
    config->portAddress = "0x378";
    config->scanDelay = 0;
    WriteFileBytes(config->DevicesFileName(), "[SIMULATED_CELL]\nSpeed=60\nHeatingRate=20\n");
    TDataClass data;
    auto thread = std::make_unique<TLptScanThread>(*config, std::make_shared<TSteadyRunClock>(60));
    ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    thread->SetDataClass(&data);
    thread->Start();
    // 60 s of simulated time at 20 °C/min: the sensor rises by about 20 °C, 140 counts.
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 600; }, 20));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
    EXPECT_GT(data.items[595][0].t, data.items[5][0].t + 80);
    EXPECT_NEAR(data.items[300][0].dt, 2048, 40);
}
