#include "acquisition/RunControl.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "acquisition/ScanThreadFactory.h"
#include "common/Globals.h"
#include "common/IniFile.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "common/Procs.h"
#include "common/UiHooks.h"
#include "data/Calibrate.h"
#include "data/DataClass.h"
#include "data/RunRecovery.h"
#include "processing/MathUtils.h"

namespace kalvero {
namespace {

constexpr const char* kClassName = "TfrmScanControlForm";

TCurveMode ScanningMode(TCurveMode aMode) {
    switch (aMode) {
        case vm_view_dT_by_time:
        case vm_view_dt_and_temp_by_time:
            return vm_scan_dT_by_time;
        case vm_view_dT_by_temp:
            return vm_scan_dT_by_temp;
        case vm_view_T_by_time:
            return vm_scan_T_by_time;
        default:
            return aMode;
    }
}

TCurveMode ViewingMode(TCurveMode aMode) {
    switch (aMode) {
        case vm_scan_dT_by_time:
            return vm_view_dT_by_time;
        case vm_scan_dT_by_temp:
            return vm_view_dT_by_temp;
        case vm_scan_T_by_time:
            return vm_view_T_by_time;
        default:
            return aMode;
    }
}

double RecordedSecondsOf(uint32_t aItems, float aFrequency) {
    return aFrequency > 0 ? aItems / static_cast<double>(aFrequency) : 0;
}

}  // namespace

TScanRunControl::TScanRunControl(TAppConfig& aConfig, std::shared_ptr<TRunClock> aClock)
    : fConfig(aConfig),
      fClock(aClock ? std::move(aClock) : MakeRunClock(aConfig.DevicesFileName())),
      fHeatSpeed(aConfig.heatSpeed),
      fControlType(aConfig.useDeviceControl ? aConfig.deviceControlType : dctNone),
      fPostScanAction(aConfig.postScanAction) {
    fScanProgram = std::make_unique<TScanProgram>(aConfig.heatingDeflection, fClock->AsTickClock());
    fScanProgram->AddStep(spstHeating, 30, true);
    try {
        fScanThread = CreateScanThread(aConfig, fClock);
        fScanThread->OnException = [this](TCommonScanThread&) { fFailurePending = true; };
        fScanThread->SetScanProgram(fScanProgram.get());
        fScanThread->SetDeviceControlType(fControlType);
    } catch (const std::exception& e) {
        fScanThread.reset();
        fThreadError = std::string("Ошибка инициализации интерфейса прибора: ") + e.what();
        if (gLogger) gLogger->Error(kClassName, fThreadError);
    }
    if (fControlType == dctProgram && !aConfig.deviceControlProgram.empty()) {
        std::error_code ec;
        if (std::filesystem::exists(aConfig.deviceControlProgram, ec)) {
            try {
                fScanProgram->LoadFromFile(aConfig.deviceControlProgram);
            } catch (const std::exception& e) {
                if (gLogger) gLogger->Error(kClassName, e.what());
            }
        }
    }
}

TScanRunControl::~TScanRunControl() {
    // The thread stops (heater off) and ends before the program it drives goes.
    fScanThread.reset();
    fRecovery.reset();
}

void TScanRunControl::Init(TDataClass* aDataClass) {
    fDataClass = aDataClass;
}

bool TScanRunControl::SameDataClass(const TDataClass* aDataClass) const {
    return fDataClass != nullptr && fDataClass->SameInstance(aDataClass);
}

void TScanRunControl::SetHeatSpeed(float aSpeed) {
    fHeatSpeed = aSpeed;
    fConfig.heatSpeed = aSpeed;
}

void TScanRunControl::SetDeviceControlType(TDeviceControlType aType) {
    fControlType = aType;
    fConfig.deviceControlType = aType;
}

void TScanRunControl::SetPostScanAction(TPostScanAction aAction, bool aRemember) {
    fPostScanAction = aAction;
    if (aRemember) fConfig.postScanAction = aAction;
}

void TScanRunControl::SetDtSignalOffset(int32_t aOffset) {
    fConfig.dTSignalOffset = aOffset;
    if (fScanThread) fScanThread->SetDtSignalOffset(aOffset);
}

void TScanRunControl::LoadProgram(const std::string& aFileName) {
    fScanProgram->LoadFromFile(aFileName);
    fScanProgram->SetFileName(aFileName);
    fConfig.deviceControlProgram = aFileName;
}

void TScanRunControl::StartPauseContinue() {
    if (!fScanThread) throw std::runtime_error(fThreadError);
    switch (fScanThread->GetRunState()) {
        case rsStopped:
            StartRun();
            break;
        case rsPaused:
            ContinueRun();
            break;
        case rsRunning:
            PauseRun();
            break;
    }
}

void TScanRunControl::StartRun() {
    if (!fDataClass) throw std::runtime_error("Нет эксперимента для сканирования");
    TCommonScanThread& thread = *fScanThread;
    TDataClass& d = *fDataClass;
    // The steps' targets are degrees: compared with counts, a heating step would count as reached
    // at once. Refused before anything of the experiment changes.
    if (fControlType == dctProgram && thread.RunsProgram() && !TemperatureTableInForce())
        throw std::runtime_error(NO_TEMPERATURE_TABLE_MSG);
    // A failure noticed earlier belongs to the previous run.
    fFailurePending = false;
    if (!thread.IsDevicePresent()) throw std::runtime_error("Прибор не подключен!");
    thread.InitHardware();
    // A module that could not be set up is reported now, not at its first read.
    if (thread.IsFatalError()) throw std::runtime_error(thread.GetErrorMessage());

    d.CreateChannels();
    thread.SetDataClass(&d);
    d.fHeatSpeed = fHeatSpeed;
    d.fHasUnsavedChanges = true;
    thread.SetDeviceControlType(fControlType);
    fScanProgram->SetHeatingSpeed(d.fHeatSpeed);
    thread.SetDtSignalOffset(fConfig.dTSignalOffset);
    const bool addsChannels = fScanToNewChannel && d.fWasFirstScan;
    SelectChannels();
    fRecovery.reset();
    fLastRecoveryFlush = 0;
    try {
        fRecovery = std::make_unique<TRunRecovery>(fConfig.fProgramDataPath, d, addsChannels);
    } catch (const std::exception& e) {
        // The run is worth more than its safety copy: it goes on without one.
        if (gLogger) gLogger->Error(kClassName, e.what());
    }

    d.fTimeCounter = 0;
    d.fOldTimeCounter = 0;
    d.mode = ScanningMode(d.mode);
    d.ResetMargins(false);
    try {
        thread.Start();
    } catch (...) {
        // Refused (an invalid program): nothing was recorded, nothing is kept.
        if (fRecovery) fRecovery->Finish();
        fRecovery.reset();
        DiscardRecovery(&d);
        throw;
    }
    d.fWasFirstScan = true;
    d.fHasUnsavedChanges = true;
    fDrawActive = true;
}

void TScanRunControl::SelectChannels() {
    TDataClass& d = *fDataClass;
    TCommonScanThread& thread = *fScanThread;
    const int32_t n = fConfig.numberOfDataChannels;
    if (fScanToNewChannel && d.fWasFirstScan) {
        // New channels share the experiment's time axis, so the rate must be the same.
        if (std::fabs(d.frequency - fConfig.frequency) > 1e-6f * std::max(1.0f, fConfig.frequency)) {
            throw std::runtime_error("Частота опроса прибора (" + FloatToStr(fConfig.frequency) +
                                     " Гц) не совпадает с частотой эксперимента (" + FloatToStr(d.frequency) +
                                     " Гц)");
        }
        while (d.GetChannelCount() < d.fLastScanChannelNo + n + 1) {
            const int index =
                d.CreateCannel("Канал № " + std::to_string(d.GetChannelCount() + 1), CHANNEL_TYPE_PERMANENT) -
                1;
            d.ClearChannel(index);
        }
        d.fLastScanChannelNo = static_cast<uint8_t>(d.GetChannelCount() - 1);
        d.fFirstScanChannelNo = static_cast<uint8_t>(d.fLastScanChannelNo - n + 1);
        thread.SetStartChannelNo(d.fFirstScanChannelNo);
        return;
    }
    thread.SetStartChannelNo(0);
    d.fFirstScanChannelNo = 0;
    d.fLastScanChannelNo = static_cast<uint8_t>(std::max(0, n - 1));
    if (!fScanToNewChannel) {
        for (TChannelDescriptor& c : d.descriptors)
            c.fScanEndPoint = 0;
        d.ClearObjects();
        // A fresh recording runs at the instrument's rate, whatever the experiment held before.
        d.frequency = fConfig.frequency;
        d.fPeriod = 1000.0L / d.frequency;
        d.SetItemsLength(static_cast<int>(Round(static_cast<double>(fConfig.endTime) * d.frequency)), true);
    }
}

void TScanRunControl::PauseRun() {
    TCommonScanThread& thread = *fScanThread;
    fBegPauseTime = thread.PeriodsNow() - thread.GetStartTime();
    thread.Pause();
    fDrawActive = false;
    if (thread.WaitUntilIdle(1000)) {
        auto lock = thread.LockItemsForReading();
        TakeRecovery(RecordedItems());
    }
    WriteRecovery(true);
}

void TScanRunControl::TakeRecovery(uint32_t aItems) {
    if (fRecovery && fDataClass) fRecovery->Take(*fDataClass, aItems);
}

void TScanRunControl::WriteRecovery(bool aDurable) {
    if (!fRecovery) return;
    const double now = RecordedSeconds();
    const bool due = now - fLastRecoveryFlush >= RECOVERY_FLUSH_SECONDS;
    fRecovery->Write(aDurable || due);
    if (aDurable || due) fLastRecoveryFlush = now;
}

std::string TScanRunControl::RecoveryFileName() const {
    return fRecovery ? fRecovery->FileName() : std::string();
}

void TScanRunControl::ContinueRun() {
    TCommonScanThread& thread = *fScanThread;
    fEndPauseTime = thread.PeriodsNow() - thread.GetStartTime();
    // The time axis goes on where it stopped.
    thread.SetStartTime(thread.GetStartTime() + fEndPauseTime - fBegPauseTime);
    thread.Resume();
    fDrawActive = true;
}

void TScanRunControl::Stop() {
    if (!fScanThread) return;
    TCommonScanThread& thread = *fScanThread;
    thread.Stop();
    if (!thread.WaitUntilIdle() && gLogger)
        gLogger->Error(kClassName, "the acquisition thread did not stop in time");
    fDrawActive = false;
    if (!fDataClass) return;
    thread.DropLiveSample();
    TDataClass& d = *fDataClass;
    auto lock = thread.LockItemsForReading();
    const uint32_t last = thread.PublishedTimeCounter();
    for (int ch = d.fFirstScanChannelNo;
         ch <= d.fLastScanChannelNo && ch < static_cast<int>(d.descriptors.size()); ++ch) {
        d.descriptors[ch].fScanEndPoint = static_cast<int32_t>(last);
    }
    d.mode = ViewingMode(d.mode);
    const uint32_t recorded = RecordedItems();
    TakeRecovery(recorded);
    lock.unlock();
    if (fRecovery) fRecovery->Finish();
    fRecovery.reset();
    // The experiment holds what was recorded, not the empty rest of the work area (channels
    // added to a longer record keep its length).
    if (!fScanToNewChannel && recorded > 0 && recorded < static_cast<uint32_t>(d.GetItemCount()))
        d.SetItemsLength(static_cast<int>(recorded), false);
    // A temperature read with extra resolution comes in steps; they are smoothed once, at the end.
    if (fConfig.tADCMultiplier > 1) OversampleT(d);
}

void TScanRunControl::Reset() {
    if (fScanThread && fScanThread->IsStarted()) Stop();
    DiscardRecovery(fDataClass);
    if (fDataClass) {
        fDataClass->ClearAll();
        fDataClass->ResetMargins(false);
    }
    fScanToNewChannel = false;
}

bool TScanRunControl::StateIsError() const {
    return !fScanThread || fScanThread->IsFatalError() || fScanThread->GetErrorCode() != 0;
}

std::string TScanRunControl::StateLine() const {
    if (!fScanThread) return "Ошибка - " + fThreadError;
    const TCommonScanThread& thread = *fScanThread;
    if (StateIsError()) return "Ошибка - " + thread.GetErrorMessage();
    switch (thread.GetRunState()) {
        case rsPaused:
            return "Пауза";
        case rsRunning:
            return "Сканирование, частота " + FloatToStr(fConfig.frequency) + " Гц";
        default:
            return "Ожидание";
    }
}

uint32_t TScanRunControl::RecordedItems() const {
    if (!fScanThread || !fDataClass || !fDataClass->fWasFirstScan) return 0;
    const uint32_t last = fScanThread->PublishedTimeCounter();
    if (last == 0 && fScanThread->GetCurrTime() == 0) return 0;
    // The reading a step that keeps no data shows live is not recorded (nor kept for a crash).
    return fScanThread->HoldsLiveSample() ? last : last + 1;
}

double TScanRunControl::RecordedSeconds() const {
    return fDataClass ? RecordedSecondsOf(RecordedItems(), fDataClass->frequency) : 0;
}

std::vector<std::string> TScanRunControl::LiveValueLines() const {
    std::vector<std::string> lines;
    if (!fScanThread || !fDataClass || !fScanThread->IsRunning()) return lines;
    const TDataClass& d = *fDataClass;
    auto lock = fScanThread->LockItemsForReading();
    const uint32_t index = fScanThread->PublishedTimeCounter();
    if (index >= static_cast<uint32_t>(d.GetItemCount())) return lines;
    const int first = d.fFirstScanChannelNo, last = d.fLastScanChannelNo;
    const bool numbered = last > first;
    const std::string prefix =
        fConfig.interfaceType == itEmul ? "РЕЖИМ ЭМУЛЯЦИИ СИГНАЛА " : std::string(7, ' ');
    for (int ch = first; ch <= last && ch < d.GetChannelCount(); ++ch) {
        const TItem& item = d.items[index][ch];
        const std::string number = numbered ? " " + std::to_string(ch + 1) : "";
        std::string line = prefix + " ";
        if (fConfig.showTempChannel) {
            const std::string t = d.tempScale == tsDegrees ? FormatFixed(item.tc, fConfig.tempScaleAccuracy)
                                                           : std::to_string(item.t);
            line += fConfig.tempChannelName + number + ": " + t + ", ";
        }
        const std::string dt = d.diffTempScale == dtsDegrees
                                   ? FormatFixed(item.dtc, fConfig.diffTempScaleAccuracy)
                                   : std::to_string(item.dt);
        line += fConfig.diffChannelName + number + ": " + dt + std::string(6, ' ');
        lines.push_back(line);
    }
    return lines;
}

TDrawUpdate TScanRunControl::OnDrawTimer() {
    TDrawUpdate update;
    if (!fScanThread || !fDataClass || !fDrawActive) return update;
    TCommonScanThread& thread = *fScanThread;
    auto lock = thread.LockItemsForReading();
    const uint32_t now = thread.PublishedTimeCounter();
    update.fullRedraw = thread.NeedByTRedraw() || thread.NeedByDTRedraw();
    if (update.fullRedraw) thread.ClearRedrawFlags();
    update.from = update.fullRedraw ? 0 : fDataClass->fOldTimeCounter;
    update.to = now;
    update.drawn = update.fullRedraw || now != fDataClass->fOldTimeCounter;
    fDataClass->fOldTimeCounter = now;
    TakeRecovery(now == 0 && thread.GetCurrTime() == 0 ? 0 : now + 1);
    lock.unlock();
    WriteRecovery(false);
    return update;
}

bool TScanRunControl::HandleFailure() {
    if (!fFailurePending.exchange(false) || !fScanThread) return false;
    TCommonScanThread& thread = *fScanThread;
    Stop();
    fThreadErrorText = thread.GetErrorMessage();
    if (gLogger) gLogger->Error(thread.ClassName(), fThreadErrorText);
    return true;
}

TRunEvent TScanRunControl::OnInterfaceTimer() {
    if (HandleFailure()) return TRunEvent::reFailed;
    if (!fScanThread || !fDataClass || !fConfig.useDeviceControl) return TRunEvent::reNone;
    if (!fScanProgram->IsFinished()) return TRunEvent::reNone;
    switch (fPostScanAction) {
        case psaStop:
            Stop();
            return TRunEvent::reProgramStopped;
        case psaStopAndSave:
            Stop();
            AutoSave();
            return TRunEvent::reProgramSaved;
        default:
            return TRunEvent::reNone;
    }
}

std::string TScanRunControl::AutoSaveFileName(const std::string& aFileName, TDateTime aTime,
                                              const std::string& aDefaultFolder,
                                              const std::string& aDefaultExt) {
    namespace fs = std::filesystem;
    std::string time = FormatDateTime("hh:nn:ss", aTime);
    std::replace(time.begin(), time.end(), ':', '_');
    if (aFileName.empty()) return (fs::path(aDefaultFolder) / ("scan_" + time + "." + aDefaultExt)).string();
    const fs::path name(aFileName);
    fs::path result = name.parent_path() / (name.stem().string() + "_" + time + name.extension().string());
    return result.string();
}

void TScanRunControl::AutoSave() {
    TDataClass& d = *fDataClass;
    const std::string name =
        AutoSaveFileName(d.fFileName, Now(), fConfig.appUserDataPath, fConfig.workFileExt);
    std::error_code ec;
    if (std::filesystem::exists(name, ec) &&
        !UiHooks().MsgBoxYN(
            "При автоматическом сохранении файла обнаружено, что сохраняемый файл уже существует. "
            "Перезаписать его?")) {
        return;
    }
    d.SaveToFile(name, false);
    d.fFileName = name;
    fLastAutoSaveFile = name;
    UiHooks().MsgBox("Результат сканирования сохранён автоматически в файле " +
                     std::filesystem::path(name).filename().string());
}

}  // namespace kalvero
