#include <gtest/gtest.h>

#include <numeric>

#include "acquisition/LaUniUsbScanThread.h"
#include "acquisition/ScanProgram.h"
#include "acquisition/ScanTestSupport.h"
#include "acquisition/UniUsbDeviceDescriptor.h"
#include "data/DataClass.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// Without calibration tables temperatures are counts: the cell at room temperature reads about
// 376 counts on the 12-bit module (1 °C is about 7.4 counts) and 376 · 2048 on the 24-bit one,
// whose differential pair reads about 0 at rest (2048 on the 12-bit module); heating targets
// below are counts of the 24-bit module.
class UsbTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.Loaded()) << "simulated uni-driver library not found"; }

    // A thread on the simulated module, connected, recording into data.
    void Make(const std::string& aCell = "Speed=200\n", TInterfaceType aType = itLAi24USB_Uni,
              float aFrequency = 25) {
        UseSimulatedUsb(config, sim, aCell, aType, aFrequency);
        data = std::make_unique<TDataClass>();
        thread = std::make_unique<TLaUniUsbScanThread>(*config, clock);
        thread->SetDataClass(data.get());
        thread->SetScanProgram(&program);
        thread->InitHardware();
        ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    }
    TItem At(uint32_t aIndex, int aChannel = 0) {
        auto lock = thread->LockItemsForReading();
        return data->items[aIndex][aChannel];
    }

    TSimUsb sim;
    TTestConfig config;
    std::shared_ptr<TRunClock> clock = std::make_shared<TSteadyRunClock>(200);
    TScanProgram program{"", clock->AsTickClock()};
    std::unique_ptr<TDataClass> data;
    std::unique_ptr<TLaUniUsbScanThread> thread;
};

}  // namespace

TEST_F(UsbTest, DecimationMultipliesTheConverterRateWhichMustBeAllowed) {
    config->decimation = 4;
    Make("", itLAi24USB_Uni, 100);
    EXPECT_FLOAT_EQ(thread->Descriptor()->GetActualFreq(), 400);
    thread.reset();

    config->decimation = 3;
    UseSimulatedUsb(config, sim, "", itLAi24USB_Uni, 100);
    TUniUsbDeviceDescriptor device(*config);
    EXPECT_EQ(Text([&] { device.Init(); }),
              "Init: Результирующая частота опроса с учётом прореживания некорректна");
    EXPECT_FALSE(device.IsConnected());
}

TEST_F(UsbTest, ConnectionFillsTheDescriptionAndAbsentModulesAreReported) {
    Make();
    const std::string description = thread->Descriptor()->GetDescription();
    EXPECT_NE(description.find("Драйвер=libRshUniDriver.so 1.0 simulated libRshUniDriver.so 1.0 simulated"),
              std::string::npos)
        << description;
    EXPECT_NE(description.find("Серийный номер=240117"), std::string::npos);
    EXPECT_TRUE(thread->IsDevicePresent());
    // IsDevicePresent uses a handle of its own: the connection in use keeps working.
    EXPECT_NO_THROW(thread->Descriptor()->DigitalPortRead());
    thread.reset();

    UseSimulatedUsb(config, sim, "Faults=absent\n");
    TLaUniUsbScanThread absent(*config);
    EXPECT_FALSE(absent.IsDevicePresent());
    absent.InitHardware();
    EXPECT_TRUE(absent.IsFatalError());
    EXPECT_EQ(absent.GetErrorMessage(), "UniDriverGetDeviceHandle failed: device not found");
}

TEST_F(UsbTest, PortBitsAreReversedOnTheWireAndPulsesRestoreTheLevel) {
    EXPECT_EQ(TUniUsbDeviceDescriptor::ReverseBits(0x01), 0x80);
    EXPECT_EQ(TUniUsbDeviceDescriptor::ReverseBits(0x80), 0x01);
    EXPECT_EQ(TUniUsbDeviceDescriptor::ReverseBits(0x06), 0x60);
    Make();
    TUniUsbDeviceDescriptor& device = *thread->Descriptor();
    device.DigitalPortOut(0x04);               // steady hold level
    device.DigitalPortOut(0x01, 100);          // heater-on pulse, then the hold level again
    EXPECT_EQ(device.GetPortOutByte(), 0x20);  // 0x04 as the wire carries it
    EXPECT_EQ(sim.PortLog(), (std::vector<uint8_t>{0x04, 0x01, 0x04}));
    // The instrument reports its heater on input bit 0, which arrives reversed.
    EXPECT_EQ(device.DigitalPortRead(), 0x01);
    EXPECT_EQ(sim.Stats().heaterOn, 1);
}

TEST_F(UsbTest, SlowRatesWaitLongerThanABufferTakesToFill) {
    Make("", itLA20USB_Uni, 10);  // 256 samples per channel at 10 Hz: 25.6 s a buffer
    EXPECT_GE(thread->Descriptor()->GetDeviceTimeout(), 2 * 25600u);
}

TEST_F(UsbTest, FramesAndDecimationCarryAcrossBufferBoundaries) {
    config->decimation = 2;
    Make("", itLAi24USB_Uni, 100);  // converter at 200 Hz, every second frame kept
    thread->PrepareFrames();
    data->fTimeCounter = 0;
    // Frames (T, dT) of raw counts n·256 and (2000 + n)·256: kept frames are the even ones.
    std::vector<int32_t> stream;
    for (int n = 0; n < 40; ++n) {
        stream.push_back((500 + n) * 256);
        stream.push_back((2000 + n) * 256);
    }
    // The same stream cut at odd places must give the same samples.
    const std::vector<size_t> cuts = {0, 3, 4, 11, 30, 31, 57, 80};
    for (size_t c = 0; c + 1 < cuts.size(); ++c)
        thread->ConvertBuffer(stream.data() + cuts[c], static_cast<uint32_t>(cuts[c + 1] - cuts[c]));
    EXPECT_EQ(thread->GetCurrTime(), 20u);
    for (uint32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(At(i).t, 500 + 2 * static_cast<int>(i)) << i;
        EXPECT_EQ(At(i).dt, 2000 + 2 * static_cast<int>(i)) << i;
    }
}

TEST_F(UsbTest, TemperatureAndDtOnOneHardwareChannelBothGetTheSample) {
    UseSimulatedUsb(config, sim, "Speed=200\n");
    WriteFileBytes(config->DevicesFileName(),
                   "[USB_CHANNEL0]\ntempChannelNumber=0\ndiffTempChannelNumber=0\n");
    data = std::make_unique<TDataClass>();
    thread = std::make_unique<TLaUniUsbScanThread>(*config, clock);
    thread->SetDataClass(data.get());
    thread->InitHardware();
    ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    const std::vector<int32_t> frames = {700 * 256, 701 * 256};
    thread->ConvertBuffer(frames.data(), 2);
    EXPECT_EQ(At(0).t, 700);
    EXPECT_EQ(At(0).dt, 700);
    EXPECT_EQ(At(1).dt, 701);
}

TEST_F(UsbTest, BuffersLargerThanAThousandSamplesAreRead) {
    // Four channels on the 12-bit module: 8 hardware channels × 256 samples a buffer.
    UseSimulatedUsb(config, sim, "Speed=200\n", itLA20USB_Uni, 50);
    std::string devices;
    for (int c = 0; c < 4; ++c) {
        devices += "[USB_CHANNEL" + std::to_string(c) + "]\ntempChannelNumber=" + std::to_string(2 * c) +
                   "\ndiffTempChannelNumber=" + std::to_string(2 * c + 1) + "\n";
    }
    WriteFileBytes(config->DevicesFileName(), devices + "[SIMULATED_CELL]\nSpeed=200\n");
    config->numberOfDataChannels = 4;
    data = std::make_unique<TDataClass>();
    thread = std::make_unique<TLaUniUsbScanThread>(*config, clock);
    thread->SetDataClass(data.get());
    thread->InitHardware();
    ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    EXPECT_EQ(thread->Descriptor()->GetBufferSize(), 2048u);
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 600; }));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(At(500, c).t, 376, 3) << c;
        EXPECT_NEAR(At(500, c).dt, 2048, 5) << c;
    }
}

TEST_F(UsbTest, RecordsThroughTheDriverAndStopsTheConverter) {
    Make();
    thread->Start();
    // 25 Hz, 200 times real time: 40 s of experiment in about 0.2 s.
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 1000; }));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    const uint32_t last = thread->PublishedTimeCounter();
    // Room temperature on the simulated sensor, dT about zero: the 24-bit converter's values
    // with its noise of a few counts.
    EXPECT_NEAR(At(last / 2).t, 376 * WIDE_COUNTS, 3 * WIDE_COUNTS);
    EXPECT_NEAR(At(last / 2).dt, 0, 200);
    EXPECT_EQ(sim.Stats().overruns, 0u);
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
}

TEST_F(UsbTest, ShortReadsKeepTheFramesInOrder) {
    Make("Speed=200\nFaults=short_read\n");
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 500; }));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    // A T sample in a dT place (or the reverse) would be 376 · 2048 counts off.
    for (uint32_t i = 0; i < 500; ++i) {
        ASSERT_NEAR(At(i).t, 376 * WIDE_COUNTS, 5 * WIDE_COUNTS) << i;
        ASSERT_NEAR(At(i).dt, 0, 400) << i;
    }
}

TEST_F(UsbTest, CommandsWaitInTheQueueWhileTheInstrumentIsNotDriven) {
    Make();
    thread->Start();
    thread->DigitalPortOut(0x04);
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 50; }));
    EXPECT_EQ(thread->QueuedCommands(), 1u);
    EXPECT_TRUE(sim.PortLog().empty());
    thread->SetDeviceControlType(dctSimple);
    ASSERT_TRUE(WaitFor([&] { return thread->QueuedCommands() == 0; }));
    EXPECT_EQ(sim.PortLog(), std::vector<uint8_t>{0x04});
}

// The next start connects anew while the stopped body goes on sending what the stop queued: it
// must never see the connection half made (a spurious "not connected" that failed the start).
TEST_F(UsbTest, TheNextStartReconnectsWhileTheIdleBodyKeepsTheHeaterOff) {
    Make();
    thread->SetDeviceControlType(dctSimple);
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 20; }));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    // The body turns every 10 ms: a second of reconnections meets a hundred of its turns.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < end) {
        thread->DigitalPortOut(0x00);
        thread->InitHardware();
        ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    }
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
    ASSERT_TRUE(WaitFor([&] { return thread->QueuedCommands() == 0; }));
}

TEST_F(UsbTest, StepsThatKeepNoDataDoNotAdvanceTheTimeIndex) {
    Make();
    program.AddStep(spstFree, 1, false);  // one minute, not recorded
    program.AddStep(spstFree, 1, true);
    thread->SetDeviceControlType(dctProgram);
    thread->Start();
    // During the first minute the same item is overwritten.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // 20 s of run time
    EXPECT_LE(thread->PublishedTimeCounter(), 1u);
    ASSERT_TRUE(WaitFor([&] { return program.IsFinished(); }));
    thread->Stop();
    ASSERT_TRUE(thread->WaitUntilIdle());
    // Only the recorded minute (25 Hz) is in the experiment, give or take a buffer.
    EXPECT_NEAR(static_cast<double>(thread->PublishedTimeCounter()), 60 * 25, 70);
}

TEST_F(UsbTest, ConverterTimeoutStopsTheRunWithTheHeaterOff) {
    Make("Speed=200\nFaults=timeout\nFaultAfter=20\n");
    program.AddStep(spstHeating, 4000 * WIDE_COUNTS, true);
    thread->SetDeviceControlType(dctProgram);
    std::atomic<bool> failed{false};
    thread->OnException = [&](TCommonScanThread&) { failed = true; };
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return sim.Stats().heaterOn == 1; }));
    // 20 s in the converter stops; the wait gives up after its time-out (10 s of run time).
    ASSERT_TRUE(WaitFor([&] { return failed.load(); }, 20));
    EXPECT_EQ(thread->GetErrorMessage(), "Thread execute - Execute: buffer wait timed out");
    EXPECT_TRUE(thread->IsStopped());
    EXPECT_EQ(sim.Stats().heaterOn, 0);
    // The program's own commands switched it off: heater-off pulse, then the lines cleared.
    const std::vector<uint8_t> log = sim.PortLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(log.end() - 3, log.end()), (std::vector<uint8_t>{0x02, 0x00, 0x00}));
    thread->Stop();

    // The failed thread can record again.
    UseSimulatedUsb(config, sim, "Speed=200\n");
    thread->InitHardware();
    ASSERT_FALSE(thread->IsFatalError()) << thread->GetErrorMessage();
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    ASSERT_TRUE(WaitFor([&] { return thread->PublishedTimeCounter() >= 100; }));
    EXPECT_EQ(thread->GetErrorMessage(), "Норма");
}

TEST_F(UsbTest, FailingPortWriteIsReportedNotSwallowed) {
    // Heat a little, then hold: the hold level is written on every turn, and fails from 30 s on.
    Make("Speed=200\nFaults=port_write\nFaultAfter=30\n");
    program.AddStep(spstHeating, 390 * WIDE_COUNTS, true);
    program.AddStep(spstSustain, 10, true);
    thread->SetDeviceControlType(dctProgram);
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return sim.Stats().heaterOn == 1; }));
    ASSERT_TRUE(WaitFor([&] { return thread->IsFatalError(); }, 20));
    EXPECT_EQ(thread->GetErrorMessage(), "Thread execute - UniDriverInit: digital port write failed");
    EXPECT_TRUE(thread->IsStopped());
    thread->Stop();
    // The module returned to its safe state when the program let go of it.
    EXPECT_EQ(sim.Stats().heaterOn, 0);
}

TEST_F(UsbTest, DestroyingARunningThreadSwitchesTheHeaterOff) {
    Make();
    program.AddStep(spstHeating, 4000 * WIDE_COUNTS, true);
    thread->SetDeviceControlType(dctProgram);
    thread->Start();
    ASSERT_TRUE(WaitFor([&] { return sim.Stats().heaterOn == 1; }));
    thread.reset();
    // Heater-off pulse (and the level restored after it), then the lines cleared.
    const std::vector<uint8_t> log = sim.PortLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(log.end() - 3, log.end()), (std::vector<uint8_t>{0x02, 0x00, 0x00}));
    EXPECT_EQ(sim.Stats().heaterOn, 0);
}
