#include "acquisition/UniUsbDeviceDescriptor.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <type_traits>

#include "acquisition/UniDriverLibrary.h"
#include "common/Cp1251.h"
#include "common/Globals.h"
#include "common/Logger.h"

namespace kalvero {
namespace {

using namespace unidriver;

constexpr uint32_t kBusyPollMs = 10, kBusyTimeoutMs = 10000;
constexpr uint32_t kDeviceTimeoutMs = 10000;

// Drivers that keep settings of their own in the devices file (the simulated module's
// [SIMULATED_CELL]) find the file through the environment.
void AnnounceDevicesFile(const std::string& aFileName) {
    ::setenv("KALVERO_DEVICES_FILE", aFileName.c_str(), 1);
}

}  // namespace

// Holds the busy flag for one driver operation: taken at once when free, else polled every
// 10 ms for at most 10 s.
class TUniUsbDeviceDescriptor::TBusy {
public:
    explicit TBusy(std::atomic<bool>& aFlag) : fFlag(aFlag) {
        if (!fFlag.exchange(true)) return;
        fWaited = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(kBusyPollMs));
            if (!fFlag.exchange(true)) return;
        } while (std::chrono::steady_clock::now() <= deadline);
        throw EDeviceException("UniUsbDevice wait timeout occured");
    }
    ~TBusy() { fFlag = false; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
    bool Waited() const { return fWaited; }

private:
    std::atomic<bool>& fFlag;
    bool fWaited = false;
};

TUniUsbDeviceDescriptor::TUniUsbDeviceDescriptor(const TAppConfig& aConfig)
    : TBaseDeviceDescriptor(aConfig), fDecimation(aConfig.decimation) {
    if (fInterfaceType != itLA20USB_Uni && fInterfaceType != itLAi24USB_Uni)
        throw EDeviceConfigException("Incorrect device type for uni driver");
    fTwentyFour = fInterfaceType == itLAi24USB_Uni;
    fDeviceName = fTwentyFour ? "LAI24USB" : "LA20USB";
    fBufferSize = fTwentyFour ? 32 : 256;
    fDeviceTimeout = kDeviceTimeoutMs;
}

TUniUsbDeviceDescriptor::~TUniUsbDeviceDescriptor() {
    try {
        DeInit();
    } catch (...) {
        // Nothing left to report to.
    }
}

uint8_t TUniUsbDeviceDescriptor::ReverseBits(uint8_t aByte) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (aByte & (1u << i)) r |= static_cast<uint8_t>(0x80u >> i);
    return r;
}

const TUniDriverLibrary& TUniUsbDeviceDescriptor::Library() const {
    const TUniDriverLibrary& lib = TUniDriverLibrary::Instance();
    if (!lib.loaded) {
        if (gLogger)
            gLogger->Error("TUniUsbDeviceDescriptor", std::string(UNI_DRIVER_LIBRARY) + ": " + lib.loadError);
        throw EDeviceConfigException("RshUniDriver.dll not loaded");
    }
    return lib;
}

std::string TUniUsbDeviceDescriptor::ErrorText(U32 aStatus) const {
    char buffer[RSH_TEXT_SIZE] = {};
    const U32 status = TUniDriverLibrary::Instance().UniDriverLVGetError(aStatus, buffer, sizeof buffer, 0);
    if (status != RSH_API_SUCCESS) {
        char text[64];
        std::snprintf(text, sizeof text, "UniDriverLVGetError status 0x%08X", status);
        return std::string("Descr cannot be retrieved:") + text;
    }
    buffer[sizeof buffer - 1] = '\0';
    return Cp1251ToUtf8(buffer);
}

template <class E>
void TUniUsbDeviceDescriptor::Fail(const std::string& aPrefix, U32 aStatus) {
    const std::string text = ErrorText(aStatus);
    // A failed connection is dropped at once. After a failure during a run the handle stays
    // open, so that the heater can still be switched off; the thread closes it afterwards.
    if constexpr (std::is_same_v<E, EDeviceConfigException>) CloseHandle();
    throw E(aPrefix + text);
}

void TUniUsbDeviceDescriptor::CloseHandle() {
    if (fDeviceHandle != 0) TUniDriverLibrary::Instance().UniDriverCloseDeviceHandle(fDeviceHandle);
    fDeviceHandle = 0;
    fConnected = false;
}

void TUniUsbDeviceDescriptor::Connect() {
    const TUniDriverLibrary& lib = Library();
    CloseHandle();
    AnnounceDevicesFile(fDevicesFileName);
    U32 s = lib.UniDriverGetDeviceHandle(fDeviceName.c_str(), &fDeviceHandle);
    if (s != RSH_API_SUCCESS) Fail<EDeviceConfigException>("UniDriverGetDeviceHandle failed: ", s);
    s = lib.UniDriverIsCapable(fDeviceHandle, RSH_CAPS_SOFT_GATHERING_IS_AVAILABLE);
    if (s != RSH_API_SUCCESS)
        Fail<EDeviceConfigException>("Data acquisition in continuous mode is not supported: ", s);
    s = lib.UniDriverConnect(fDeviceHandle, 1, RSH_CONNECT_MODE_BASE);
    if (s != RSH_API_SUCCESS) Fail<EDeviceConfigException>("UniDriverConnect: ", s);
    fConnected = true;

    U32 serial = 0;
    s = lib.UniDriverLVGetUInt(fDeviceHandle, RSH_GET_DEVICE_SERIAL_NUMBER, &serial);
    if (s != RSH_API_SUCCESS) Fail<EDeviceConfigException>("Get(RSH_GET_DEVICE_SERIAL_NUMBER): ", s);
    fSerialNo = std::to_string(serial);

    RshPortInfo port;
    s = lib.UniDriverGet(fDeviceHandle, RSH_GET_DEVICE_PORT_INFO, &port);
    if (s != RSH_API_SUCCESS) Fail<EDeviceConfigException>("", s);
    port.name[sizeof port.name - 1] = '\0';
    fPortAddress = port.address;
    char address[16];
    std::snprintf(address, sizeof address, "0x%X", port.address);
    fPortInfo = Cp1251ToUtf8(port.name) + ", " + std::to_string(port.bitSize) + " бит, адрес " + address;

    const auto text = [&](U32 aCode, const char* aPrefix) {
        char buffer[RSH_TEXT_SIZE] = {};
        const U32 status = lib.UniDriverLVGetCstr(fDeviceHandle, aCode, buffer, sizeof buffer);
        if (status != RSH_API_SUCCESS) Fail<EDeviceConfigException>(aPrefix, status);
        buffer[sizeof buffer - 1] = '\0';
        return Cp1251ToUtf8(buffer);
    };
    fLibraryFileName = text(RSH_GET_LIBRARY_FILENAME, "Get(RSH_GET_LIBRARY_FILENAME): ");
    fLibraryVersion = text(RSH_GET_LIBRARY_VERSION_STR, "Get(RSH_GET_LIBRARY_VERSION_STR): ");
    fBaseLibraryFileName = text(RSH_GET_CORELIB_FILENAME, "Get(RSH_GET_CORELIB_FILENAME): ");
    fBaseLibraryVersion = text(RSH_GET_CORELIB_VERSION_STR, "Get(RSH_GET_CORELIB_VERSION_STR): ");
    fBoardTitle = text(RSH_GET_DEVICE_NAME_VERBOSE, "Get(RSH_GET_DEVICE_NAME_VERBOSE): ");
}

void TUniUsbDeviceDescriptor::FillInitRecord(RshInitADC& aRecord) {
    aRecord = RshInitADC{};
    int highest = -1;
    const auto use = [&](uint8_t aChannel, uint8_t aGain) {
        if (aChannel >= RSH_MAX_CHANNELS) {
            CloseHandle();
            throw EDeviceConfigException("Номер аппаратного канала " + std::to_string(aChannel) +
                                         " вне диапазона 0.." + std::to_string(RSH_MAX_CHANNELS - 1));
        }
        aRecord.channels[aChannel].gain = aGain;
        aRecord.channels[aChannel].control = 1;
        highest = std::max(highest, static_cast<int>(aChannel));
    };
    for (const TDeviceChannelDescriptor& c : fChannels) {
        use(c.tempChannelNumber, c.tempChannelGain);
        use(c.diffTempChannelNumber, c.dIffTempChannelGain);
    }
    fUsedHardwareChannels = static_cast<uint8_t>(highest + 1);
    aRecord.bufferSize = GetBufferSize();
    aRecord.frequency = fActualFreq;
}

void TUniUsbDeviceDescriptor::Init() {
    Connect();
    fBufferSize = fTwentyFour ? 32 : 256;
    fUsedHardwareChannels = 0;
    fActualFreq = fDecimation != 0 ? fFrequency * static_cast<float>(fDecimation) : fFrequency;
    const bool allowed =
        fAvalableFreqs.empty() || std::any_of(fAvalableFreqs.begin(), fAvalableFreqs.end(),
                                              [&](double f) { return static_cast<float>(f) == fActualFreq; });
    if (!allowed || !(fActualFreq > 0)) {
        CloseHandle();
        throw EDeviceConfigException("Init: Результирующая частота опроса с учётом прореживания некорректна");
    }
    RshInitADC record;
    FillInitRecord(record);
    if (GetBufferSize() >= 65536) {
        CloseHandle();
        throw EDeviceConfigException("Init: слишком большой буфер данных (" +
                                     std::to_string(GetBufferSize()) + " отсчётов)");
    }
    // The receive buffers fit whatever the channel layout asks for.
    dataBufferInt.assign(GetBufferSize(), 0);
    dataBufferShort.assign(GetBufferSize(), 0);
    // Wait at least twice as long as one buffer takes to fill, so slow rates do not time out.
    const double fillMs = 1000.0 * fBufferSize / fActualFreq;
    fDeviceTimeout =
        static_cast<uint32_t>(std::min(4.0e9, std::max<double>(kDeviceTimeoutMs, 2 * fillMs + 1000)));

    const U32 s = Library().UniDriverInit(fDeviceHandle, RSH_INIT_MODE_INIT, &record);
    if (s != RSH_API_SUCCESS) Fail<EDeviceConfigException>("UniDriverInit: ", s);
    fBusyFlag = false;
    fPortOutByte = 0;
}

void TUniUsbDeviceDescriptor::DeInit() {
    std::lock_guard lock(fHandleLock);
    fBusyFlag = false;
    if (fDeviceHandle != 0 && TUniDriverLibrary::Instance().loaded) CloseHandle();
}

bool TUniUsbDeviceDescriptor::IsDevicePresent() {
    try {
        const TUniDriverLibrary& lib = Library();
        TBusy busy(fBusyFlag);
        AnnounceDevicesFile(fDevicesFileName);
        // A handle of its own: the connection in use stays as it is.
        U32 handle = 0;
        bool present = lib.UniDriverGetDeviceHandle(fDeviceName.c_str(), &handle) == RSH_API_SUCCESS;
        present = present && lib.UniDriverConnect(handle, 1, RSH_CONNECT_MODE_BASE) == RSH_API_SUCCESS;
        if (handle != 0) lib.UniDriverCloseDeviceHandle(handle);
        return present;
    } catch (const std::exception&) {
        return false;
    }
}

void TUniUsbDeviceDescriptor::StartADC() {
    const TUniDriverLibrary& lib = Library();
    TBusy busy(fBusyFlag);
    const U32 s = lib.UniDriverStart(fDeviceHandle);
    if (s != RSH_API_SUCCESS) Fail<EDeviceException>("UniDriverStart: ", s);
}

void TUniUsbDeviceDescriptor::StopADC() {
    std::lock_guard lock(fHandleLock);
    if (!fConnected) return;
    const TUniDriverLibrary& lib = Library();
    TBusy busy(fBusyFlag);
    if (busy.Waited() && fActualFreq < 25) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const U32 s = lib.UniDriverStop(fDeviceHandle);
    if (s != RSH_API_SUCCESS) Fail<EDeviceException>("UniDriverStop: ", s);
}

void TUniUsbDeviceDescriptor::LVGetUInt() {
    const TUniDriverLibrary& lib = Library();
    U32 timeout = fDeviceTimeout;
    const U32 s = lib.UniDriverLVGetUInt(fDeviceHandle, RSH_GET_WAIT_BUFFER_READY_EVENT, &timeout);
    if (s != RSH_API_SUCCESS) Fail<EDeviceException>("Execute: ", s);
}

void TUniUsbDeviceDescriptor::LVGetDataInt(uint32_t& aReceived, TIntegers& aBuffer) {
    const TUniDriverLibrary& lib = Library();
    const uint32_t size = GetBufferSize();
    if (aBuffer.size() < size) aBuffer.resize(size);
    dataBufferInt.resize(size);
    dataBufferShort.resize(size);
    TBusy busy(fBusyFlag);
    U32 received = 0;
    U32 s;
    if (fTwentyFour) {
        s = lib.UniDriverLVGetDataInt(fDeviceHandle, 0, size, &received, dataBufferInt.data());
    } else {
        s = lib.UniDriverLVGetDataShort(fDeviceHandle, 0, size, &received, dataBufferShort.data());
    }
    if (s != RSH_API_SUCCESS) Fail<EDeviceException>("UniDriverLVGetDataInt: ", s);
    // Only what came is used; a driver that claims more than was asked is not believed.
    aReceived = std::min(received, size);
    if (fTwentyFour) {
        std::copy_n(dataBufferInt.begin(), aReceived, aBuffer.begin());
    } else {
        // The 12-bit module's words are unsigned codes.
        for (uint32_t i = 0; i < aReceived; ++i)
            aBuffer[i] = static_cast<uint16_t>(dataBufferShort[i]);
    }
}

void TUniUsbDeviceDescriptor::PortIO(RshInitPort& aRecord) {
    aRecord.type = RSH_TYPE_INIT_PORT;
    aRecord.portAddress = fPortAddress;
    const U32 s = Library().UniDriverInit(fDeviceHandle, RSH_INIT_MODE_INIT, &aRecord);
    if (s != RSH_API_SUCCESS) Fail<EDeviceException>("UniDriverInit: ", s);
}

void TUniUsbDeviceDescriptor::DigitalPortOut(uint8_t aDataByte, uint16_t aDuration) {
    TBusy busy(fBusyFlag);
    const uint8_t wire = ReverseBits(aDataByte);
    if (aDuration == 0) fPortOutByte = wire;
    RshInitPort record;
    record.operationType = RSH_PORT_WRITE;
    record.portValue = wire;
    PortIO(record);
    if (aDuration == 0) return;
    if (fSleep) {
        fSleep(aDuration);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(aDuration));
    }
    record = RshInitPort{};
    record.operationType = RSH_PORT_WRITE;
    record.portValue = fPortOutByte;
    PortIO(record);
}

uint8_t TUniUsbDeviceDescriptor::DigitalPortRead() {
    TBusy busy(fBusyFlag);
    RshInitPort record;
    record.operationType = RSH_PORT_READ;
    PortIO(record);
    return ReverseBits(static_cast<uint8_t>(record.portValue));
}

}  // namespace kalvero
