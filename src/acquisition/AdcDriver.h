#pragma once
// The objects of the converter driver factory: a driver module exports "StaticFactory", which
// returns the factory; the factory creates the converter ("IADCDevice") and the buffer utility
// ("IADCUtility"). Operations return 1 on success, other values are error codes. The objects
// are reference counted by the driver and given back with Release.

#include <cstdint>

namespace kalvero {

// Mode of Get that switches the inputs to differential wiring (value 1).
inline constexpr int32_t ADC_SET_DIFFERENTIAL = 1004;
// Mode of Get that reads the DMA counter.
inline constexpr int32_t ADC_GET_DMA_COUNTER = 2;

// Parameter records of IADCDevice::Init (mode 1); the first field says which one it is.
inline constexpr int32_t ADC_PARAM_ACQUISITION = 1;
inline constexpr int32_t ADC_PARAM_CHANNELS = 2;

struct RADCAcquisitionParams {
    int32_t paramType = ADC_PARAM_ACQUISITION;
    double frequency = 0;  // Hz
};

// Two entries per data channel: its T hardware channel, then its dT hardware channel.
struct RADCChannelList {
    int32_t paramType = ADC_PARAM_CHANNELS;
    int32_t count = 0;
    const int32_t* channels = nullptr;
    const int32_t* gains = nullptr;
};

class IADCDevice {
public:
    virtual int32_t AddRef() = 0;
    virtual int32_t Release() = 0;
    virtual int32_t Setup(int32_t baseAdr, int32_t DRQ, int32_t IRQ, void* HANDLE) = 0;
    virtual int32_t Test() = 0;
    virtual int32_t Init(int32_t Mode, void* aParams, int32_t* R) = 0;
    virtual int32_t Start() = 0;
    virtual int32_t Stop() = 0;
    virtual int32_t GetData(int32_t Mode, void* P, int32_t Size, int32_t Offs) = 0;
    virtual int32_t PortIO(int32_t Mode, void* P, int32_t Size) = 0;
    virtual int32_t Get(int32_t Mode, void* P) = 0;
    virtual int32_t ClearInterrupt() = 0;

protected:
    ~IADCDevice() = default;
};

class IADCUtility {
public:
    virtual int32_t AddRef() = 0;
    virtual int32_t Release() = 0;
    virtual int32_t Setup(const char* name, int32_t baseAdr, int32_t DRQ, int32_t blockSize2KW) = 0;
    virtual int32_t Start(void* par, int32_t priority) = 0;
    virtual int32_t GetBuffer(void** address, uint32_t* mask) = 0;
    virtual int32_t FreeBuffer() = 0;
    virtual int32_t GetStatus(int32_t mode, int32_t* value) = 0;
    virtual int32_t Stop() = 0;

protected:
    ~IADCUtility() = default;
};

class IADCFactory {
public:
    // The object named by InterfaceName ("IADCDevice", "IADCUtility"), or null.
    virtual void* Create(const wchar_t* InterfaceName, void* P) = 0;

protected:
    ~IADCFactory() = default;
};

// The "StaticFactory" export of a driver module.
using TStaticFactoryProc = IADCFactory* (*)();

}  // namespace kalvero
