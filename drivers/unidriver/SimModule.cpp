#include "unidriver/SimModule.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace kalvero::sim {
namespace {

using namespace unidriver;

constexpr U32 kPortAddress = 0x1C0;
constexpr U32 kSerialNumber = 240117;
constexpr double kTempNoise = 0.25, kDiffNoise = 0.5;  // counts of the 12-bit converter
// The 24-bit converter is bipolar: its 2^23 counts span what the 12-bit one spans with 4096, so
// one 12-bit count is 2048 of its counts, and it reads the differential pair about zero. Its
// own noise is a few counts.
constexpr double kWideScale = 2048, kWideNoise = 16;
constexpr long kWideMax = (1L << 23) - 1;
constexpr double kRingSeconds = 2;  // real seconds of data the driver keeps

uint8_t Reverse(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1u << i)) r |= static_cast<uint8_t>(0x80u >> i);
    return r;
}

void CopyText(const std::string& aText, char* aBuffer, U32 aSize) {
    if (!aBuffer || aSize == 0) return;
    const size_t n = std::min<size_t>(aText.size(), aSize - 1);
    std::memcpy(aBuffer, aText.data(), n);
    aBuffer[n] = '\0';
}

std::string gLastConfigError;  // text of SIM_ERROR_CONFIG, kept for UniDriverLVGetError

}  // namespace

TSimModule& TSimModule::Instance() {
    static TSimModule module;
    return module;
}

TSimModule::TSimModule()
    : fCell(std::make_unique<TSimulatedCell>(fConfig)), fRealBase(std::chrono::steady_clock::now()) {}

double TSimModule::SimNow() const {
    const double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - fRealBase).count();
    return fSimBase + real * fConfig.speed;
}

void TSimModule::Configure(const TSimConfig& aConfig) {
    if (aConfig == fConfig) return;
    CatchUp();
    // The clock keeps its reading; a changed cell or sample starts cold.
    fSimBase = SimNow();
    fRealBase = std::chrono::steady_clock::now();
    TSimConfig cellOld = fConfig, cellNew = aConfig;
    cellOld.speed = cellNew.speed = 1;
    cellOld.faults = cellNew.faults = {};
    cellOld.faultAfter = cellNew.faultAfter = 0;
    cellOld.portLog = cellNew.portLog = "";
    fConfig = aConfig;
    if (!(cellOld == cellNew)) {
        fCell = std::make_unique<TSimulatedCell>(fConfig, fSimBase);
        fNoise = TSimNoise(fConfig.seed);
    }
}

void TSimModule::Reset() {
    TLock lock(fLock);
    fRunning = fConfigured = fStarted = false;
    fHandles.clear();
    fOwner = 0;
    fRing.clear();
    fPortLog.clear();
    fPortLevel = 0;
    fPortWriteFaults = 0;
    fBuffersReady = fSamplesRead = fOverruns = 0;
    fSimBase = 0;
    fRealBase = std::chrono::steady_clock::now();
    try {
        fConfig = LoadSimConfig();
    } catch (const ESimConfig&) {
        fConfig = {};
    }
    fCell = std::make_unique<TSimulatedCell>(fConfig);
    fNoise = TSimNoise(fConfig.seed);
    fWake.notify_all();
}

bool TSimModule::FaultActive(bool aFault) const {
    return aFault && fStarted && SimNow() >= fStartTime + fConfig.faultAfter;
}

void TSimModule::ProduceFrame() {
    fCell->AdvanceTo(fStartTime + static_cast<double>(fFrames) / fFreq);
    const double t = SensorCounts(fCell->SensorTempC());
    const double d = fCell->DiffTemp() * DIFF_COUNTS_PER_K;
    for (U32 ch = 0; ch < fUsed; ++ch) {
        const double gain = fGains[ch];
        // Even hardware channels carry the temperature sensor, odd ones the differential pair.
        const bool temperature = ch % 2 == 0;
        int32_t word;
        if (fTwentyFour) {
            // The 24-bit value stands in the upper three bytes of the word.
            const double counts = (temperature ? t : d) * gain * kWideScale + fNoise.Gauss(kWideNoise);
            word = static_cast<int32_t>(std::clamp(std::lround(counts), -kWideMax - 1, kWideMax) * 256);
        } else {
            const double counts = temperature ? t * gain + fNoise.Gauss(kTempNoise)
                                              : DIFF_ZERO_COUNTS + d * gain + fNoise.Gauss(kDiffNoise);
            word = static_cast<int32_t>(std::clamp(std::lround(counts * 16), 0L, 65535L));
        }
        fRing.push_back(word);
    }
    ++fFrames;
    const uint64_t framesPerBuffer = fBufferSize / fUsed;
    if (fFrames % framesPerBuffer == 0) {
        ++fBuffersReady;
        if (fRing.size() > fCapacity) {
            // The program did not fetch in time: the oldest buffer is overwritten.
            fRing.erase(fRing.begin(), fRing.begin() + fBufferSize);
            ++fOverruns;
        }
    }
}

void TSimModule::CatchUp() {
    const double now = SimNow();
    if (fRunning) {
        const bool stalled = FaultActive(fConfig.faults.timeout);
        const double stallAt = fStartTime + fConfig.faultAfter;
        for (;;) {
            const double t = fStartTime + static_cast<double>(fFrames + 1) / fFreq;
            if (t > now || (stalled && t > stallAt)) break;
            ProduceFrame();
        }
    }
    fCell->AdvanceTo(now);
}

TSimModule::THandle* TSimModule::Find(U32 aHandle) {
    const auto it = fHandles.find(aHandle);
    return it == fHandles.end() ? nullptr : &it->second;
}

U32 TSimModule::Connected(U32 aHandle) {
    const THandle* h = Find(aHandle);
    if (!h) return SIM_ERROR_HANDLE;
    return h->connected ? RSH_API_SUCCESS : SIM_ERROR_NOT_CONNECTED;
}

U32 TSimModule::GetDeviceHandle(const char* aDeviceName, U32* aHandle) {
    TLock lock(fLock);
    if (!aDeviceName || !aHandle) return SIM_ERROR_PARAMETER;
    try {
        Configure(LoadSimConfig());
    } catch (const ESimConfig& e) {
        gLastConfigError = e.what();
        return SIM_ERROR_CONFIG;
    }
    THandle h;
    if (strcasecmp(aDeviceName, "LAI24USB") == 0) {
        h.twentyFour = true;
    } else if (strcasecmp(aDeviceName, "LA20USB") == 0) {
        h.twentyFour = false;
    } else {
        return SIM_ERROR_NOT_FOUND;
    }
    if (fConfig.faults.absent) return SIM_ERROR_NOT_FOUND;
    *aHandle = fNextHandle++;
    fHandles[*aHandle] = h;
    return RSH_API_SUCCESS;
}

U32 TSimModule::CloseDeviceHandle(U32 aHandle) {
    TLock lock(fLock);
    if (!Find(aHandle)) return SIM_ERROR_HANDLE;
    if (aHandle == fOwner) {
        // The module returns to its safe state when the program lets go of it.
        CatchUp();
        fRunning = fConfigured = false;
        fOwner = 0;
        SafeState();
        fWake.notify_all();
    }
    fHandles.erase(aHandle);
    return RSH_API_SUCCESS;
}

U32 TSimModule::IsCapable(U32 aHandle, U32 aCapability) {
    TLock lock(fLock);
    if (!Find(aHandle)) return SIM_ERROR_HANDLE;
    return aCapability == RSH_CAPS_SOFT_GATHERING_IS_AVAILABLE ? RSH_API_SUCCESS : SIM_ERROR_NOT_SUPPORTED;
}

U32 TSimModule::Connect(U32 aHandle, U32 aDeviceIndex, U32 /*aMode*/) {
    TLock lock(fLock);
    THandle* h = Find(aHandle);
    if (!h) return SIM_ERROR_HANDLE;
    if (fConfig.faults.absent || aDeviceIndex != 1) return SIM_ERROR_NOT_FOUND;
    h->connected = true;
    return RSH_API_SUCCESS;
}

U32 TSimModule::Init(U32 aHandle, U32 aMode, void* aRecord) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (!aRecord || aMode != RSH_INIT_MODE_INIT) return SIM_ERROR_PARAMETER;
    U32 type = 0;
    std::memcpy(&type, aRecord, sizeof type);
    if (type == RSH_TYPE_INIT_PORT) return Port(aHandle, *static_cast<RshInitPort*>(aRecord));
    if (type != RSH_TYPE_INIT_ADC) return SIM_ERROR_PARAMETER;

    const auto& r = *static_cast<const RshInitADC*>(aRecord);
    U32 used = 0;
    for (int ch = 0; ch < RSH_MAX_CHANNELS; ++ch)
        if (r.channels[ch].control) used = static_cast<U32>(ch) + 1;
    if (!(r.frequency > 0) || !std::isfinite(r.frequency) || used == 0 || r.bufferSize == 0 ||
        r.bufferSize % used != 0) {
        return SIM_ERROR_PARAMETER;
    }
    CatchUp();
    fRunning = false;
    fWake.notify_all();
    fTwentyFour = Find(aHandle)->twentyFour;
    fFreq = r.frequency;
    fBufferSize = r.bufferSize;
    fUsed = used;
    for (int ch = 0; ch < RSH_MAX_CHANNELS; ++ch)
        fGains[ch] = std::max<U32>(1, r.channels[ch].gain);
    fOwner = aHandle;
    fConfigured = true;
    return RSH_API_SUCCESS;
}

U32 TSimModule::Start(U32 aHandle) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (!fConfigured || aHandle != fOwner) return SIM_ERROR_NOT_INITIALIZED;
    CatchUp();
    fStartTime = SimNow();
    fFrames = 0;
    fRing.clear();
    fBuffersReady = fSamplesRead = fOverruns = 0;
    const double buffersPerRealSecond = fFreq * fConfig.speed * fUsed / fBufferSize;
    fCapacity = static_cast<size_t>(fBufferSize) *
                std::max<size_t>(256, static_cast<size_t>(std::ceil(buffersPerRealSecond * kRingSeconds)));
    fRunning = fStarted = true;
    return RSH_API_SUCCESS;
}

U32 TSimModule::Stop(U32 aHandle) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (aHandle != fOwner) return SIM_ERROR_NOT_INITIALIZED;
    CatchUp();
    fRunning = false;
    SafeState();
    fWake.notify_all();
    return RSH_API_SUCCESS;
}

void TSimModule::SafeState() {
    // The instrument's controller drops the heater when acquisition ends.
    fCell->SetHeater(false);
    fCell->SetHold(false);
}

U32 TSimModule::Get(U32 aHandle, U32 aCode, void* aValue) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (aCode != RSH_GET_DEVICE_PORT_INFO || !aValue) return SIM_ERROR_NOT_SUPPORTED;
    auto& info = *static_cast<RshPortInfo*>(aValue);
    if (info.type != RSH_TYPE_PORT_INFO) return SIM_ERROR_PARAMETER;
    CopyText("DIGITAL OUT/IN", info.name, sizeof info.name);
    info.bitSize = 8;
    info.address = kPortAddress;
    return RSH_API_SUCCESS;
}

U32 TSimModule::GetUInt(U32 aHandle, U32 aCode, U32* aValue) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (!aValue) return SIM_ERROR_PARAMETER;
    if (aCode == RSH_GET_DEVICE_SERIAL_NUMBER) {
        *aValue = kSerialNumber;
        return RSH_API_SUCCESS;
    }
    if (aCode == RSH_GET_WAIT_BUFFER_READY_EVENT) return WaitBuffer(lock, aHandle, *aValue);
    return SIM_ERROR_NOT_SUPPORTED;
}

U32 TSimModule::WaitBuffer(TLock& aLock, U32 aHandle, U32 aTimeoutMs) {
    if (aHandle != fOwner || !fConfigured) return SIM_ERROR_NOT_INITIALIZED;
    const double deadline = SimNow() + aTimeoutMs / 1000.0;
    for (;;) {
        CatchUp();
        // A stop ends the wait; the program finds nothing to read.
        if (!fRunning || fRing.size() >= fBufferSize) return RSH_API_SUCCESS;
        const double now = SimNow();
        if (now >= deadline) return SIM_ERROR_TIMEOUT;
        const uint64_t framesPerBuffer = fBufferSize / fUsed;
        const uint64_t missing = framesPerBuffer - fRing.size() / fUsed;
        double readyAt = fStartTime + static_cast<double>(fFrames + missing) / fFreq;
        if (FaultActive(fConfig.faults.timeout)) readyAt = std::numeric_limits<double>::infinity();
        const double until = std::min(readyAt, deadline);
        const double realSeconds = std::max(50e-6, (until - now) / fConfig.speed);
        fWake.wait_for(aLock, std::chrono::duration<double>(realSeconds));
    }
}

template <class W>
U32 TSimModule::Read(U32 aHandle, U32 aSize, U32* aReceived, W* aBuffer) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (!aReceived || (!aBuffer && aSize > 0)) return SIM_ERROR_PARAMETER;
    if (aHandle != fOwner || !fConfigured) return SIM_ERROR_NOT_INITIALIZED;
    CatchUp();
    size_t n = std::min<size_t>(aSize, fRing.size());
    // A short read cuts a frame in two on purpose.
    if (FaultActive(fConfig.faults.shortRead) && n > 1) n = std::max<size_t>(1, n - n / 3 - 1);
    for (size_t i = 0; i < n; ++i)
        aBuffer[i] = static_cast<W>(fRing[i]);
    fRing.erase(fRing.begin(), fRing.begin() + static_cast<std::ptrdiff_t>(n));
    fSamplesRead += n;
    *aReceived = static_cast<U32>(n);
    return RSH_API_SUCCESS;
}

U32 TSimModule::GetDataInt(U32 aHandle, U32 aSize, U32* aReceived, int32_t* aBuffer) {
    return Read(aHandle, aSize, aReceived, aBuffer);
}

U32 TSimModule::GetDataShort(U32 aHandle, U32 aSize, U32* aReceived, int16_t* aBuffer) {
    return Read(aHandle, aSize, aReceived, aBuffer);
}

U32 TSimModule::Port(U32 /*aHandle*/, RshInitPort& aRecord) {
    if (aRecord.portAddress != kPortAddress) return SIM_ERROR_PARAMETER;
    CatchUp();
    if (aRecord.operationType == RSH_PORT_READ) {
        // Input bit 0: the heater is switched on. The lines are wired in reverse bit order.
        aRecord.portValue = Reverse(fCell->HeaterOn() ? 1 : 0);
        return RSH_API_SUCCESS;
    }
    if (aRecord.operationType != RSH_PORT_WRITE) return SIM_ERROR_PARAMETER;
    if (FaultActive(fConfig.faults.portWrite)) {
        ++fPortWriteFaults;
        return SIM_ERROR_PORT_WRITE;
    }
    ApplyPort(Reverse(static_cast<uint8_t>(aRecord.portValue)));
    return RSH_API_SUCCESS;
}

void TSimModule::ApplyPort(uint8_t aLogical) {
    const uint8_t rising = static_cast<uint8_t>(aLogical & ~fPortLevel);
    // Bit 0 rising: heater on; bit 1 rising: heater off; bit 2 held: keep the temperature.
    if (rising & 1) fCell->SetHeater(true);
    if (rising & 2) fCell->SetHeater(false);
    fCell->SetHold((aLogical & 4) != 0);
    fPortLevel = aLogical;
    fPortLog.push_back(aLogical);
    if (!fConfig.portLog.empty()) {
        if (FILE* f = std::fopen(fConfig.portLog.c_str(), "a")) {
            std::fprintf(f, "%.3f %u %d\n", SimNow(), static_cast<unsigned>(aLogical),
                         fCell->HeaterOn() ? 1 : 0);
            std::fclose(f);
        }
    }
}

U32 TSimModule::GetCstr(U32 aHandle, U32 aCode, char* aBuffer, U32 aSize) {
    TLock lock(fLock);
    if (const U32 s = Connected(aHandle)) return s;
    if (!aBuffer || aSize == 0) return SIM_ERROR_PARAMETER;
    switch (aCode) {
        case RSH_GET_LIBRARY_FILENAME:
        case RSH_GET_CORELIB_FILENAME:
            CopyText("libRshUniDriver.so", aBuffer, aSize);
            return RSH_API_SUCCESS;
        case RSH_GET_LIBRARY_VERSION_STR:
        case RSH_GET_CORELIB_VERSION_STR:
            CopyText("1.0 simulated", aBuffer, aSize);
            return RSH_API_SUCCESS;
        case RSH_GET_DEVICE_NAME_VERBOSE:
            CopyText(Find(aHandle)->twentyFour ? "LAI24USB simulated DSC cell" : "LA20USB simulated DSC cell",
                     aBuffer, aSize);
            return RSH_API_SUCCESS;
        default:
            return SIM_ERROR_NOT_SUPPORTED;
    }
}

U32 TSimModule::ErrorText(U32 aStatus, char* aBuffer, U32 aSize) {
    if (!aBuffer || aSize == 0) return SIM_ERROR_PARAMETER;
    std::string text;
    switch (aStatus) {
        case RSH_API_SUCCESS:
            text = "success";
            break;
        case SIM_ERROR_NOT_SUPPORTED:
            text = "operation not supported";
            break;
        case SIM_ERROR_NOT_FOUND:
            text = "device not found";
            break;
        case SIM_ERROR_HANDLE:
            text = "invalid device handle";
            break;
        case SIM_ERROR_NOT_CONNECTED:
            text = "device not connected";
            break;
        case SIM_ERROR_PARAMETER:
            text = "invalid parameter";
            break;
        case SIM_ERROR_NOT_INITIALIZED:
            text = "device not initialized";
            break;
        case SIM_ERROR_TIMEOUT:
            text = "buffer wait timed out";
            break;
        case SIM_ERROR_PORT_WRITE:
            text = "digital port write failed";
            break;
        case SIM_ERROR_CONFIG: {
            TLock lock(fLock);
            text = gLastConfigError;
            break;
        }
        default:
            return SIM_ERROR_PARAMETER;  // no text for an unknown status
    }
    CopyText(text, aBuffer, aSize);
    return RSH_API_SUCCESS;
}

void TSimModule::Stats(SimUniDriverStats* aStats) {
    if (!aStats) return;
    TLock lock(fLock);
    CatchUp();
    aStats->buffersReady = fBuffersReady;
    aStats->samplesRead = fSamplesRead;
    aStats->overruns = fOverruns;
    aStats->portWrites = static_cast<uint32_t>(fPortLog.size());
    aStats->portWriteFaults = fPortWriteFaults;
    aStats->heaterOn = fCell->HeaterOn() ? 1 : 0;
    aStats->holding = fCell->Holding() ? 1 : 0;
    aStats->blockTemp = fCell->BlockTemp();
    aStats->sampleTemp = fCell->SampleTemp();
    aStats->simTime = fCell->Time();
}

U32 TSimModule::PortLog(uint8_t* aValues, U32 aSize) {
    TLock lock(fLock);
    const size_t n = std::min<size_t>(aSize, fPortLog.size());
    if (aValues) std::copy_n(fPortLog.begin(), n, aValues);
    return static_cast<U32>(fPortLog.size());
}

}  // namespace kalvero::sim
