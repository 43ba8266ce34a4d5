// Whole runs through the run control, as the operator makes them: the heating program on the
// simulated USB cell (300 times real time) and the emulator.

#include <gtest/gtest.h>

#include <algorithm>

#include "acquisition/RunControl.h"
#include "acquisition/ScanTestSupport.h"
#include "calibration/GlobalTables.h"
#include "data/DataClass.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// Calibrated temperatures through the table that ships for the simulated sensor.
class SimulatedRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Loaded());
        ASSERT_TRUE(table.Loaded());
    }

    // Runs until the program has finished and the run control stopped the run.
    void RunProgram(TScanRunControl& aControl) {
        aControl.StartPauseContinue();
        ASSERT_TRUE(WaitFor(
            [&] {
                aControl.OnDrawTimer();
                const TRunEvent e = aControl.OnInterfaceTimer();
                EXPECT_NE(e, TRunEvent::reFailed) << aControl.ThreadErrorText();
                return e == TRunEvent::reProgramStopped;
            },
            60));
    }

    TSimUsb sim;
    TTestConfig config;
    TSimulatedSensorTable table{config};
};

int IndexOf(const std::vector<uint8_t>& aLog, uint8_t aValue, bool aLast) {
    const auto it = aLast ? std::find(aLog.rbegin(), aLog.rend(), aValue).base() - 1
                          : std::find(aLog.begin(), aLog.end(), aValue);
    return static_cast<int>(it - aLog.begin());
}

}  // namespace

TEST_F(SimulatedRunTest, IndiumProgramOnTheSimulatedUsbCell) {
    UseSimulatedUsb(config, sim, "Speed=300\n");
    config->useDeviceControl = true;
    config->deviceControlType = dctProgram;
    config->postScanAction = psaStop;
    TScanRunControl control(*config);
    ASSERT_NE(control.Thread(), nullptr) << control.ThreadError();
    control.Program().Clear();
    control.Program().AddStep(spstHeating, 200, true);
    control.Program().AddStep(spstSustain, 2, true);
    control.Program().AddStep(spstFree, 2, true);
    TDataClass data;
    control.Init(&data);
    RunProgram(control);
    EXPECT_EQ(control.StateLine(), "Ожидание");

    // The temperature follows the program: up at about 10 °C/min to 200 °C, held, then falling.
    const int n = static_cast<int>(control.RecordedItems());
    ASSERT_GT(n, 25 * 60 * 20);
    const auto tc = [&](int i) { return data.items[i][0].tc; };
    int top = 0;
    for (int i = 0; i < n; ++i)
        if (tc(i) > tc(top)) top = i;
    EXPECT_NEAR(tc(0), 25, 1);
    EXPECT_NEAR(tc(top), 200.5, 1.5);
    const int reached = static_cast<int>(std::find_if(data.items.Data(), data.items.Data() + n,
                                                      [](const TItem& s) { return s.tc >= 199.5f; }) -
                                         data.items.Data());
    EXPECT_NEAR((tc(reached) - tc(25 * 60)) / ((reached - 25 * 60) / 25.0 / 60), 10, 0.3);  // °C/min
    for (int i = reached + 25 * 10; i < reached + 25 * 110; i += 25)
        EXPECT_NEAR(tc(i), tc(top), 1.0) << i;
    EXPECT_LT(tc(n - 1), tc(top) - 15);
    // Hold 2 min + free run 2 min. The steps are timed on the run clock, the samples are counted
    // as the converter made them: a busy machine that reads late at 300 times real time shifts
    // the two by some seconds.
    EXPECT_NEAR((n - reached) / 25.0, 240, 25);

    // The port writes follow the program: heater off and clear at the start, heater-on pulses,
    // the hold level, then the lines cleared, heater off for the free run and at the end.
    const std::vector<uint8_t> log = sim.PortLog();
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(log.begin(), log.begin() + 3), (std::vector<uint8_t>{2, 0, 0}));
    EXPECT_EQ(log[3], 1);
    const int lastOn = IndexOf(log, 1, true), firstHold = IndexOf(log, 4, false),
              lastHold = IndexOf(log, 4, true);
    EXPECT_LT(lastOn, firstHold);
    EXPECT_LT(firstHold, lastHold);
    EXPECT_EQ(log[lastHold + 1], 0);  // the hold ends with the lines cleared
    EXPECT_EQ(log[lastHold + 2], 2);  // the free run: heater off
    EXPECT_EQ(std::vector<uint8_t>(log.end() - 3, log.end()), (std::vector<uint8_t>{2, 0, 0}));
    EXPECT_EQ(sim.Stats().heaterOn, 0);
    for (uint8_t v : log)
        EXPECT_TRUE(v == 0 || v == 1 || v == 2 || v == 4) << int(v);

    // The indium peak: detection finds it, its onset within 1 °C of 156.6 °C.
    data.SetItemsLength(n, false);
    TPeakUtils(data, *config, nullptr, nullptr).DetectPeaks(0, n - 1);
    const TPeak* indium = nullptr;
    for (int k = 0; k < data.peaks.GetItemCount(); ++k) {
        const auto* p = dynamic_cast<const TPeak*>(data.peaks.GetItemByIndex(k).value);
        if (p && tc(p->top) > 150 && tc(p->top) < 170) indium = p;
    }
    ASSERT_NE(indium, nullptr) << data.peaks.GetItemCount() << " peaks";
    EXPECT_EQ(indium->state, PEAK_STATE_UP);
    ASSERT_GT(indium->cutLines.size(), static_cast<size_t>(PEAK_LINE_TANGENT));
    ASSERT_EQ(indium->cutLines.back().lineType, CUTLINE_TANGENT);
    const int onset = indium->cutLines.back().points.at(0).x;
    EXPECT_NEAR(tc(onset), 156.6, 1.0);
    // Its area (K·s, 100 · 2048 counts per kelvin) is the thermal resistance times the heat:
    // 50 × 0.143 J.
    EXPECT_NEAR(static_cast<double>(indium->GetSummaryArea()) / 25 / (100 * WIDE_COUNTS), 7.15, 0.5);
}

TEST_F(SimulatedRunTest, EmulatedRunFillsTheRampAndThePeak) {
    config->interfaceType = itEmul;
    config->frequency = 10;
    config->tempScale = tsUnits;
    WriteFileBytes(config->DevicesFileName(),
                   "[EMUL_CHANNEL0]\nCurveNoiseLevel=4\n[SIMULATED_CELL]\nSpeed=20\n");
    TScanRunControl control(*config);
    ASSERT_NE(control.Thread(), nullptr) << control.ThreadError();
    TDataClass data;
    control.Init(&data);
    control.StartPauseContinue();
    EXPECT_EQ(control.LiveValueLines().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return control.RecordedSeconds() >= 30; }));
    EXPECT_EQ(control.LiveValueLines().at(0).rfind("РЕЖИМ ЭМУЛЯЦИИ СИГНАЛА ", 0), 0u);
    control.Stop();
    const int n = static_cast<int>(control.RecordedItems());
    // A ramp (never falling) and a peak about 1933 counts high near 15 s.
    for (int i = 1; i < n; ++i)
        ASSERT_GE(data.items[i][0].t, data.items[i - 1][0].t) << i;
    int top = 0;
    for (int i = 0; i < n; ++i)
        if (data.items[i][0].dt > data.items[top][0].dt) top = i;
    EXPECT_NEAR(top / 10.0, 15, 1);
    EXPECT_NEAR(data.items[top][0].dt, 1000 + 1933, 60);
    EXPECT_EQ(data.descriptors[0].fScanEndPoint, n - 1);
}
