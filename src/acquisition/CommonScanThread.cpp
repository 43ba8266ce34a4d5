#include "acquisition/CommonScanThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "acquisition/ClockFill.h"
#include "acquisition/ScanProgram.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"

namespace kalvero {
namespace {

// Nice values for the priorities; raising one needs privileges and may be refused.
int NiceOf(TThreadPriority aPriority) {
    switch (aPriority) {
        case tpLowest:
            return 10;
        case tpLower:
            return 5;
        case tpHigher:
            return -5;
        case tpHighest:
            return -10;
        default:
            return 0;
    }
}

}  // namespace

TThreadPriority ThreadPriorityFromConfig(int32_t aValue) {
    switch (aValue) {
        case 1:
            return tpLowest;
        case 2:
            return tpLower;
        case 4:
            return tpHigher;
        case 5:
            return tpHighest;
        default:
            return tpNormal;
    }
}

TCommonScanThread::TCommonScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
    : fConfig(aConfig),
      fClock(aClock ? std::move(aClock) : std::make_shared<TSteadyRunClock>()),
      fPriority(ThreadPriorityFromConfig(aConfig.scanThreadPriority)) {
    fDtSignalOffset = aConfig.dTSignalOffset;
}

TCommonScanThread::~TCommonScanThread() {
    TerminateAndWait();
    fCommandBuffer.Clear();
}

void TCommonScanThread::TerminateAndWait() {
    if (!fThread.joinable()) return;
    if (IsStarted()) {
        try {
            Stop();
        } catch (const std::exception& e) {
            if (gLogger) gLogger->Error(ClassName(), e.what());
        }
    }
    fTerminated = true;
    fThread.join();
}

void TCommonScanThread::Launch() {
    if (fThread.joinable()) fThread.join();
    fTerminated = false;
    fBodyEnded = false;
    fThread = std::thread([this] { Body(); });
    fWasStartedFlag = true;
}

void TCommonScanThread::Body() {
    const int nice = NiceOf(fPriority);
    if (nice != 0) ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), nice);
    try {
        Execute();
    } catch (const std::exception& e) {
        // Back-ends catch their own failures; this is the last guard.
        ReportBodyFailure(e.what(), true);
    }
    fBodyIdle = true;
    fBodyEnded = true;
}

std::string TCommonScanThread::GetErrorMessage() const {
    std::lock_guard lock(fErrorLock);
    const int32_t code = fErrorCode;
    if (code == 0 && !fFatalErrorFlag) return "Норма";
    if (fFatalErrorFlag) return fErrorMessage;
    if (code & 1) return "Нет связи";
    if (code & 2) return " Ошибка выполнения";
    return fErrorMessage.empty() ? "Неизвестная ошибка" : fErrorMessage;
}

void TCommonScanThread::SetFatalError(const std::string& aMessage) {
    std::lock_guard lock(fErrorLock);
    fErrorMessage = aMessage;
    fFatalErrorFlag = true;
}

void TCommonScanThread::ClearErrors() {
    std::lock_guard lock(fErrorLock);
    fErrorCode = 0;
    fErrorMessage.clear();
    fFatalErrorFlag = false;
    fBodyFailed = false;
}

void TCommonScanThread::InitHardware() {
    ClearErrors();
}

void TCommonScanThread::SetScanProgram(TScanProgram* aScanProgram) {
    fScanProgram = aScanProgram;
    if (fScanProgram) {
        fScanProgram->SetCommandBuffer(fCommandBuffer);
        fScanProgram->SetDeviceControlType(fDeviceControlType);
    }
}

void TCommonScanThread::SetDeviceControlType(TDeviceControlType aDeviceControlType) {
    fDeviceControlType = aDeviceControlType;
    if (fScanProgram) fScanProgram->SetDeviceControlType(aDeviceControlType);
}

void TCommonScanThread::SetStartChannelNo(uint8_t aStartChannelNo) {
    const int32_t last = int32_t{aStartChannelNo} + fConfig.numberOfDataChannels;
    const int32_t channels = fDataClass ? fDataClass->GetChannelCount() : 0;
    if (last < 1 || last > 256 || last > channels)
        throw std::runtime_error("Недостаточно каналов данных для сканирования");
    fStartScanChannelNo = aStartChannelNo;
}

void TCommonScanThread::DigitalPortRequestRead() {
    fCommandBuffer.Enqueue({pcmdRead, 0, 0});
}

void TCommonScanThread::DigitalPortOut(uint8_t aValue) {
    fCommandBuffer.Enqueue({pcmdWrite, aValue, 0});
}

void TCommonScanThread::DigitalPortOut(uint8_t aDataByte, uint16_t aDuration) {
    fCommandBuffer.Enqueue({pcmdWrite, aDataByte, aDuration});
}

bool TCommonScanThread::DigitalPortCommandOut(TArduinoCommand /*aCommand*/, int32_t /*aOperand*/) {
    return false;
}

int64_t TCommonScanThread::PeriodsNow() const {
    const long double period = fDataClass && fDataClass->fPeriod > 0 ? fDataClass->fPeriod : 100.0L;
    return Round(static_cast<double>(static_cast<long double>(fClock->Now()) / period));
}

uint32_t TCommonScanThread::PublishedTimeCounter() const {
    if (!fDataClass) return 0;
    return std::atomic_ref<uint32_t>(fDataClass->fTimeCounter).load(std::memory_order_acquire);
}

void TCommonScanThread::PublishTimeCounter(uint32_t aTimeCounter, bool aLiveSample) {
    fLiveSample = aLiveSample;
    std::atomic_ref<uint32_t>(fDataClass->fTimeCounter).store(aTimeCounter, std::memory_order_release);
}

void TCommonScanThread::DropLiveSample() {
    if (!fDataClass || !fLiveSample.exchange(false)) return;
    auto lock = LockItemsForWriting();
    const uint32_t last = PublishedTimeCounter();
    if (last > 0) PublishTimeCounter(last - 1);
}

void TCommonScanThread::Start() {
    if (!fDataClass) throw std::runtime_error("Не задан эксперимент для сканирования");
    // The program may refuse to start; nothing of the run has changed then.
    if (fScanProgram) fScanProgram->Start();
    if (fBodyFailed) ClearErrors();
    fCurrTime = 0;
    // No sample yet: the clock-driven bodies write index 0 too.
    fOldTime = -1;
    fDtRangeChanged = true;
    fTRangeChanged = true;
    fStartTime = PeriodsNow();
    {
        auto lock = LockItemsForWriting();
        PublishTimeCounter(0);
        fDataClass->fOldTimeCounter = 0;
    }
    fNeedByTRedraw = true;
    fNeedByDTRedraw = true;
    fRunState = rsRunning;
    fBodyIdle = false;
    fSuspendedFlag = false;
    // First start, or the body ended after a failure: a thread of its own again.
    if (!fWasStartedFlag || fBodyEnded) Launch();
}

void TCommonScanThread::QueueHeaterOff() {
    if (fDeviceControlType == dctNone) return;
    fCommandBuffer.Enqueue(HEATER_OFF_COMMAND);
    fCommandBuffer.Enqueue(PORT_CLEAR_COMMAND);
}

void TCommonScanThread::Pause() {
    if (fScanProgram) fScanProgram->Pause();
    fRunState = rsPaused;
    fSuspendedFlag = true;
    // Nobody watches the cell while the run is paused.
    QueueHeaterOff();
}

void TCommonScanThread::Resume() {
    fRunState = rsRunning;
    fBodyIdle = false;
    fSuspendedFlag = false;
    if (fScanProgram) fScanProgram->Resume();
}

void TCommonScanThread::Stop() {
    if (fScanProgram) fScanProgram->Stop();
    fSuspendedFlag = true;
    fRunState = rsStopped;
}

void TCommonScanThread::Reset() {
    TCommonScanThread::Stop();
}

bool TCommonScanThread::WaitUntilIdle(uint32_t aTimeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
    while (!(fBodyIdle || fBodyEnded || !fWasStartedFlag)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TCommonScanThread::ReportBodyFailure(const std::string& aMessage, bool aEndsBody) {
    {
        std::lock_guard lock(fErrorLock);
        fErrorCode = SCAN_ERROR_BODY;
        fErrorMessage = "Thread execute - " + aMessage;
        if (aEndsBody) fFatalErrorFlag = true;
        fBodyFailed = true;
    }
    // A failed run is a stopped run, with the heater off.
    fSuspendedFlag = true;
    fRunState = rsStopped;
    try {
        if (fScanProgram) fScanProgram->Stop();
        QueueHeaterOff();
        SwitchHeaterOffNow();
    } catch (const std::exception& e) {
        if (gLogger) gLogger->Error(ClassName(), std::string("heater off after failure: ") + e.what());
    }
    if (gLogger) gLogger->Error(ClassName(), "Thread execute - " + aMessage);
    if (OnException) {
        try {
            OnException(*this);
        } catch (const std::exception& e) {
            if (gLogger) gLogger->Error(ClassName(), e.what());
        }
    }
}

int32_t TCommonScanThread::ExpandTValue(int32_t aValue) {
    TDataClass& d = *fDataClass;
    if (fTRangeChanged) {
        fTMinValue = d.fTempMinValue;
        fTMaxValue = d.fTempMaxValue;
        if (d.tempScale == tsDegrees) {
            fTMinValue = TempRealValue(d.fTempMinValue);
            fTMaxValue = TempRealValue(d.fTempMaxValue);
        }
    }
    bool changed = false;
    const int32_t result = d.ExpandTRange(aValue, true, changed, fTMaxValue, fTMinValue);
    fTRangeChanged = changed;
    if (changed && (d.mode == vm_scan_T_by_time || d.mode == vm_scan_dT_by_temp)) fNeedByTRedraw = true;
    return result;
}

int32_t TCommonScanThread::ExpandDtValue(int32_t aValue, float aTc) {
    TDataClass& d = *fDataClass;
    const int32_t lo = std::min(fConfig.dTMinADCValue, fConfig.dTMaxADCValue);
    const int32_t hi = std::max(fConfig.dTMinADCValue, fConfig.dTMaxADCValue);
    const int32_t value = std::clamp(aValue, lo, hi);
    if (fDtRangeChanged) {
        fDtMinValue = d.fDiffTempMinValue;
        fDtMaxValue = d.fDiffTempMaxValue;
        if (d.diffTempScale == dtsDegrees) {
            fDtMinValue = DiffTempRealValue(d.fDiffTempMinValue, aTc);
            fDtMaxValue = DiffTempRealValue(d.fDiffTempMaxValue, aTc);
        }
    }
    bool changed = false;
    const int32_t result = d.ExpandDtRange(value, true, changed, fDtMaxValue, fDtMinValue, aTc);
    fDtRangeChanged = changed;
    if (changed && (d.mode == vm_scan_dT_by_time || d.mode == vm_scan_dT_by_temp)) fNeedByDTRedraw = true;
    return result;
}

void TCommonScanThread::EnsureItem(size_t aIndex, size_t aGrowBy) {
    const size_t count = static_cast<size_t>(fDataClass->GetItemCount());
    if (aIndex < count) return;
    // At least what is asked, and by half again on long records, so growth stays rare.
    const size_t grown = std::max(aIndex + 1 + aGrowBy, count + std::max(aGrowBy, count / 2));
    fDataClass->SetItemsLength(static_cast<int>(std::min<size_t>(grown, INT32_MAX)), false);
}

void TCommonScanThread::StoreClockSample(TDataClass& d, size_t aChannel, int64_t aSkipped, int32_t aT,
                                         const std::function<int32_t(float aTc)>& aDtOf) {
    const bool first = fOldTime < 0;
    if (aSkipped > 1 && !first) {
        fOldDtValue = d.items[fOldTime][aChannel].dt;
        fOldTValue = d.items[fOldTime][aChannel].t;
    }
    TItem& item = d.items[fCurrTime][aChannel];
    item.t = aT;
    item.tc = TempRealValue(item.t);
    item.dt = aDtOf(item.tc);
    item.dtc = DiffTempRealValue(item.dt, item.tc);
    if (aSkipped > 1) {
        // Before the first sample of a run there is nothing older: it stands for them.
        if (first) {
            fOldTValue = item.t;
            fOldDtValue = item.dt;
        }
        FillSkippedItems(d, aChannel, fOldTime, fCurrTime, fOldTValue, fOldDtValue, item.dt,
                         fConfig.timeApproximationType != 0);
    }
}

}  // namespace kalvero
