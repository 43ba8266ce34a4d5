// Acquisition: the conversion path of the USB back-end unpaced (buffer reduction, range steps,
// calibration through the shipped temperature table, storage), and a paced run of the simulated
// 24-bit module, 4 hardware channels at 800 Hz for 10 simulated minutes, while another thread
// reads the published samples the way the draw timer does.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "BenchSupport.h"
#include "acquisition/DriverLibrary.h"
#include "acquisition/LaUniUsbScanThread.h"
#include "calibration/TempCalibration.h"
#include "common/FileUtil.h"
#include "data/DataClass.h"

namespace kalvero::bench {
namespace {

// The 24-bit module with two data channels (T, dT on hardware channels 0-1 and 2-3) at 800 Hz,
// the shipped temperature table in force; the benchmark environment is restored afterwards.
class TUsbSetting {
public:
    explicit TUsbSetting(double aSpeed) : fConfig(Environment().Config()), fSaved(Save(fConfig)) {
        fConfig.interfaceType = itLAi24USB_Uni;
        fConfig.frequency = 800;
        fConfig.numberOfDataChannels = 2;
        fConfig.tMaxADCValue = 4095;
        fConfig.dTMinADCValue = 0;
        fConfig.dTMaxADCValue = 4095;
        fConfig.endTime = 60;
        WriteFileAtomic(fConfig.DevicesFileName(),
                        "[USB_CHANNEL0]\ntempChannelNumber=0\ndiffTempChannelNumber=1\n"
                        "[USB_CHANNEL1]\ntempChannelNumber=2\ndiffTempChannelNumber=3\n"
                        "[SIMULATED_CELL]\nSpeed=" +
                            std::to_string(aSpeed) + "\n");
        ::setenv("KALVERO_DEVICES_FILE", fConfig.DevicesFileName().c_str(), 1);
        fTable.LoadFromPath(fConfig.fCalibrationTablesPath + "SimulatedCell.tbl");
        fTable.Calc();
        fPreviousTable = gTempCalibrationTable;
        gTempCalibrationTable = &fTable;
    }
    ~TUsbSetting() {
        gTempCalibrationTable = fPreviousTable;
        fConfig.interfaceType = fSaved.interfaceType;
        fConfig.frequency = fSaved.frequency;
        fConfig.numberOfDataChannels = fSaved.numberOfDataChannels;
        fConfig.tMaxADCValue = fSaved.tMaxADCValue;
        fConfig.dTMinADCValue = fSaved.dTMinADCValue;
        fConfig.dTMaxADCValue = fSaved.dTMaxADCValue;
        fConfig.endTime = fSaved.endTime;
    }

private:
    struct TSaved {
        TInterfaceType interfaceType;
        float frequency;
        int32_t numberOfDataChannels, tMaxADCValue, dTMinADCValue, dTMaxADCValue, endTime;
    };
    static TSaved Save(const TAppConfig& c) {
        return {c.interfaceType, c.frequency, c.numberOfDataChannels, c.tMaxADCValue, c.dTMinADCValue,
                c.dTMaxADCValue, c.endTime};
    }

    TAppConfig& fConfig;
    TSaved fSaved;
    TTempCalibrationTable fTable{0, 4095};
    TTempCalibrationTable* fPreviousTable = nullptr;
};

}  // namespace

static void BM_UsbConversionUnpaced(benchmark::State& state) {
    TUsbSetting setting(1);
    TDataClass data;
    TLaUniUsbScanThread thread(Environment().Config());
    thread.SetDataClass(&data);
    thread.InitHardware();
    if (thread.IsFatalError()) {
        state.SkipWithError(thread.GetErrorMessage().c_str());
        return;
    }
    // One driver buffer: 32 frames of T (a ramp through the sensor's counts) and dT words.
    std::vector<int32_t> buffer;
    for (int f = 0; f < 32; ++f) {
        for (int pair = 0; pair < 2; ++pair) {
            buffer.push_back((1000 + f / 4) * 256 + 77);
            buffer.push_back((2048 + (f * 37) % 50) * 256 + 13);
        }
    }
    const auto count = static_cast<uint32_t>(buffer.size());
    for (auto _ : state) {
        thread.ConvertBuffer(buffer.data(), count);
        if (thread.GetCurrTime() > 1000000) {
            state.PauseTiming();
            thread.PrepareFrames();
            state.ResumeTiming();
        }
    }
    benchmark::DoNotOptimize(data.items[1][1].dtc);
    // Items are hardware samples (each buffer entry), as the converter delivers them.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * count);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 32, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_UsbConversionUnpaced)->Unit(benchmark::kNanosecond);

static void BM_UsbPacedRun4Channels(benchmark::State& state) {
    constexpr double kSpeed = 60, kMinutes = 10;
    TUsbSetting setting(kSpeed);
    void* driver = nullptr;
    std::string error;
    driver = OpenDriverLibrary("RshUniDriver.dll", error);
    auto stats =
        driver ? reinterpret_cast<unidriver::SimUniDriverGetStats_t>(::dlsym(driver, "SimUniDriverGetStats"))
               : nullptr;
    if (!stats) {
        state.SkipWithError(("simulated driver: " + error).c_str());
        return;
    }
    const uint32_t frames = static_cast<uint32_t>(800 * 60 * kMinutes);
    for (auto _ : state) {
        TDataClass data;
        TLaUniUsbScanThread thread(Environment().Config(), std::make_shared<TSteadyRunClock>(kSpeed));
        thread.SetDataClass(&data);
        thread.InitHardware();
        if (thread.IsFatalError()) {
            state.SkipWithError(thread.GetErrorMessage().c_str());
            return;
        }
        std::atomic<bool> done{false};
        std::atomic<uint64_t> reads{0};
        double sink = 0;
        // The draw timer's part: read what was published since the last look.
        std::thread reader([&] {
            uint32_t seen = 0;
            while (!done) {
                {
                    auto lock = thread.LockItemsForReading();
                    const uint32_t last = thread.PublishedTimeCounter();
                    for (uint32_t i = seen; i <= last && last < static_cast<uint32_t>(data.GetItemCount());
                         ++i)
                        sink += data.items[i][0].tc + data.items[i][1].dtc;
                    seen = last;
                }
                ++reads;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        thread.Start();
        while (thread.PublishedTimeCounter() + 1 < frames && !thread.IsFatalError())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        thread.Stop();
        done = true;
        reader.join();
        unidriver::SimUniDriverStats s;
        stats(&s);
        state.counters["overruns"] = static_cast<double>(s.overruns);
        state.counters["frames"] = thread.PublishedTimeCounter() + 1.0;
        state.counters["samples"] = static_cast<double>(s.samplesRead);
        state.counters["reads"] = static_cast<double>(reads);
        state.counters["failed"] = thread.IsFatalError() ? 1 : 0;
        benchmark::DoNotOptimize(sink);
    }
}
BENCHMARK(BM_UsbPacedRun4Channels)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace kalvero::bench
