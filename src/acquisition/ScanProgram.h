#pragma once
// The operator's heating program: steps that heat the cell to a temperature, hold it or let it
// run freely, each deciding whether its samples are recorded. The program never touches the
// hardware: it is polled by the acquisition thread and answers with port commands on the
// thread's queue. Step numbers of the public operations are 1-based.

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/HeatDeflection.h"
#include "acquisition/PortIOCommand.h"
#include "acquisition/TickClock.h"
#include "common/Config.h"

namespace kalvero {

enum TScanProgramStepType : uint8_t { spstNone = 0, spstHeating = 1, spstSustain = 2, spstFree = 3 };
enum TScanProgramState : uint8_t { spsStopped = 0, spsRunning = 1, spsPaused = 2, spsError = 3 };

// "spstNone", "spstHeating", ...; "unknown" for any other value.
const char* ScanProgramStepTypeName(TScanProgramStepType aValue);

class EScanProgramException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RScanProgramStep {
    int32_t stepNo = 0;  // position + 1
    TScanProgramStepType stepType = spstNone;
    int32_t stepParam = 0;  // heating: target °C; hold and free run: whole minutes
    bool storeScannedData = true;
    uint64_t _stepStartTime = 0;  // clock reading at which a timed step began
};

class TScanProgram {
public:
    // The deflection table comes from the configuration (gConfig, none: empty table); the clock
    // is the steady system clock.
    TScanProgram();
    TScanProgram(const std::string& aHeatingDeflection, TTickClock aClock);
    TScanProgram(const TScanProgram&) = delete;
    TScanProgram& operator=(const TScanProgram&) = delete;

    // The acquisition thread's queue; the program does not own it. Without one, commands are
    // dropped (there is no port to drive).
    void SetCommandBuffer(TPortIOCommandQueue& aCommandBuffer);
    void SetDeviceControlType(TDeviceControlType aDeviceControlType);
    void SetHeatingSpeed(float aSpeed);
    void SetPortData(uint8_t aByte);
    float GetDeflection(float aHeatSpeed) const;

    // Editing; refused unless stopped, numbers checked after the state.
    void Clear();
    void AddStep(TScanProgramStepType aStepType, int32_t aStepParam, bool aKeepData);
    void UpdateStep(int32_t aStepNo, TScanProgramStepType aStepType, int32_t aStepParam,
                    bool aStoreScannedData, bool aResetToDefaults);
    void DeleteStep(int32_t aStepNo);
    RScanProgramStep GetStep(int32_t aStepNo) const;
    // Raises unless the program is non-empty, holds no hold step straight after a free run, and
    // every step has a known type and a non-negative duration.
    void Validate() const;

    // The executing step; "Not running!" unless running with a step to execute.
    RScanProgramStep GetCurrentStep() const;
    int32_t GetItemCount() const;
    TScanProgramState GetState() const;
    bool IsProgramSaved() const;
    bool IsFinished() const;
    bool IsCurrentStepToSaveData() const;
    bool IsRunnable() const;
    bool IsRunning() const;
    bool IsPaused() const;
    bool IsHeatingOn() const;
    static bool IsHeatingOn(uint8_t aByte);

    void Start();
    void Stop();
    void Pause();
    void Resume();
    // Once per driver buffer from the acquisition thread: the sample temperature in whole °C and
    // the last byte read from the digital input port. A failure inside switches the heater off,
    // leaves the state spsError and is raised again.
    void Loop(int32_t aCurrentTemp, uint8_t aPortDataRead);

    void LoadFromFile(const std::string& aFileName);
    // Crash-safe: a failed save leaves an existing file as it was.
    void SaveToFile(const std::string& aFileName);

    const std::string& GetFileName() const { return fFileName; }
    void SetFileName(const std::string& aFileName) { fFileName = aFileName; }

private:
    void CheckStopped() const;
    void CheckStepNo(int32_t aStepNo) const;
    bool HasCurrentStep() const;
    void Queue(uint8_t aValue, uint16_t aDuration);
    void SendHeatingOn();
    void SendHeatingOff();
    void SendSustainLevel();
    void SendPortClear();
    void DoLoop(int32_t aCurrentTemp, uint8_t aPortDataRead);
    bool TimeIsUp(const RScanProgramStep& aStep) const;
    // A type outside the enumeration or a negative hold/free-run duration never ends: refused.
    static void CheckStepValues(int32_t aStepNo, int32_t aStepType, int32_t aStepParam);

    // The user-interface thread edits, starts and stops; the acquisition thread loops. One lock
    // keeps a Stop from being overtaken by a heater-on of a Loop running at the same time.
    mutable std::recursive_mutex fLock;
    TTickClock fClock;
    std::string fFileName;
    int32_t fCurrenStepNo = 0;
    TScanProgramState fProgramState = spsStopped;
    TPortIOCommandQueue* fCommandBuffer = nullptr;
    bool fProgramFinishedFlag = false;
    bool fProgramSaved = false;
    bool fPortDriven = false;  // commands went out since the last heater-off
    uint8_t fDigitalPortByte = 0;
    float fHeatSpeed = 0;
    bool fCurrentStepToSaveData = true;
    TDeviceControlType fDeviceControlType = dctNone;
    THeatDeflection fHeatDeflection;
    std::vector<RScanProgramStep> fItems;
};

}  // namespace kalvero
