#pragma once
// The simulated USB data-acquisition module behind the uni-driver entry points: one instrument
// per process, a converter that fills buffers on the simulated clock from the cell, and a digital
// port whose lines drive the cell's heater. Every entry point takes one lock; the buffer wait
// releases it while it sleeps, so a stop from another thread ends the wait at once.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/UniDriverApi.h"
#include "simcell/SimConfig.h"
#include "simcell/SimNoise.h"
#include "simcell/SimulatedCell.h"

namespace kalvero::sim {

using unidriver::U32;

// Statuses of the simulated driver (0 is success).
enum : U32 {
    SIM_ERROR_NOT_SUPPORTED = 0x10000001,
    SIM_ERROR_NOT_FOUND = 0x10000002,
    SIM_ERROR_HANDLE = 0x10000003,
    SIM_ERROR_NOT_CONNECTED = 0x10000004,
    SIM_ERROR_PARAMETER = 0x10000005,
    SIM_ERROR_NOT_INITIALIZED = 0x10000006,
    SIM_ERROR_TIMEOUT = 0x10000007,
    SIM_ERROR_PORT_WRITE = 0x10000008,
    SIM_ERROR_CONFIG = 0x10000009,
};

class TSimModule {
public:
    static TSimModule& Instance();

    U32 GetDeviceHandle(const char* aDeviceName, U32* aHandle);
    U32 CloseDeviceHandle(U32 aHandle);
    U32 IsCapable(U32 aHandle, U32 aCapability);
    U32 Connect(U32 aHandle, U32 aDeviceIndex, U32 aMode);
    U32 Init(U32 aHandle, U32 aMode, void* aRecord);
    U32 Start(U32 aHandle);
    U32 Stop(U32 aHandle);
    U32 Get(U32 aHandle, U32 aCode, void* aValue);
    U32 GetUInt(U32 aHandle, U32 aCode, U32* aValue);
    U32 GetCstr(U32 aHandle, U32 aCode, char* aBuffer, U32 aSize);
    U32 GetDataInt(U32 aHandle, U32 aSize, U32* aReceived, int32_t* aBuffer);
    U32 GetDataShort(U32 aHandle, U32 aSize, U32* aReceived, int16_t* aBuffer);
    U32 ErrorText(U32 aStatus, char* aBuffer, U32 aSize);

    void Stats(unidriver::SimUniDriverStats* aStats);
    U32 PortLog(uint8_t* aValues, U32 aSize);
    void Reset();

private:
    struct THandle {
        bool twentyFour = false;
        bool connected = false;
    };
    using TLock = std::unique_lock<std::mutex>;

    TSimModule();
    double SimNow() const;
    void Configure(const TSimConfig& aConfig);
    void CatchUp();
    void ProduceFrame();
    bool FaultActive(bool aFault) const;
    THandle* Find(U32 aHandle);
    U32 Connected(U32 aHandle);
    U32 WaitBuffer(TLock& aLock, U32 aHandle, U32 aTimeoutMs);
    U32 Port(U32 aHandle, unidriver::RshInitPort& aRecord);
    void ApplyPort(uint8_t aLogical);
    void SafeState();
    template <class W>
    U32 Read(U32 aHandle, U32 aSize, U32* aReceived, W* aBuffer);

    std::mutex fLock;
    std::condition_variable fWake;
    TSimConfig fConfig;
    std::string fConfigError;
    std::unique_ptr<TSimulatedCell> fCell;
    TSimNoise fNoise{1};
    std::chrono::steady_clock::time_point fRealBase;
    double fSimBase = 0;

    std::map<U32, THandle> fHandles;
    U32 fNextHandle = 1;
    U32 fOwner = 0;  // the handle that set the converter up

    bool fConfigured = false, fRunning = false, fStarted = false, fTwentyFour = true;
    double fFreq = 0;
    U32 fBufferSize = 0, fUsed = 0;
    U32 fGains[unidriver::RSH_MAX_CHANNELS] = {};
    double fStartTime = 0;
    uint64_t fFrames = 0;
    std::deque<int32_t> fRing;
    size_t fCapacity = 0;
    uint64_t fBuffersReady = 0, fSamplesRead = 0, fOverruns = 0;

    uint8_t fPortLevel = 0;
    std::vector<uint8_t> fPortLog;
    uint32_t fPortWriteFaults = 0;
};

}  // namespace kalvero::sim
