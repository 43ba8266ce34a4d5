#include "acquisition/ScanProgram.h"

#include "common/Globals.h"
#include "common/MathProcs.h"

namespace kalvero {
namespace {

const char* const kWrongState = "Некорректное состояние программы для выполнения действия";
const char* const kWrongStepNo = "Некорректный номер шага";

// Port lines: bit 0 pulses the heater on, bit 1 pulses it off, bit 2 holds the temperature.
constexpr uint8_t kHeatingOnValue = 1, kHeatingOffValue = 2, kSustainValue = 4, kClearValue = 0;
constexpr uint16_t kPulseMs = 100;
constexpr int64_t kMsPerMinute = 60000;

bool IsTimed(TScanProgramStepType aType) {
    return aType == spstSustain || aType == spstFree;
}

int32_t DefaultParam(TScanProgramStepType aType) {
    switch (aType) {
        case spstHeating:
            return 30;
        case spstSustain:
            return 1;
        case spstFree:
            return 5;
        default:
            return 0;
    }
}

}  // namespace

const char* ScanProgramStepTypeName(TScanProgramStepType aValue) {
    static const char* const names[] = {"spstNone", "spstHeating", "spstSustain", "spstFree"};
    return aValue <= spstFree ? names[aValue] : "unknown";
}

TScanProgram::TScanProgram() : TScanProgram(gConfig ? gConfig->heatingDeflection : std::string(), nullptr) {}

TScanProgram::TScanProgram(const std::string& aHeatingDeflection, TTickClock aClock)
    : fClock(aClock ? std::move(aClock) : TTickClock(GetTickCount64)),
      fHeatDeflection(ParseHeatDeflection(aHeatingDeflection)) {}

void TScanProgram::SetCommandBuffer(TPortIOCommandQueue& aCommandBuffer) {
    std::lock_guard lock(fLock);
    fCommandBuffer = &aCommandBuffer;
}

void TScanProgram::SetDeviceControlType(TDeviceControlType aDeviceControlType) {
    std::lock_guard lock(fLock);
    fDeviceControlType = aDeviceControlType;
}

void TScanProgram::SetHeatingSpeed(float aSpeed) {
    std::lock_guard lock(fLock);
    fHeatSpeed = aSpeed;
}

void TScanProgram::SetPortData(uint8_t aByte) {
    std::lock_guard lock(fLock);
    fDigitalPortByte = aByte;
}

float TScanProgram::GetDeflection(float aHeatSpeed) const {
    return LookupDeflection(fHeatDeflection, aHeatSpeed);
}

void TScanProgram::CheckStopped() const {
    if (fProgramState != spsStopped) throw EScanProgramException(kWrongState);
}

void TScanProgram::CheckStepNo(int32_t aStepNo) const {
    if (aStepNo < 1 || aStepNo > GetItemCount()) throw EScanProgramException(kWrongStepNo);
}

void TScanProgram::CheckStepValues(int32_t aStepNo, int32_t aStepType, int32_t aStepParam) {
    const std::string step = "Шаг № " + std::to_string(aStepNo) + ": ";
    if (aStepType < spstNone || aStepType > spstFree)
        throw EScanProgramException(step + "неизвестный тип шага (" + std::to_string(aStepType) + ")");
    if (IsTimed(static_cast<TScanProgramStepType>(aStepType)) && aStepParam < 0) {
        throw EScanProgramException(step + "длительность шага не может быть отрицательной (" +
                                    std::to_string(aStepParam) + " мин)");
    }
}

void TScanProgram::Clear() {
    std::lock_guard lock(fLock);
    CheckStopped();
    fItems.clear();
    fProgramSaved = true;
}

void TScanProgram::AddStep(TScanProgramStepType aStepType, int32_t aStepParam, bool aKeepData) {
    std::lock_guard lock(fLock);
    CheckStopped();
    RScanProgramStep step;
    step.stepNo = GetItemCount() + 1;
    step.stepType = aStepType;
    step.stepParam = aStepParam;
    step.storeScannedData = aKeepData;
    fItems.push_back(step);
    fProgramSaved = false;
}

void TScanProgram::UpdateStep(int32_t aStepNo, TScanProgramStepType aStepType, int32_t aStepParam,
                              bool aStoreScannedData, bool aResetToDefaults) {
    std::lock_guard lock(fLock);
    CheckStopped();
    CheckStepNo(aStepNo);
    RScanProgramStep& step = fItems[aStepNo - 1];
    step.stepType = aStepType;
    step.stepParam = aResetToDefaults ? DefaultParam(aStepType) : aStepParam;
    step.storeScannedData = aStoreScannedData;
    fProgramSaved = false;
}

void TScanProgram::DeleteStep(int32_t aStepNo) {
    std::lock_guard lock(fLock);
    CheckStopped();
    CheckStepNo(aStepNo);
    fItems.erase(fItems.begin() + (aStepNo - 1));
    for (size_t i = 0; i < fItems.size(); ++i)
        fItems[i].stepNo = static_cast<int32_t>(i) + 1;
    fProgramSaved = false;
}

RScanProgramStep TScanProgram::GetStep(int32_t aStepNo) const {
    std::lock_guard lock(fLock);
    CheckStopped();
    CheckStepNo(aStepNo);
    return fItems[aStepNo - 1];
}

void TScanProgram::Validate() const {
    std::lock_guard lock(fLock);
    if (fItems.empty()) throw EScanProgramException("Программа не содержит шагов");
    for (size_t i = 0; i < fItems.size(); ++i) {
        CheckStepValues(fItems[i].stepNo, fItems[i].stepType, fItems[i].stepParam);
        if (i > 0 && fItems[i].stepType == spstSustain && fItems[i - 1].stepType == spstFree) {
            throw EScanProgramException(
                "Невозможно использовать шаг удержания температуры после свободного хода");
        }
    }
}

bool TScanProgram::HasCurrentStep() const {
    return fCurrenStepNo >= 0 && fCurrenStepNo < GetItemCount();
}

RScanProgramStep TScanProgram::GetCurrentStep() const {
    std::lock_guard lock(fLock);
    if (!IsRunning() || !HasCurrentStep()) throw EScanProgramException("Not running!");
    return fItems[fCurrenStepNo];
}

int32_t TScanProgram::GetItemCount() const {
    std::lock_guard lock(fLock);
    return static_cast<int32_t>(fItems.size());
}

TScanProgramState TScanProgram::GetState() const {
    std::lock_guard lock(fLock);
    return fProgramState;
}

bool TScanProgram::IsProgramSaved() const {
    std::lock_guard lock(fLock);
    return fProgramSaved;
}

bool TScanProgram::IsFinished() const {
    std::lock_guard lock(fLock);
    return fProgramFinishedFlag;
}

bool TScanProgram::IsCurrentStepToSaveData() const {
    std::lock_guard lock(fLock);
    return fCurrentStepToSaveData;
}

bool TScanProgram::IsRunnable() const {
    std::lock_guard lock(fLock);
    switch (fDeviceControlType) {
        case dctProgram:
            return !fItems.empty();
        case dctSimple:
            return true;
        default:
            return false;
    }
}

bool TScanProgram::IsRunning() const {
    std::lock_guard lock(fLock);
    return IsRunnable() && (fProgramState == spsRunning || fProgramState == spsPaused);
}

bool TScanProgram::IsPaused() const {
    std::lock_guard lock(fLock);
    return IsRunnable() && fProgramState == spsPaused;
}

bool TScanProgram::IsHeatingOn() const {
    std::lock_guard lock(fLock);
    return IsHeatingOn(fDigitalPortByte);
}

bool TScanProgram::IsHeatingOn(uint8_t aByte) {
    return (aByte & 1) != 0;
}

void TScanProgram::Queue(uint8_t aValue, uint16_t aDuration) {
    if (fCommandBuffer) fCommandBuffer->Enqueue({pcmdWrite, aValue, aDuration});
}

void TScanProgram::SendHeatingOn() {
    Queue(kHeatingOnValue, kPulseMs);
    fPortDriven = true;
}

void TScanProgram::SendHeatingOff() {
    Queue(kHeatingOffValue, kPulseMs);
    fDigitalPortByte = 0;
}

void TScanProgram::SendSustainLevel() {
    Queue(kSustainValue, 0);
    fPortDriven = true;
}

void TScanProgram::SendPortClear() {
    Queue(kClearValue, 0);
}

void TScanProgram::Start() {
    std::lock_guard lock(fLock);
    switch (fDeviceControlType) {
        case dctSimple:
            SendHeatingOn();
            break;
        case dctProgram:
            Validate();
            SendHeatingOff();
            SendPortClear();
            fPortDriven = false;
            fCurrenStepNo = 0;
            if (IsTimed(fItems[0].stepType)) fItems[0]._stepStartTime = fClock();
            fProgramState = spsRunning;
            fProgramFinishedFlag = false;
            break;
        default:
            break;
    }
}

void TScanProgram::Stop() {
    std::lock_guard lock(fLock);
    // Also when the control type changed during the run: whatever was switched on goes off.
    if (fDeviceControlType == dctSimple || fDeviceControlType == dctProgram || fPortDriven) {
        SendHeatingOff();
        SendPortClear();
        fPortDriven = false;
    }
    fProgramState = spsStopped;
    fProgramFinishedFlag = false;
}

void TScanProgram::Pause() {
    std::lock_guard lock(fLock);
    fProgramState = spsPaused;
}

void TScanProgram::Resume() {
    std::lock_guard lock(fLock);
    if (IsRunnable()) fProgramState = spsRunning;
}

bool TScanProgram::TimeIsUp(const RScanProgramStep& aStep) const {
    const auto now = static_cast<int64_t>(fClock());
    return now > static_cast<int64_t>(aStep._stepStartTime) + aStep.stepParam * kMsPerMinute;
}

void TScanProgram::Loop(int32_t aCurrentTemp, uint8_t aPortDataRead) {
    std::lock_guard lock(fLock);
    if (fProgramState == spsStopped || fProgramState == spsError) return;
    try {
        DoLoop(aCurrentTemp, aPortDataRead);
    } catch (...) {
        fProgramState = spsError;
        try {
            SendHeatingOff();
            SendPortClear();
            fPortDriven = false;
        } catch (...) {
            // The original failure is the one to report.
        }
        throw;
    }
}

void TScanProgram::DoLoop(int32_t aCurrentTemp, uint8_t aPortDataRead) {
    fDigitalPortByte = aPortDataRead;
    // A finished program that was paused and resumed, or an empty one, has no step to execute.
    if (!HasCurrentStep()) return;
    RScanProgramStep& step = fItems[fCurrenStepNo];
    const int32_t oldStepNo = fCurrenStepNo;
    fCurrentStepToSaveData = step.storeScannedData;

    if (fProgramState == spsPaused) {
        // A hold restarts its full duration on resume; a free run keeps counting.
        if (step.stepType == spstSustain) step._stepStartTime = fClock();
        return;
    }

    switch (step.stepType) {
        case spstHeating: {
            if (!IsHeatingOn(aPortDataRead)) SendHeatingOn();
            const double switchOff = static_cast<double>(step.stepParam) - GetDeflection(fHeatSpeed);
            if (Round(switchOff) < aCurrentTemp) {
                if (fCurrenStepNo == GetItemCount() - 1) SendHeatingOff();
                ++fCurrenStepNo;
            }
            break;
        }
        case spstSustain:
            SendSustainLevel();
            if (TimeIsUp(step)) {
                SendPortClear();
                ++fCurrenStepNo;
            }
            break;
        case spstFree:
            SendHeatingOff();
            SendPortClear();
            if (TimeIsUp(step)) ++fCurrenStepNo;
            break;
        default:  // spstNone (and nothing else gets past Validate)
            ++fCurrenStepNo;
            fCurrentStepToSaveData = true;
            break;
    }

    if (fCurrenStepNo == oldStepNo) return;
    if (!HasCurrentStep()) {
        Stop();
        fProgramFinishedFlag = true;
        return;
    }
    RScanProgramStep& next = fItems[fCurrenStepNo];
    if (IsTimed(next.stepType)) next._stepStartTime = fClock();
}

}  // namespace kalvero
