#include <gtest/gtest.h>

#include <filesystem>

#include "acquisition/RunControl.h"
#include "acquisition/ScanTestSupport.h"
#include "data/DataClass.h"
#include "support/FakeUiHooks.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// The emulator on a clock moved by hand.
class EmulRunTest : public ::testing::Test {
protected:
    EmulRunTest() {
        config->frequency = 10;
        data = std::make_unique<TDataClass>();
        control = std::make_unique<TScanRunControl>(*config, clock);
        control->Init(data.get());
    }
    // Moves the clock sample by sample until index aIndices further on is written.
    void Run(uint32_t aIndices) {
        const uint32_t from = control->Thread()->PublishedTimeCounter();
        for (uint32_t index = from + 1; index <= from + aIndices; ++index) {
            clock->Set((control->Thread()->GetStartTime() + index + 1) * 100);
            ASSERT_TRUE(WaitFor([&] { return control->Thread()->PublishedTimeCounter() >= index; }));
        }
    }

    TTestConfig config;
    std::shared_ptr<TManualClock> clock = std::make_shared<TManualClock>();
    std::unique_ptr<TDataClass> data;  // outlives the run control's thread
    std::unique_ptr<TScanRunControl> control;
};

}  // namespace

TEST(RunControlNames, AutomaticSaveNameCarriesTheTime) {
    const TDateTime at = EncodeDateTime(2024, 5, 6, 9, 30, 0);
    EXPECT_EQ(TScanRunControl::AutoSaveFileName("/data/run.dsc", at), "/data/run_09_30_00.dsc");
    EXPECT_EQ(TScanRunControl::AutoSaveFileName("", at, "/home/op", "dsc"), "/home/op/scan_09_30_00.dsc");
}

TEST_F(EmulRunTest, StateLineFollowsTheRun) {
    EXPECT_EQ(control->StateLine(), "Ожидание");
    config->frequency = 12.5f;
    EXPECT_EQ(Text([&] { control->StartPauseContinue(); }), "");
    EXPECT_EQ(control->StateLine(), "Сканирование, частота 12.5 Гц");
    control->StartPauseContinue();
    EXPECT_EQ(control->StateLine(), "Пауза");
    control->StartPauseContinue();
    EXPECT_TRUE(control->Thread()->IsRunning());
    control->Stop();
    EXPECT_EQ(control->StateLine(), "Ожидание");
}

TEST_F(EmulRunTest, PauseLeavesNoGapInTheTimeAxis) {
    control->StartPauseContinue();
    Run(50);
    control->StartPauseContinue();  // pause
    clock->Advance(10000);          // 10 s
    control->StartPauseContinue();  // continue
    Run(5);
    // Without the shift the index would have jumped by 100.
    EXPECT_EQ(control->Thread()->PublishedTimeCounter(), 55u);
    control->Stop();
    EXPECT_EQ(data->descriptors[0].fScanEndPoint, 55);
    EXPECT_EQ(data->mode, vm_view_dT_by_time);
}

TEST_F(EmulRunTest, ScanIntoANewChannelCreatesItAndWritesThere) {
    data->CreateCannel("Канал № 2", CHANNEL_TYPE_PERMANENT);
    data->fWasFirstScan = true;
    data->fLastScanChannelNo = 1;
    control->SetScanToNewChannel(true);
    control->StartPauseContinue();
    Run(5);
    control->Stop();
    ASSERT_EQ(data->GetChannelCount(), 3);
    EXPECT_EQ(data->descriptors[2].name, "Канал № 3");
    EXPECT_EQ(data->fFirstScanChannelNo, 2);
    EXPECT_EQ(control->Thread()->GetStartChannelNo(), 2);
    EXPECT_NE(data->items[3][2].dt, 0);
    EXPECT_EQ(data->items[3][0].dt, 0);
}

TEST_F(EmulRunTest, NewChannelsRefuseAnotherRate) {
    data->fWasFirstScan = true;
    data->frequency = 25;
    control->SetScanToNewChannel(true);
    EXPECT_NE(Text([&] { control->StartPauseContinue(); }).find("не совпадает с частотой эксперимента"),
              std::string::npos);
    EXPECT_TRUE(control->Thread()->IsStopped());
}

TEST(RunControlThread, InterfaceThatCannotBeCreatedIsReported) {
    TTestConfig config;
    config->interfaceType = itLAi24USB_Uni;
    config->frequency = 10;  // not a rate of the 24-bit module
    TScanRunControl control(*config);
    EXPECT_EQ(control.Thread(), nullptr);
    EXPECT_EQ(
        control.ThreadError().rfind("Ошибка инициализации интерфейса прибора: Указана неверная частота", 0),
        0u);
    EXPECT_NE(control.ThreadError().find(".\r\nПроверьте корректность установки драйверов интерфейса USB."),
              std::string::npos);
    EXPECT_EQ(control.StateLine().rfind("Ошибка - ", 0), 0u);
    TDataClass data;
    control.Init(&data);
    EXPECT_THROW(control.StartPauseContinue(), std::runtime_error);
}

// Heating programs run in degrees: the shipped table of the simulated sensor is in force.
class UsbRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Loaded());
        ASSERT_TRUE(table.Loaded());
    }
    TSimUsb sim;
    TTestConfig config;
    TSimulatedSensorTable table{config};
    TDataClass* Data() {
        data = std::make_unique<TDataClass>();
        return data.get();
    }
    std::unique_ptr<TDataClass> data;
};

TEST_F(UsbRunTest, AbsentInstrumentAndFailedSetUpStopTheStart) {
    UseSimulatedUsb(config, sim, "Faults=absent\n");
    {
        TScanRunControl control(*config);
        control.Init(Data());
        EXPECT_EQ(Text([&] { control.StartPauseContinue(); }), "Прибор не подключен!");
        EXPECT_TRUE(control.Thread()->IsStopped());
    }
    UseSimulatedUsb(config, sim, "", itLAi24USB_Uni, 100);
    config->decimation = 3;
    TScanRunControl control(*config);
    control.Init(Data());
    EXPECT_EQ(Text([&] { control.StartPauseContinue(); }),
              "Init: Результирующая частота опроса с учётом прореживания некорректна");
    EXPECT_TRUE(control.Thread()->IsStopped());
}

TEST_F(UsbRunTest, FinishedProgramIsStoppedAndSavedOnce) {
    TFakeUiScope ui;
    UseSimulatedUsb(config, sim, "Speed=100\n");
    config->useDeviceControl = true;
    config->deviceControlType = dctProgram;
    config->postScanAction = psaStopAndSave;
    TScanRunControl control(*config);
    control.Program().Clear();
    control.Program().AddStep(spstFree, 0, true);
    TDataClass* d = Data();
    d->fFileName = config.File("run.dsc");
    control.Init(d);
    control.StartPauseContinue();
    TRunEvent event = TRunEvent::reNone;
    ASSERT_TRUE(WaitFor([&] { return (event = control.OnInterfaceTimer()) != TRunEvent::reNone; }));
    EXPECT_EQ(event, TRunEvent::reProgramSaved);
    EXPECT_TRUE(control.Thread()->IsStopped());
    const std::string saved = control.LastAutoSaveFile();
    EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
    EXPECT_EQ(std::filesystem::path(saved).parent_path(),
              std::filesystem::path(config.File("")).parent_path());
    EXPECT_EQ(std::filesystem::path(saved).filename().string().rfind("run_", 0), 0u);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0], "Результат сканирования сохранён автоматически в файле " +
                                   std::filesystem::path(saved).filename().string());
    EXPECT_EQ(control.OnInterfaceTimer(), TRunEvent::reNone);  // once
}

TEST(UsbRunWithoutTable, HeatingProgramIsRefusedAndTheExperimentKept) {
    // Without a temperature table the readings are counts (the cell reads about 770 000 at room
    // temperature): a step to 250 °C would count as reached at once.
    TSimUsb sim;
    ASSERT_TRUE(sim.Loaded());
    TTestConfig config;
    UseSimulatedUsb(config, sim, "Speed=100\n");
    config->useDeviceControl = true;
    config->deviceControlType = dctProgram;
    TScanRunControl control(*config);
    control.Program().Clear();
    control.Program().AddStep(spstHeating, 250, true);
    TDataClass data;
    data.SetItemsLength(100, true);
    data.items[50][0].dt = 1234;
    control.Init(&data);
    EXPECT_EQ(Text([&] { control.StartPauseContinue(); }), NO_TEMPERATURE_TABLE_MSG);
    EXPECT_TRUE(control.Thread()->IsStopped());
    EXPECT_EQ(data.GetItemCount(), 100);
    EXPECT_EQ(data.items[50][0].dt, 1234);
    EXPECT_EQ(sim.Stats().heaterOn, 0);
    EXPECT_TRUE(sim.PortLog().empty());

    // Recording without the program needs no table.
    control.SetDeviceControlType(dctNone);
    control.StartPauseContinue();
    EXPECT_TRUE(control.Thread()->IsRunning());
    control.Stop();
}

TEST_F(UsbRunTest, FinishedProgramWithoutActionKeepsRecording) {
    UseSimulatedUsb(config, sim, "Speed=100\n");
    config->useDeviceControl = true;
    config->deviceControlType = dctProgram;
    config->postScanAction = psaNone;
    TScanRunControl control(*config);
    control.Program().Clear();
    control.Program().AddStep(spstFree, 0, true);
    control.Init(Data());
    control.StartPauseContinue();
    ASSERT_TRUE(WaitFor([&] { return control.Program().IsFinished(); }));
    EXPECT_EQ(control.OnInterfaceTimer(), TRunEvent::reNone);
    EXPECT_TRUE(control.Thread()->IsRunning());
    const uint32_t before = control.RecordedItems();
    EXPECT_TRUE(WaitFor([&] { return control.RecordedItems() > before + 50; }));
}

// The item at the end of the index holds the latest reading of a step that does not record
// (the live display shows it): it is not counted as recorded (nor kept for a crash) while the
// step runs, and a run that ends in such a step leaves it out of the record.
TEST_F(UsbRunTest, ARunEndingInAStepThatKeepsNoDataEndsOnItsLastRecordedSample) {
    UseSimulatedUsb(config, sim, "Speed=600\n");
    config->useDeviceControl = true;
    config->deviceControlType = dctProgram;
    config->postScanAction = psaStop;
    TScanRunControl control(*config);
    control.Program().Clear();
    control.Program().AddStep(spstFree, 1, true);  // a minute at room temperature
    control.Program().AddStep(spstHeating, 60, false);
    TDataClass* d = Data();
    control.Init(d);
    control.StartPauseContinue();
    uint32_t whileHeating = 0;
    ASSERT_TRUE(WaitFor([&] {
        if (control.OnInterfaceTimer() != TRunEvent::reNone) return true;
        try {
            if (control.Program().GetCurrentStep().stepNo == 2) whileHeating = control.RecordedItems();
        } catch (const EScanProgramException&) {
            // finished in between
        }
        return false;
    }));
    ASSERT_TRUE(control.Thread()->IsStopped());
    ASSERT_NEAR(d->GetItemCount(), 60 * 25, 60);
    EXPECT_EQ(whileHeating, static_cast<uint32_t>(d->GetItemCount()));
    for (int i = 0; i < d->GetItemCount(); ++i)
        ASSERT_LT(d->items[i][0].tc, 30) << i << " of " << d->GetItemCount();
}

TEST_F(UsbRunTest, ThreadFailureIsHandledOnTheNextTick) {
    UseSimulatedUsb(config, sim, "Speed=200\nFaults=timeout\nFaultAfter=5\n");
    TScanRunControl control(*config);
    control.Init(Data());
    control.StartPauseContinue();
    TRunEvent event = TRunEvent::reNone;
    ASSERT_TRUE(WaitFor([&] { return (event = control.OnInterfaceTimer()) != TRunEvent::reNone; }, 20));
    EXPECT_EQ(event, TRunEvent::reFailed);
    EXPECT_EQ(control.ThreadErrorText(), "Thread execute - Execute: buffer wait timed out");
    EXPECT_EQ(control.StateLine(), "Ошибка - Thread execute - Execute: buffer wait timed out");
    EXPECT_TRUE(control.Thread()->IsStopped());
    EXPECT_GT(data->descriptors[0].fScanEndPoint, 0);
}
