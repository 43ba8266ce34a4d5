#pragma once
// The base of the acquisition threads (emulator, parallel port, USB module). It holds what every
// back-end shares: the experiment being recorded and the heating program (neither owned), the
// digital port command queue, the run and error state, the time base of the run and the range
// steps that every new sample passes through. Back-ends supply the thread body and the hardware.
//
// Threads: the user-interface thread calls the control and port operations; the body runs on an
// operating-system thread of its own, started by the first Start. Flags shared between the two
// are atomics. The body writes samples into the experiment's item array under the write lock of
// LockItemsForWriting and grows the array under it; readers on other threads (the draw timer,
// progress displays) take LockItemsForReading and read up to the published fTimeCounter, so the
// array never moves under a reader.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

#include "acquisition/PortIOCommand.h"
#include "acquisition/RunClock.h"
#include "common/Config.h"

namespace kalvero {

class TDataClass;
class TScanProgram;

enum TRunState : uint8_t { rsStopped = 0, rsPaused = 1, rsRunning = 2 };

// Commands of a programmable port controller; declared for the port debug window, no back-end
// executes them.
enum TArduinoCommand : uint8_t {
    COMMAND_NO_COMMAND = 0,
    COMMAND_SET_CURRENT_PIN,
    COMMAND_SET_PIN_MODE_OUTPUT,
    COMMAND_SET_PIN_MODE_INPUT,
    COMMAND_SET_PIN,
    COMMAND_CLEAR_PIN,
    COMMAND_IMPULSE_PIN_POSITIVE,
    COMMAND_IMPULSE_PIN_NEGATIVE,
    COMMAND_IMPULSE_PIN_POSITIVE_CYCLE,
    COMMAND_IMPULSE_PIN_NEGATIVE_CYCLE,
    COMMAND_SET_CYCLE_PERIOD_MICROS,
    COMMAND_SET_CYCLE_DURATION_MILLIS,
    COMMAND_DEFINE_BUS_LOW_PIN,
    COMMAND_DEFINE_BUS_HIGH_PIN,
    COMMAND_DEFINE_BUS_START_VALUE,
    COMMAND_DEFINE_BUS_STOP_VALUE,
    COMMAND_BUS_OUT,
    COMMAND_BUS_OUT_CYCLE,
    COMMAND_SET_CURRENT_BUS,
    COMMAND_SET_BUS_NORMAL_MODE,
    COMMAND_SET_BUS_INVERTED_MODE,
    COMMAND_WAIT_MICROS,
    COMMAND_WAIT_MILLIS,
    COMMAND_DEFINE_BIPOLAR_BUS,
    COMMAND_BIPOLAR_BUS_OUT,
    COMMAND_BIPOLAR_BUS_OUT_CYCLE,
    COMMAND_SET_MODE_RUN_IMMEDIATE,
    COMMAND_SET_MODE_RUN_FROMBUFFER,
    COMMAND_RUN_FROMBUFFER = 28
};

enum TThreadPriority : uint8_t { tpLowest, tpLower, tpNormal, tpHigher, tpHighest };
// scanThreadPriority: 1 lowest, 2 lower, 4 higher, 5 highest, anything else normal.
TThreadPriority ThreadPriorityFromConfig(int32_t aValue);

// Port commands the run sends to switch the heater off and release the lines.
inline constexpr TPortIOCommand HEATER_OFF_COMMAND{pcmdWrite, 2, 100};
inline constexpr TPortIOCommand PORT_CLEAR_COMMAND{pcmdWrite, 0, 0};

// The error code of a failed thread body.
inline constexpr int32_t SCAN_ERROR_BODY = 4;

class TCommonScanThread {
public:
    using TNotifyEvent = std::function<void(TCommonScanThread& aSender)>;

    // Created idle ("suspended"); the operating-system thread starts with the first Start. The
    // configuration is read here and at every Start; aClock null: a real-time clock.
    TCommonScanThread(const TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock);
    virtual ~TCommonScanThread();
    TCommonScanThread(const TCommonScanThread&) = delete;
    TCommonScanThread& operator=(const TCommonScanThread&) = delete;

    virtual const char* ClassName() const { return "TCommonScanThread"; }

    // Base: clears the error state of an earlier run (a new attempt begins here).
    virtual void InitHardware();
    virtual bool IsDevicePresent() { return true; }
    // Whether the back-end runs the heating program (drives the heater by the temperature it
    // measures); the clock-driven ones only record.
    virtual bool RunsProgram() const { return false; }
    // Start: program Start first (it may refuse the program), then the time base and the
    // experiment's counters are reset and the body records. A body that ended after a failure is
    // started anew.
    virtual void Start();
    // The heater goes off during a pause; the heating program switches it on again on resume.
    virtual void Pause();
    virtual void Resume();
    virtual void Stop();
    virtual void Reset();
    virtual int32_t GetTValue(int32_t /*ch*/) { return 0; }
    virtual int32_t GetDtValue(int32_t /*ch*/) { return 0; }

    uint8_t DigitalPortLastRead() const { return fINPortData; }
    void DigitalPortRequestRead();
    void DigitalPortOut(uint8_t aValue);
    void DigitalPortOut(uint8_t aDataByte, uint16_t aDuration);
    virtual bool DigitalPortCommandOut(TArduinoCommand aCommand, int32_t aOperand);

    void SetDataClass(TDataClass* aDataClass) { fDataClass = aDataClass; }
    TDataClass* GetDataClass() const { return fDataClass; }
    // Hands the command queue to the program.
    void SetScanProgram(TScanProgram* aScanProgram);
    TScanProgram* GetScanProgram() const { return fScanProgram; }
    void SetDeviceControlType(TDeviceControlType aDeviceControlType);
    TDeviceControlType GetDeviceControlType() const { return fDeviceControlType; }
    // "Недостаточно каналов данных для сканирования" unless aStartChannelNo + the data channels
    // lies in 1…256 and within the experiment's channels.
    void SetStartChannelNo(uint8_t aStartChannelNo);
    uint8_t GetStartChannelNo() const { return fStartScanChannelNo; }
    // The zero-line correction in force for new dT samples (the operator moves it during a run).
    void SetDtSignalOffset(int32_t aOffset) { fDtSignalOffset = aOffset; }

    bool IsStarted() const { return fRunState != rsStopped; }
    bool IsRunning() const { return fRunState == rsRunning; }
    bool IsPaused() const { return fRunState == rsPaused; }
    bool IsStopped() const { return fRunState == rsStopped; }
    TRunState GetRunState() const { return fRunState; }
    bool IsFatalError() const { return fFatalErrorFlag; }
    int32_t GetErrorCode() const { return fErrorCode; }
    // "Норма", the failure's text, "Нет связи", " Ошибка выполнения" or "Неизвестная ошибка".
    std::string GetErrorMessage() const;

    TInterfaceType GetDeviceType() const { return fDeviceType; }
    TThreadPriority GetPriority() const { return fPriority; }
    bool WasStarted() const { return fWasStartedFlag; }
    // The body is running on its thread (false before the first Start and after it ended).
    bool IsBodyAlive() const { return fWasStartedFlag && !fBodyEnded; }

    // Called on the acquisition thread when the body fails.
    TNotifyEvent OnException;

    // The time base: the run start in sample periods of the run clock, shifted by the run control
    // over a pause so that the time axis continues without a gap.
    int64_t GetStartTime() const { return fStartTime; }
    void SetStartTime(int64_t aStartTime) { fStartTime = aStartTime; }
    uint32_t GetCurrTime() const { return fCurrTime; }
    TRunClock& Clock() const { return *fClock; }
    const std::shared_ptr<TRunClock>& ClockPtr() const { return fClock; }
    // Run-clock milliseconds / the experiment's sample period, rounded.
    int64_t PeriodsNow() const;

    // Readers of the experiment on other threads hold this while they read the samples.
    std::shared_lock<std::shared_mutex> LockItemsForReading() const {
        return std::shared_lock<std::shared_mutex>(fItemsLock);
    }
    // The experiment's fTimeCounter as last published (index of the last complete sample).
    uint32_t PublishedTimeCounter() const;
    // After a stop. A run that ends in a step that does not record holds, at the published index,
    // the latest reading of that step (what the live display shows): it is not part of the record
    // and the published index steps back to the last recorded sample.
    void DropLiveSample();
    bool HoldsLiveSample() const { return fLiveSample; }
    bool NeedByTRedraw() const { return fNeedByTRedraw; }
    bool NeedByDTRedraw() const { return fNeedByDTRedraw; }
    void ClearRedrawFlags() {
        fNeedByTRedraw = false;
        fNeedByDTRedraw = false;
    }
    // Waits (real time, at most aTimeoutMs) until the body has noticed a stop or pause and writes
    // no more samples; true when it has (or is not running at all).
    bool WaitUntilIdle(uint32_t aTimeoutMs = 5000) const;
    // Commands waiting for the body.
    size_t QueuedCommands() const { return fCommandBuffer.Count(); }
    std::vector<TPortIOCommand> QueuedCommandList() const { return fCommandBuffer.Snapshot(); }

protected:
    // The thread body; returns when Terminated() or after a failure that ends it.
    virtual void Execute() = 0;
    // Requests the end of the body and waits for it; the destructors of the final classes call it
    // before their own members go.
    void TerminateAndWait();
    bool Terminated() const { return fTerminated; }
    // The body tells whether it is idle (suspended) or working.
    void MarkIdle(bool aIdle) { fBodyIdle = aIdle; }
    bool Suspended() const { return fSuspendedFlag; }

    // Range steps of every new sample (caller holds the write lock).
    int32_t ExpandTValue(int32_t aValue);
    int32_t ExpandDtValue(int32_t aValue, float aTc);
    // Makes item aIndex exist, growing the array by at least aGrowBy items (write lock held).
    void EnsureItem(size_t aIndex, size_t aGrowBy);
    // aLiveSample: the item at aTimeCounter is overwritten by every sample of a step that does
    // not record.
    void PublishTimeCounter(uint32_t aTimeCounter, bool aLiveSample = false);
    // The clock-driven back-ends: stores sample aT (and the dT that aDtOf gives for its
    // temperature) of channel aChannel at fCurrTime, and fills the items the clock skipped since
    // the previous turn (aSkipped = fCurrTime − fOldTime). Write lock held.
    void StoreClockSample(TDataClass& d, size_t aChannel, int64_t aSkipped, int32_t aT,
                          const std::function<int32_t(float aTc)>& aDtOf);
    std::unique_lock<std::shared_mutex> LockItemsForWriting() {
        return std::unique_lock<std::shared_mutex>(fItemsLock);
    }

    // A failed body: error code 4 with "Thread execute - " + aMessage, the run stopped, the heater
    // switched off (SwitchHeaterOffNow), then OnException. aEndsBody: the failure is fatal and the
    // body ends after this.
    void ReportBodyFailure(const std::string& aMessage, bool aEndsBody);
    // Back-ends that drive the port send the queued heater-off commands at once; base: nothing.
    virtual void SwitchHeaterOffNow() {}
    void SetFatalError(const std::string& aMessage);
    // Bit 0: no connection, bit 1: execution error (GetErrorMessage).
    void SetErrorCode(int32_t aCode) { fErrorCode = aCode; }
    void ClearErrors();
    void QueueHeaterOff();

    const TAppConfig& fConfig;
    TInterfaceType fDeviceType = itEmul;
    TDataClass* fDataClass = nullptr;
    TScanProgram* fScanProgram = nullptr;
    TPortIOCommandQueue fCommandBuffer;
    std::atomic<uint8_t> fINPortData{0};
    std::atomic<TDeviceControlType> fDeviceControlType{dctNone};
    std::atomic<uint8_t> fStartScanChannelNo{0};
    std::atomic<bool> fSaveDataFlag{true};
    std::atomic<int32_t> fDtSignalOffset{0};

    // Body state; written by the user-interface thread only while the body is idle.
    std::atomic<uint32_t> fCurrTime{0};
    int32_t fOldTime = 0;
    int32_t fOldDtValue = 0, fOldTValue = 0;
    bool fDtRangeChanged = true, fTRangeChanged = true;
    double fDtMinValue = 0, fDtMaxValue = 0, fTMinValue = 0, fTMaxValue = 0;

private:
    void Launch();
    void Body();

    std::shared_ptr<TRunClock> fClock;
    TThreadPriority fPriority = tpNormal;
    std::atomic<TRunState> fRunState{rsStopped};
    std::atomic<bool> fSuspendedFlag{true};
    std::atomic<bool> fWasStartedFlag{false};
    std::atomic<bool> fFatalErrorFlag{false};
    std::atomic<bool> fBodyFailed{false};
    std::atomic<int32_t> fErrorCode{0};
    mutable std::mutex fErrorLock;
    std::string fErrorMessage;
    std::atomic<bool> fNeedByTRedraw{false}, fNeedByDTRedraw{false};
    std::atomic<int64_t> fStartTime{0};

    mutable std::shared_mutex fItemsLock;
    std::thread fThread;
    std::atomic<bool> fTerminated{false};
    std::atomic<bool> fBodyEnded{false};
    std::atomic<bool> fBodyIdle{true};
    std::atomic<bool> fLiveSample{false};
};

}  // namespace kalvero
