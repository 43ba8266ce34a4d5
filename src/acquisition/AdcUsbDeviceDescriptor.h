#pragma once
// The descriptor of the converters reached through the vendor's driver factory (interface types
// "USB 12bit", "USB DMA 12bit", " USB DMA 24bit"). It serves the device information check: no
// acquisition thread records through it.

#include <string>

#include "acquisition/AdcDriver.h"
#include "acquisition/DeviceDescriptor.h"
#include "acquisition/DllClient.h"

namespace kalvero {

// "Ошибка устройства USB: " and the text of a driver status.
std::string ADCStatusText(int32_t aStatus);

// Registry coordinates of the driver factory.
inline constexpr const char* ADC_DRIVER_COMPANY = "Virtual Tools LTD";
inline constexpr const char* ADC_DRIVER_PRODUCT = "Drivers";
inline constexpr const char* ADC_DRIVER_VERSION = "1.0";
inline constexpr const char* ADC_DEVICE_NAME = "Lai24USB";

class TADCUsbDeviceDescriptor : public TBaseDeviceDescriptor {
public:
    explicit TADCUsbDeviceDescriptor(const TAppConfig& aConfig);
    ~TADCUsbDeviceDescriptor() override;

    // Obtains the converter and sets it up with the frequency and channel list; a status other
    // than 1 raises std::runtime_error with ADCStatusText.
    void Init() override;
    // Stops and releases the converter.
    void DeInit() override;

    // The converter's GetData with the configured data mode; returns its status.
    int32_t GetData(void* aBuffer, int32_t aSize, int32_t aOffset);
    int32_t GetDMACounter();
    // Offsets of data channel aChannelNo taken modulo the number of data channels.
    int16_t GetTempChannelOffset(int32_t aChannelNo) const;
    int16_t GetDiffTempChannelOffset(int32_t aChannelNo) const;
    // T and dT hardware channels (and their gains) of every data channel, in that order.
    TIntegers GetChannelNumbers() const;
    TIntegers GetChannelGains() const;

    // Creates an object of the factory of driver aDeviceName ("IADCDevice" or "IADCUtility");
    // "Не удалось создать фабрику для ..." / "Не удалось создать объект (интерфейс) ..." on failure.
    void* CreateDriverObject(const std::string& aDeviceName, const std::string& aInterfaceName);
    // The buffer utility of driver aDeviceName, set up for blocks of aBlockSize2KW × 2K words.
    IADCUtility* CreateUtility(const std::string& aDeviceName, int32_t aBlockSize2KW);

protected:
    // The factory of the named driver module, or null. Tests put a factory of their own here.
    virtual IADCFactory* GetFactory(const std::string& aDeviceName);

private:
    IADCDevice* RequireDevice() const;

    TDllClient fLAxClient;
    IADCFactory* fLAxFactory = nullptr;
    IADCDevice* fADCDevice = nullptr;
    int32_t fNumChannels = 0;
    int32_t fUsbGetDataMode = 0;
};

}  // namespace kalvero
