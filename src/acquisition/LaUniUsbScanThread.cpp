#include "acquisition/LaUniUsbScanThread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "acquisition/ScanProgram.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"

namespace kalvero {

TLaUniUsbScanThread::TLaUniUsbScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
    : TCommonScanThread(aConfig, std::move(aClock)),
      fDeviceDescriptor(std::make_unique<TUniUsbDeviceDescriptor>(aConfig)) {
    fDeviceType = itLAi24USB_Uni;
    const std::shared_ptr<TRunClock> clock = ClockPtr();
    fDeviceDescriptor->SetSleep([clock](double aMs) { clock->Sleep(aMs); });
}

TLaUniUsbScanThread::~TLaUniUsbScanThread() {
    TerminateAndWait();
    Cleanup();
}

void TLaUniUsbScanThread::Cleanup() {
    if (!fDeviceDescriptor) return;
    try {
        fDeviceDescriptor->DeInit();
    } catch (const std::exception& e) {
        if (gLogger) gLogger->Error(ClassName(), e.what());
    }
    fDeviceDescriptor.reset();
}

void TLaUniUsbScanThread::InitHardware() {
    TCommonScanThread::InitHardware();
    try {
        if (!fDeviceDescriptor) throw EDeviceException("Устройство освобождено");
        std::lock_guard lock(fConnectLock);
        fDeviceDescriptor->Init();
        PrepareFrames();
    } catch (const std::exception& e) {
        if (gLogger) gLogger->Error(ClassName(), e.what());
        SetFatalError(e.what());
    }
}

void TLaUniUsbScanThread::PrepareFrames() {
    const TUniUsbDeviceDescriptor& dev = *fDeviceDescriptor;
    fUsed = dev.GetUsedHardwareChannels();
    fSlots.assign(fUsed, {});
    for (const TDeviceChannelDescriptor& c : dev.GetChannelDescriptors()) {
        // A hardware channel may carry both signals of a channel; each gets its sample.
        if (c.tempChannelNumber < fUsed)
            fSlots[c.tempChannelNumber].push_back({true, c.dataChannelNumber, c.tempChannelOffset});
        if (c.diffTempChannelNumber < fUsed)
            fSlots[c.diffTempChannelNumber].push_back({false, c.dataChannelNumber, c.dIffTempChannelOffset});
    }
    fDivider =
        std::max<int64_t>(1, int64_t{dev.GetInternalDataDivider()} * std::max(1, fConfig.rawDataDivider));
    fSkipPerFrame = fConfig.decimation > 1 ? (fConfig.decimation - 1u) * fUsed : 0;
    fGrowItems =
        static_cast<uint32_t>(std::max<int64_t>(1, Round(static_cast<double>(fConfig.frequency) * 60)));
    fWork.assign(std::max<uint32_t>(1, dev.GetBufferSize()), 0);
    fCurrTime = 0;
    fHwChannel = 0;
    fSkip = 0;
    fHasLastT = false;
}

bool TLaUniUsbScanThread::IsDevicePresent() {
    return fDeviceDescriptor && fDeviceDescriptor->IsDevicePresent();
}

void TLaUniUsbScanThread::StartADC() {
    if (fDeviceDescriptor) fDeviceDescriptor->StartADC();
}

void TLaUniUsbScanThread::StopADC() {
    if (fDeviceDescriptor) fDeviceDescriptor->StopADC();
}

void TLaUniUsbScanThread::Start() {
    if (!fDataClass) throw std::runtime_error("Не задан эксперимент для сканирования");
    if (fUsed == 0) throw EDeviceException("Устройство не инициализировано");
    for (const auto& slots : fSlots) {
        for (const TSlot& s : slots) {
            if (s.channel + fStartScanChannelNo >= static_cast<uint32_t>(fDataClass->GetChannelCount()))
                throw std::runtime_error("Недостаточно каналов данных для сканирования");
        }
    }
    fHwChannel = 0;
    fSkip = 0;
    fHasLastT = false;
    // From the first buffer on, the first step decides whether samples are kept (the program
    // tells it only after its first turn).
    fSaveDataFlag = true;
    if (fDeviceControlType == dctProgram && fScanProgram && fScanProgram->GetItemCount() > 0 &&
        fScanProgram->GetState() == spsStopped) {
        fSaveDataFlag = fScanProgram->GetStep(1).storeScannedData;
    }
    // The converter runs before the body reads, so the program's first turn sees a first buffer.
    StartADC();
    try {
        TCommonScanThread::Start();
    } catch (...) {
        StopADC();
        throw;
    }
}

void TLaUniUsbScanThread::Stop() {
    TCommonScanThread::Stop();
    // With the body gone (after a failure) nobody else sends the heater-off commands.
    if (!IsBodyAlive()) DrainCommands(true);
    StopADC();
}

void TLaUniUsbScanThread::Reset() {
    TCommonScanThread::Reset();
    fINPortData = 0;
    if (!IsBodyAlive()) DrainCommands(true);
    StopADC();
}

void TLaUniUsbScanThread::DrainCommands(bool aBestEffort) {
    if (!fDeviceDescriptor || !fDeviceDescriptor->IsConnected()) {
        if (aBestEffort) return;
        throw EDeviceException("Устройство не подключено");
    }
    TPortIOCommand command;
    while (fCommandBuffer.Dequeue(command)) {
        if (command.command != pcmdWrite) continue;
        try {
            fDeviceDescriptor->DigitalPortOut(command.value, command.duration);
        } catch (const std::exception& e) {
            if (!aBestEffort) throw;
            if (gLogger) gLogger->Error(ClassName(), e.what());
        }
    }
}

void TLaUniUsbScanThread::SwitchHeaterOffNow() {
    DrainCommands(true);
    // The failed connection is released; the next start connects anew.
    if (fDeviceDescriptor) fDeviceDescriptor->DeInit();
}

void TLaUniUsbScanThread::Execute() {
    try {
        while (!Terminated())
            Turn();
    } catch (const std::exception& e) {
        ReportBodyFailure(e.what(), true);
        return;
    }
    // Ending: whatever the stop queued (heater off, lines released) still goes out.
    DrainCommands(true);
}

void TLaUniUsbScanThread::Turn() {
    const bool control = fDeviceControlType != dctNone;
    if (control) {
        std::lock_guard lock(fConnectLock);
        DrainCommands(false);
    }
    if (Suspended()) {
        MarkIdle(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    MarkIdle(false);
    if (control) {
        fINPortData = fDeviceDescriptor->DigitalPortRead();
        if (fScanProgram) fScanProgram->SetPortData(fINPortData);
    }
    if (Suspended()) return;
    fDeviceDescriptor->LVGetUInt();
    if (Suspended()) return;
    uint32_t received = 0;
    fDeviceDescriptor->LVGetDataInt(received, fWork);
    // The program turns once per buffer of new samples, never on a temperature not yet measured.
    if (received == 0) return;
    ConvertBuffer(fWork.data(), received);

    if (fDeviceControlType == dctProgram && fScanProgram) {
        fScanProgram->Loop(static_cast<int32_t>(Round(fLastTemp)), fINPortData);
        // Asked after the turn, so that it is the step's own answer from the first buffer on.
        fSaveDataFlag = fScanProgram->IsCurrentStepToSaveData();
    }
    const uint32_t time = fCurrTime;
    PublishTimeCounter(time == 0 ? 0 : fSaveDataFlag ? time - 1 : time, time > 0 && !fSaveDataFlag);
}

void TLaUniUsbScanThread::ConvertBuffer(const int32_t* aBuffer, uint32_t aCount) {
    if (fUsed == 0 || aCount == 0) return;
    TDataClass& d = *fDataClass;
    const long double period = d.fPeriod > 0 ? d.fPeriod : 100.0L;
    // Samples count once the dead zone after the start is over.
    const bool advance =
        fSaveDataFlag && static_cast<long double>(Clock().Now()) >
                             static_cast<long double>(GetStartTime()) * period + fConfig.scanDeadZone;
    const int32_t multiplier = fConfig.tADCMultiplier, tempZero = fConfig.tempZeroLine;
    const int32_t diffShift = fDtSignalOffset - fConfig.dTZeroLine;
    const uint32_t start = fStartScanChannelNo;
    const size_t stride = static_cast<size_t>(d.GetChannelCount());

    auto lock = LockItemsForWriting();
    uint32_t time = fCurrTime;
    EnsureItem(time + aCount / fUsed + 1, fGrowItems);
    size_t count = static_cast<size_t>(d.GetItemCount());
    TItem* row = d.items.Data() + size_t{time} * stride;
    for (uint32_t k = 0; k < aCount; ++k) {
        if (fSkip > 0) {
            --fSkip;
            continue;
        }
        const int32_t raw = static_cast<int32_t>(aBuffer[k] / fDivider);
        for (const TSlot& s : fSlots[fHwChannel]) {
            TItem& item = row[start + s.channel];
            if (s.temperature) {
                const int32_t v = (s.offset + raw) * multiplier - tempZero;
                item.t = ExpandTValue(v);
                // The temperature changes slowly: its calibration is reused while it stands.
                if (!fHasLastT || v != fLastTValue) {
                    fLastTValueTc = TempRealValue(v);
                    fLastTValue = v;
                    fHasLastT = true;
                }
                item.tc = fLastTValueTc;
                fLastTemp = fLastTValueTc;
            } else {
                const int32_t w = s.offset + raw + diffShift;
                item.dt = ExpandDtValue(w, item.tc);
                item.dtc = DiffTempRealValue(w, fHasLastT ? fLastTValueTc : item.tc);
            }
        }
        if (++fHwChannel == fUsed) {
            fHwChannel = 0;
            if (advance) {
                ++time;
                if (time >= count) {
                    EnsureItem(time, fGrowItems);
                    count = static_cast<size_t>(d.GetItemCount());
                }
                row = d.items.Data() + size_t{time} * stride;
            }
            fSkip = fSkipPerFrame;
        }
    }
    fCurrTime = time;
}

}  // namespace kalvero
