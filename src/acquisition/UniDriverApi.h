#pragma once
// The binary interface of the USB uni-driver library: entry points (bound by name), the codes and
// the records passed to it. Every call returns a status, 0 meaning success. Shared by the
// program's binding and by the simulated module in drivers/, so both sides agree on layouts.

#include <cstddef>
#include <cstdint>

namespace kalvero::unidriver {

using U32 = uint32_t;

inline constexpr U32 RSH_API_SUCCESS = 0;

// Capability asked at connection: continuous (software-gathered) acquisition.
inline constexpr U32 RSH_CAPS_SOFT_GATHERING_IS_AVAILABLE = 514;

// Codes of UniDriverGet / UniDriverLVGet*.
inline constexpr U32 RSH_GET_WAIT_BUFFER_READY_EVENT = 0x20001;
inline constexpr U32 RSH_GET_DEVICE_NAME_VERBOSE = 0x30003;
inline constexpr U32 RSH_GET_DEVICE_PORT_INFO = 0x30020;
inline constexpr U32 RSH_GET_DEVICE_SERIAL_NUMBER = 0x30021;
inline constexpr U32 RSH_GET_LIBRARY_FILENAME = 0x5000B;
inline constexpr U32 RSH_GET_LIBRARY_VERSION_STR = 0x5000D;
inline constexpr U32 RSH_GET_CORELIB_FILENAME = 0x6000B;
inline constexpr U32 RSH_GET_CORELIB_VERSION_STR = 0x6000D;

// Type tags that open every record.
inline constexpr U32 RSH_TYPE_INIT_ADC = 0xADC04003;
inline constexpr U32 RSH_TYPE_INIT_PORT = 0xADC04006;
inline constexpr U32 RSH_TYPE_PORT_INFO = 0xADC0500A;

inline constexpr U32 RSH_INIT_MODE_INIT = 1;
inline constexpr U32 RSH_CONNECT_MODE_BASE = 0;
inline constexpr U32 RSH_PORT_READ = 0;
inline constexpr U32 RSH_PORT_WRITE = 1;
inline constexpr int RSH_MAX_CHANNELS = 32;
// Size of the text buffers handed to the driver.
inline constexpr U32 RSH_TEXT_SIZE = 512;

#pragma pack(push, 4)
// Digital port access (16 bytes).
struct RshInitPort {
    U32 type = RSH_TYPE_INIT_PORT;
    U32 operationType = RSH_PORT_READ;
    U32 portAddress = 0;
    U32 portValue = 0;
};

struct RshChannel {
    U32 gain = 1;
    U32 control = 0;  // 1: the channel is converted
    U32 reserved[2] = {0, 0};
};

// Converter set-up.
struct RshInitADC {
    U32 type = RSH_TYPE_INIT_ADC;
    U32 startType = 1;
    U32 bufferSize = 0;  // samples per buffer over all used channels
    double frequency = 0;
    U32 control = 1;
    U32 reserved[3] = {0, 0, 0};
    RshChannel channels[RSH_MAX_CHANNELS];
};

// The digital port of a module.
struct RshPortInfo {
    U32 type = RSH_TYPE_PORT_INFO;
    char name[32] = {};
    U32 bitSize = 0;
    U32 address = 0;
};
#pragma pack(pop)

static_assert(sizeof(RshInitPort) == 16);
static_assert(offsetof(RshInitADC, bufferSize) == 8 && offsetof(RshInitADC, frequency) == 12);
static_assert(offsetof(RshInitADC, control) == 20 && offsetof(RshInitADC, channels) == 36);
static_assert(sizeof(RshChannel) == 16);

// Entry points, in the order the program binds them.
extern "C" {
using UniDriverGetError_t = U32 (*)(U32* aLastError);
using UniDriverIsCapable_t = U32 (*)(U32 aHandle, U32 aCapability);
using UniDriverFreeBuffer_t = U32 (*)(void* aBuffer);
using UniDriverAllocateBuffer_t = U32 (*)(void** aBuffer, U32 aSize);
using UniDriverGetDeviceHandle_t = U32 (*)(const char* aDeviceName, U32* aHandle);
using UniDriverCloseDeviceHandle_t = U32 (*)(U32 aHandle);
using UniDriverConnect_t = U32 (*)(U32 aHandle, U32 aDeviceIndex, U32 aMode);
using UniDriverInit_t = U32 (*)(U32 aHandle, U32 aMode, void* aRecord);
using UniDriverStart_t = U32 (*)(U32 aHandle);
using UniDriverStop_t = U32 (*)(U32 aHandle);
using UniDriverGetData_t = U32 (*)(U32 aHandle, void* aBuffer);
using UniDriverGet_t = U32 (*)(U32 aHandle, U32 aCode, void* aValue);
using UniDriverLVGetChar_t = U32 (*)(U32 aHandle, U32 aCode, int8_t* aValue);
using UniDriverLVGetUChar_t = U32 (*)(U32 aHandle, U32 aCode, uint8_t* aValue);
using UniDriverLVGetShort_t = U32 (*)(U32 aHandle, U32 aCode, int16_t* aValue);
using UniDriverLVGetUShort_t = U32 (*)(U32 aHandle, U32 aCode, uint16_t* aValue);
using UniDriverLVGetInt_t = U32 (*)(U32 aHandle, U32 aCode, int32_t* aValue);
// For RSH_GET_WAIT_BUFFER_READY_EVENT *aValue carries the time-out in ms.
using UniDriverLVGetUInt_t = U32 (*)(U32 aHandle, U32 aCode, U32* aValue);
using UniDriverLVGetDouble_t = U32 (*)(U32 aHandle, U32 aCode, double* aValue);
using UniDriverLVGetCstr_t = U32 (*)(U32 aHandle, U32 aCode, char* aBuffer, U32 aSize);
using UniDriverLVGetArrayInt_t = U32 (*)(U32 aHandle, U32 aCode, int32_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayUInt_t = U32 (*)(U32 aHandle, U32 aCode, uint32_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayShort_t = U32 (*)(U32 aHandle, U32 aCode, int16_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayUShort_t = U32 (*)(U32 aHandle, U32 aCode, uint16_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayChar_t = U32 (*)(U32 aHandle, U32 aCode, int8_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayUChar_t = U32 (*)(U32 aHandle, U32 aCode, uint8_t* aBuffer, U32 aSize);
using UniDriverLVGetArrayDouble_t = U32 (*)(U32 aHandle, U32 aCode, double* aBuffer, U32 aSize);
// Reads up to aSize samples of the ready data; *aReceived tells how many came.
using UniDriverLVGetDataChar_t = U32 (*)(U32 aHandle, U32 aMode, U32 aSize, U32* aReceived, int8_t* aBuffer);
using UniDriverLVGetDataShort_t = U32 (*)(U32 aHandle, U32 aMode, U32 aSize, U32* aReceived,
                                          int16_t* aBuffer);
using UniDriverLVGetDataInt_t = U32 (*)(U32 aHandle, U32 aMode, U32 aSize, U32* aReceived, int32_t* aBuffer);
using UniDriverLVGetDataDouble_t = U32 (*)(U32 aHandle, U32 aMode, U32 aSize, U32* aReceived,
                                           double* aBuffer);
// The single-byte text of a status.
using UniDriverLVGetError_t = U32 (*)(U32 aStatus, char* aBuffer, U32 aSize, U32 aLanguage);
}

// Exports of the simulated module only (drivers/), for tests and benchmarks: what the cell did.
struct SimUniDriverStats {
    uint64_t buffersReady = 0;  // buffers the converter filled since the last start
    uint64_t samplesRead = 0;   // samples handed to the program since the last start
    uint64_t overruns = 0;      // buffers lost because the program did not read them in time
    uint32_t portWrites = 0;    // digital port writes since the last reset
    uint32_t portWriteFaults = 0;
    int32_t heaterOn = 0;   // 1 while the heater is switched on
    int32_t holding = 0;    // 1 while the hold level is set
    double blockTemp = 0;   // °C
    double sampleTemp = 0;  // °C
    double simTime = 0;     // s of simulated time since the last reset
};
extern "C" {
using SimUniDriverGetStats_t = void (*)(SimUniDriverStats* aStats);
// Up to aSize logical bytes written to the digital port (oldest first); returns the total count.
using SimUniDriverGetPortLog_t = U32 (*)(uint8_t* aValues, U32 aSize);
// Back to a cold cell at room temperature, no handles, configuration read anew.
using SimUniDriverReset_t = void (*)();
}

}  // namespace kalvero::unidriver
