#include "acquisition/LptScanThread.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "acquisition/ClockFill.h"
#include "acquisition/DriverLibrary.h"
#include "common/IniFile.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

constexpr size_t kGrowItems = 1000;
constexpr auto kConversionTimeout = std::chrono::milliseconds(1000);

int GroupBits(uint8_t aStatus) {
    return ((aStatus >> 3) & 1) << 2 | ((aStatus >> 4) & 1) << 1 | ((aStatus >> 5) & 1);
}

}  // namespace

TLptScanThread::TLptScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
    : TCommonScanThread(aConfig, std::move(aClock)) {
    fDeviceType = itLpt;
    fDelay = DelayValue(aConfig.scanDelay, aConfig.systemSpeed);
    // The simulated converter reads its settings from the devices file.
    ::setenv("KALVERO_DEVICES_FILE", aConfig.DevicesFileName().c_str(), 1);
    fDllHandle = OpenDriverLibrary(PORT_IO_LIBRARY, fLoadError);
    if (fDllHandle) {
        fPorts.PortIn = reinterpret_cast<decltype(fPorts.PortIn)>(::dlsym(fDllHandle, "PortIn"));
        fPorts.PortOut = reinterpret_cast<decltype(fPorts.PortOut)>(::dlsym(fDllHandle, "PortOut"));
        if (!fPorts.PortIn || !fPorts.PortOut) {
            const char* error = ::dlerror();
            fLoadError = error ? error : "PortIn/PortOut not found";
            fPorts = {};
        }
    }
    if (!fPorts.PortIn) SetFatalError(fLoadError);
}

TLptScanThread::TLptScanThread(const TAppConfig& aConfig, TPortIoEntries aPorts,
                               std::shared_ptr<TRunClock> aClock)
    : TCommonScanThread(aConfig, std::move(aClock)), fPorts(aPorts) {
    fDeviceType = itLpt;
    fDelay = DelayValue(aConfig.scanDelay, aConfig.systemSpeed);
    if (!fPorts.PortIn || !fPorts.PortOut) {
        fLoadError = "PortIn/PortOut not given";
        fPorts = {};
        SetFatalError(fLoadError);
    }
}

TLptScanThread::~TLptScanThread() {
    TerminateAndWait();
    if (fDllHandle) ::dlclose(fDllHandle);
}

void TLptScanThread::InitHardware() {
    TCommonScanThread::InitHardware();
    if (!fPorts.PortIn) SetFatalError(fLoadError);
}

int32_t TLptScanThread::DelayValue(int32_t aScanDelay, int32_t aSystemSpeed) {
    if (aScanDelay != -1) return aScanDelay;
    return aSystemSpeed < 1201 ? 0 : -1;
}

int32_t TLptScanThread::DecodeStatus(uint8_t s1, uint8_t s2, uint8_t s3, uint8_t s4) {
    return GroupBits(s1) << 9 | GroupBits(s2) << 6 | GroupBits(s3) << 3 | GroupBits(s4);
}

uint16_t TLptScanThread::PortAddress() const {
    int32_t address = 0;
    if (!TryStrToInt(fConfig.portAddress, address) || address < 0 || address > 0xFFFF)
        throw std::runtime_error("Неверный адрес порта LPT!");
    return static_cast<uint16_t>(address);
}

void TLptScanThread::Wait(int32_t aMs) const {
    if (aMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(aMs));
}

int32_t TLptScanThread::Convert(int32_t aChannel, bool aTemperature) {
    if (!fPorts.PortIn) throw std::runtime_error(fLoadError);
    const uint16_t data = PortAddress();
    const auto status = static_cast<uint16_t>(data + 1);
    const int32_t b = 16 * aChannel + (aTemperature ? 4 : 0);
    const auto out = [&](int32_t aValue) { fPorts.PortOut(data, static_cast<uint8_t>(aValue)); };
    const int32_t a = WaitAMs(fDelay), w = WaitBMs(fDelay);

    Wait(a);
    out(0);
    Wait(w);
    out(b + 8);
    Wait(w);
    // The converter's end of conversion; a converter that never answers is a failure, not a hang.
    const auto deadline = std::chrono::steady_clock::now() + kConversionTimeout;
    while (!(fPorts.PortIn(status) & 0x40)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("Преобразователь на порту LPT не отвечает");
    }
    uint8_t s[4];
    Wait(w);
    for (int g = 0; g < 4; ++g) {
        out(b + 8 + g);
        Wait(a);
        s[g] = fPorts.PortIn(status);
        Wait(w);
    }
    int32_t value = DecodeStatus(s[0], s[1], s[2], s[3]);
    if (b != 0 && b != 16) value *= fConfig.tADCMultiplier;
    return value;
}

void TLptScanThread::Execute() {
    while (!Terminated()) {
        fCommandBuffer.Clear();
        if (Suspended()) {
            MarkIdle(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        MarkIdle(false);
        try {
            Turn();
        } catch (const std::exception& e) {
            ReportBodyFailure(e.what(), true);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TLptScanThread::Turn() {
    TDataClass& d = *fDataClass;
    const int32_t channels = fConfig.numberOfDataChannels;
    // The conversions wait on the port; the samples are stored afterwards under the lock.
    std::vector<int32_t> tValues(channels), dtValues(channels);
    for (int32_t i = 0; i < channels; ++i) {
        tValues[i] = Convert(i, true);
        dtValues[i] = Convert(i, false);
    }
    const int64_t index = PeriodsNow() - GetStartTime();
    if (index < 0) return;
    fCurrTime = static_cast<uint32_t>(index);
    const int64_t skipped = int64_t{fCurrTime} - fOldTime;
    if (skipped < 1) return;

    auto lock = LockItemsForWriting();
    EnsureItem(fCurrTime + kGrowItems, kGrowItems);
    const int32_t tLimit = std::max(0, fConfig.tMaxValue - fConfig.tMinValue - 1);
    for (int32_t i = 0; i < channels; ++i) {
        // Like the other back-ends, channel i lands at the start channel + i.
        const size_t x = fStartScanChannelNo + static_cast<size_t>(i);
        if (x >= static_cast<size_t>(d.GetChannelCount())) break;
        StoreClockSample(d, x, skipped, std::clamp(tValues[i], 0, tLimit) - fConfig.tempZeroLine,
                         [&](float aTc) {
                             return ExpandDtValue(dtValues[i], aTc) - fConfig.dTZeroLine + fDtSignalOffset;
                         });
    }
    PublishTimeCounter(fCurrTime);
    fOldTime = static_cast<int32_t>(fCurrTime);
}

}  // namespace kalvero
