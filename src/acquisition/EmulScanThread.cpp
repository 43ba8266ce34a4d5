#include "acquisition/EmulScanThread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "acquisition/ClockFill.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

constexpr size_t kGrowItems = 1000;

}  // namespace

TEmulScanThread::TEmulScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
    : TCommonScanThread(aConfig, std::move(aClock)),
      fCurrTVal(aConfig.tMinADCValue),
      fRandom(std::random_device{}()) {
    fDeviceType = itEmul;
    try {
        fDeviceDescriptor = std::make_unique<TEmulDeviceDescriptor>(aConfig);
    } catch (const std::exception& e) {
        if (gLogger) gLogger->Error(ClassName(), e.what());
    }
}

TEmulScanThread::~TEmulScanThread() {
    TerminateAndWait();
}

int32_t TEmulScanThread::GetTValue(int32_t /*aCh*/) {
    const double lo = fConfig.tMinADCValue, hi = fConfig.tMaxADCValue;
    const double step = std::fabs(hi - lo) / (static_cast<double>(fConfig.frequency) * 200);
    fCurrTVal = std::clamp(fCurrTVal + step, std::min(lo, hi), std::max(lo, hi));
    return ExpandTValue(static_cast<int32_t>(Round(fCurrTVal - fConfig.tempZeroLine)));
}

int32_t TEmulScanThread::GetDtValue(int32_t aCh) {
    // Without a descriptor the curve keeps the descriptor's defaults.
    const int32_t noiseLevel =
        fDeviceDescriptor && aCh < static_cast<int32_t>(fDeviceDescriptor->GetCurveNoiseLevels().size())
            ? fDeviceDescriptor->GetCurveNoiseLevels()[aCh]
            : 10;
    const int32_t offset =
        fDeviceDescriptor && aCh < static_cast<int32_t>(fDeviceDescriptor->GetCurveDataOffsets().size())
            ? fDeviceDescriptor->GetCurveDataOffsets()[aCh]
            : 1000;
    const bool up = !fDeviceDescriptor || fDeviceDescriptor->GetPeakDirection();
    const double gain = fDeviceDescriptor ? fDeviceDescriptor->GetDiffTempChannelGain(aCh) : 1;

    const int32_t e =
        std::uniform_int_distribution<int32_t>(0, std::max(1, noiseLevel) - 1)(fRandom) - noiseLevel / 2;
    const int32_t base = offset + fDtSignalOffset - fConfig.dTZeroLine;
    const double f = fConfig.frequency;
    const int64_t s = Round(f * 15);
    const int64_t n = fCurrTime;
    if (2 * n < s) return base + e;
    const double g = static_cast<double>(2 * n - s) / f;
    const int64_t p = Round(g * g * g * 23 * std::exp(-0.2 * g) / 2 * gain);
    return static_cast<int32_t>(up ? base + p + e : base - p + e);
}

void TEmulScanThread::Execute() {
    while (!Terminated()) {
        // No port and no program here: whatever was queued is dropped, not kept forever.
        fCommandBuffer.Clear();
        if (Suspended()) {
            MarkIdle(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        MarkIdle(false);
        try {
            Turn();
        } catch (const std::exception& e) {
            // The emulator body goes on; the failed run is stopped.
            ReportBodyFailure(e.what(), false);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TEmulScanThread::Turn() {
    TDataClass& d = *fDataClass;
    const long double period = d.fPeriod > 0 ? d.fPeriod : 100.0L;
    const uint64_t tick = Clock().Now();
    const long double begin = static_cast<long double>(GetStartTime()) * period + fConfig.scanDeadZone;
    auto lock = LockItemsForWriting();
    if (static_cast<long double>(tick) <= begin) {
        // The dead zone after the start: the first item keeps the bottom of the window.
        if (d.GetItemCount() > 0) d.items[0][fStartScanChannelNo].t = fConfig.tMinADCValue;
        return;
    }
    const int64_t index = Round(static_cast<double>(tick / period)) - GetStartTime() -
                          Round(fConfig.scanDeadZone / static_cast<double>(period)) - 1;
    fCurrTime = static_cast<uint32_t>(std::max<int64_t>(0, index));
    const int64_t skipped = int64_t{fCurrTime} - fOldTime;
    if (skipped < 1) return;
    // A stall longer than the growth step must not write past the end.
    EnsureItem(fCurrTime + kGrowItems, kGrowItems);

    for (int32_t i = 0; i < fConfig.numberOfDataChannels; ++i) {
        const size_t x = fStartScanChannelNo + static_cast<size_t>(i);
        if (x >= static_cast<size_t>(d.GetChannelCount())) break;
        StoreClockSample(d, x, skipped, GetTValue(i),
                         [&](float aTc) { return ExpandDtValue(GetDtValue(i) + fDtSignalOffset, aTc); });
    }
    PublishTimeCounter(fCurrTime);
    fOldTime = static_cast<int32_t>(fCurrTime);
}

}  // namespace kalvero
