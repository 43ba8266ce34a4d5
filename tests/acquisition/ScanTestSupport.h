#pragma once
// What the acquisition tests share: a run clock moved by hand, the simulated USB module's test
// exports, a configuration whose "Devices.ini" describes the simulated instrument, and waiting
// for a condition with a time limit.

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/DriverLibrary.h"
#include "acquisition/RunClock.h"
#include "acquisition/UniDriverApi.h"
#include "calibration/GlobalTables.h"
#include "common/Cp1251.h"
#include "support/TestConfig.h"

namespace kalvero::test {

// The message of the exception an action raises, "" when it raises none.
inline std::string Text(const std::function<void()>& aAction) {
    try {
        aAction();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

// Run time that moves only when the test says so; port pulses pass at once.
class TManualClock : public TRunClock {
public:
    explicit TManualClock(uint64_t aStart = 100000) : fNow(aStart) {}
    uint64_t Now() override { return fNow; }
    void Sleep(double) override {}
    void Set(uint64_t aNow) { fNow = aNow; }
    void Advance(uint64_t aMs) { fNow += aMs; }

private:
    std::atomic<uint64_t> fNow;
};

// Polls aDone every millisecond for at most aSeconds of real time.
inline bool WaitFor(const std::function<bool()>& aDone, double aSeconds = 10) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(aSeconds);
    while (!aDone()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The test exports of the simulated uni-driver library, loaded the way the program loads it (the
// same library instance).
class TSimUsb {
public:
    TSimUsb() {
        std::string error;
        fHandle = OpenDriverLibrary("RshUniDriver.dll", error);
        if (!fHandle) return;
        fStats =
            reinterpret_cast<unidriver::SimUniDriverGetStats_t>(::dlsym(fHandle, "SimUniDriverGetStats"));
        fLog =
            reinterpret_cast<unidriver::SimUniDriverGetPortLog_t>(::dlsym(fHandle, "SimUniDriverGetPortLog"));
        fReset = reinterpret_cast<unidriver::SimUniDriverReset_t>(::dlsym(fHandle, "SimUniDriverReset"));
    }
    bool Loaded() const { return fStats && fLog && fReset; }
    unidriver::SimUniDriverStats Stats() const {
        unidriver::SimUniDriverStats s;
        fStats(&s);
        return s;
    }
    // Logical bytes written to the digital port since the last reset.
    std::vector<uint8_t> PortLog() const {
        std::vector<uint8_t> log(fLog(nullptr, 0));
        fLog(log.data(), static_cast<unidriver::U32>(log.size()));
        return log;
    }
    void Reset() const { fReset(); }

private:
    void* fHandle = nullptr;
    unidriver::SimUniDriverGetStats_t fStats = nullptr;
    unidriver::SimUniDriverGetPortLog_t fLog = nullptr;
    unidriver::SimUniDriverReset_t fReset = nullptr;
};

// Counts of the simulated 24-bit module per count of the 12-bit one (the same sensor, read 2048
// times finer): the cell at room temperature reads about 376 twelve-bit counts.
inline constexpr int32_t WIDE_COUNTS = 2048;

// The count windows of the 24-bit converter (aWide) or of the 12-bit one.
inline void UseCountWindows(TTestConfig& aConfig, bool aWide) {
    aConfig->tMinADCValue = 0;
    aConfig->tMaxADCValue = aWide ? 8388607 : 4095;
    aConfig->dTMinADCValue = aWide ? -8388608 : 0;
    aConfig->dTMaxADCValue = aWide ? 8388607 : 4095;
}

// A configuration for the simulated USB module (24-bit unless told otherwise) with the count
// windows of its converter; aCell holds extra keys of [SIMULATED_CELL]. The simulated module is
// reset to a cold cell with these settings.
inline void UseSimulatedUsb(TTestConfig& aConfig, const TSimUsb& aSim, const std::string& aCell = "",
                            TInterfaceType aType = itLAi24USB_Uni, float aFrequency = 25) {
    aConfig->interfaceType = aType;
    aConfig->frequency = aFrequency;
    aConfig->numberOfDataChannels = 1;
    UseCountWindows(aConfig, aType == itLAi24USB_Uni);
    WriteFileBytes(
        aConfig->DevicesFileName(),
        "[USB_CHANNEL0]\ntempChannelNumber=0\ndiffTempChannelNumber=1\n[SIMULATED_CELL]\n" + aCell);
    ::setenv("KALVERO_DEVICES_FILE", aConfig->DevicesFileName().c_str(), 1);
    aSim.Reset();
}

// The process-wide tables with the shipped table of the simulated sensor (24-bit counts to °C,
// over the 24-bit count windows) as the temperature table, for the lifetime of the object.
class TSimulatedSensorTable {
public:
    explicit TSimulatedSensorTable(TTestConfig& aConfig) {
        UseCountWindows(aConfig, true);
        aConfig->tempCalibrationTable = "SimulatedCell.tbl";
        aConfig->tempScale = 1;  // degrees
        fLoaded = CreateGlobalCalibrationTables(*aConfig).empty();
    }
    ~TSimulatedSensorTable() { FreeGlobalCalibrationTables(); }
    bool Loaded() const { return fLoaded; }

private:
    bool fLoaded = false;
};

}  // namespace kalvero::test
