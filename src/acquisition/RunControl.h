#pragma once
// Run control without a window: what the scan control window does on its buttons and timers —
// the start sequence, pause and continue with a continuous time axis, stop and reset, the state
// line, the live values, the end of the heating program with its post-program action and the
// automatic save. The window (and kalvero-cli) present it; everything here runs on the caller's
// (user-interface) thread except the thread-failure notification, which only raises a flag that
// the next timer tick handles.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/CommonScanThread.h"
#include "acquisition/ScanProgram.h"
#include "common/Config.h"
#include "common/DateTime.h"

namespace kalvero {

class TDataClass;
class TRunRecovery;

// Why a program run does not start without a temperature table.
inline constexpr const char* NO_TEMPERATURE_TABLE_MSG =
    "Программа нагрева задана в °С, а калибровочная таблица температуры не загружена: температура "
    "измеряется в отсчётах АЦП. Укажите таблицу в настройках прибора (CalibrationTable) или "
    "запустите сканирование без программы.";

// What a timer tick did.
enum class TRunEvent : uint8_t {
    reNone,
    reProgramStopped,  // the program finished and the run was stopped (psaStop)
    reProgramSaved,    // ... and the experiment was saved automatically (psaStopAndSave)
    reFailed           // the thread failed; the run was stopped (ThreadErrorText tells why)
};

// The samples the draw timer has to show: items From … To, or everything when FullRedraw.
struct TDrawUpdate {
    bool drawn = false;  // false: nothing to draw (no run, nothing new)
    bool fullRedraw = false;
    uint32_t from = 0, to = 0;
};

class TScanRunControl {
public:
    // Creates the acquisition thread for the configured interface and the program (one step:
    // heat to 30 °C, data kept); in program mode the configured program file is loaded when it
    // exists (a failure there is only logged). A thread that cannot be created leaves the control
    // without one: ThreadError() says why and no run can start.
    explicit TScanRunControl(TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock = nullptr);
    ~TScanRunControl();
    TScanRunControl(const TScanRunControl&) = delete;
    TScanRunControl& operator=(const TScanRunControl&) = delete;

    TCommonScanThread* Thread() const { return fScanThread.get(); }
    // "Ошибка инициализации интерфейса прибора: " + the reason; empty when there is a thread.
    const std::string& ThreadError() const { return fThreadError; }
    TScanProgram& Program() { return *fScanProgram; }
    TRunClock& Clock() const { return *fClock; }

    void Init(TDataClass* aDataClass);
    bool SameDataClass(const TDataClass* aDataClass) const;
    TDataClass* DataClass() const { return fDataClass; }

    // The operator's choices; control type, heating rate and post-program action are written
    // to the configuration (aRemember false: for this run control only).
    void SetHeatSpeed(float aSpeed);
    float HeatSpeed() const { return fHeatSpeed; }
    void SetDeviceControlType(TDeviceControlType aType);
    TDeviceControlType DeviceControlType() const { return fControlType; }
    void SetPostScanAction(TPostScanAction aAction, bool aRemember = true);
    TPostScanAction PostScanAction() const { return fPostScanAction; }
    // "Сканировать в новый канал ".
    void SetScanToNewChannel(bool aValue) { fScanToNewChannel = aValue; }
    bool ScanToNewChannel() const { return fScanToNewChannel; }
    // The zero-line correction: dTSignalOffset, in force for the next samples.
    void SetDtSignalOffset(int32_t aOffset);
    // Loads a program file and remembers it as deviceControlProgram.
    void LoadProgram(const std::string& aFileName);

    // The one button: start when stopped, pause when running, continue when paused. Failures
    // raise (the caller shows them): NO_TEMPERATURE_TABLE_MSG, "Прибор не подключен!", a
    // hardware set-up failure, the program's own messages; a start that fails leaves the run
    // stopped.
    void StartPauseContinue();
    // Stop also keeps only the items the run recorded (unless it added channels to an experiment
    // that held data) and closes the run's recovery file, which waits for the experiment's save.
    void Stop();
    // Gives up what the run recorded: the experiment is cleared and its recovery file removed.
    void Reset();
    // The recovery file of the current run (empty when none could be made).
    std::string RecoveryFileName() const;

    // "Ожидание", "Пауза", "Сканирование, частота 12.5 Гц" or "Ошибка - " + the thread's error.
    std::string StateLine() const;
    bool StateIsError() const;
    // One line per scanned channel with the newest values, as the plot shows them while running.
    std::vector<std::string> LiveValueLines() const;
    // Samples recorded in the run (the published time counter + 1; 0 before the first).
    uint32_t RecordedItems() const;
    double RecordedSeconds() const;

    // The 100 ms draw timer: which samples are new since the last tick; moves fOldTimeCounter.
    TDrawUpdate OnDrawTimer();
    // The 1 s interface timer: a failed thread is stopped; a finished program gets its post-program
    // action (once).
    TRunEvent OnInterfaceTimer();
    // The thread's error text of the last failure handled.
    const std::string& ThreadErrorText() const { return fThreadErrorText; }
    const std::string& LastAutoSaveFile() const { return fLastAutoSaveFile; }

    // sample.dsc at 14:05:09 → sample_14_05_09.dsc; a nameless experiment goes to aDefaultFolder
    // as "scan_14_05_09." + aDefaultExt.
    static std::string AutoSaveFileName(const std::string& aFileName, TDateTime aTime,
                                        const std::string& aDefaultFolder = "",
                                        const std::string& aDefaultExt = "dsc");

private:
    void StartRun();
    // Takes the newly recorded samples into the recovery file (read lock held by the caller) and
    // writes them out, durably when aDurable or when enough run time passed since the last flush.
    void TakeRecovery(uint32_t aItems);
    void WriteRecovery(bool aDurable);
    void PauseRun();
    void ContinueRun();
    void SelectChannels();
    bool HandleFailure();
    void AutoSave();

    TAppConfig& fConfig;
    std::shared_ptr<TRunClock> fClock;
    std::unique_ptr<TScanProgram> fScanProgram;
    std::unique_ptr<TCommonScanThread> fScanThread;
    std::string fThreadError;
    TDataClass* fDataClass = nullptr;

    float fHeatSpeed;
    TDeviceControlType fControlType;
    TPostScanAction fPostScanAction;
    bool fScanToNewChannel = false;
    int64_t fBegPauseTime = 0, fEndPauseTime = 0;
    bool fDrawActive = false;
    std::atomic<bool> fFailurePending{false};
    std::string fThreadErrorText;
    std::string fLastAutoSaveFile;
    // What the run records goes to a recovery file too, so that a crash does not lose it.
    std::unique_ptr<TRunRecovery> fRecovery;
    double fLastRecoveryFlush = 0;
};

}  // namespace kalvero
