#include "acquisition/AdcUsbDeviceDescriptor.h"

#include <stdexcept>

namespace kalvero {
namespace {

void Check(int32_t aStatus) {
    if (aStatus != 1) throw std::runtime_error(ADCStatusText(aStatus));
}

std::wstring Widen(const std::string& aAscii) {
    return std::wstring(aAscii.begin(), aAscii.end());
}

}  // namespace

std::string ADCStatusText(int32_t aStatus) {
    const char* text = "нет сообщения для данного кода ошибки";
    switch (aStatus) {
        case 0:
            text = "ADC_ERROR_NOTSUPPORTED";
            break;
        case -1:
            text = "ADC_ERROR_NOTINITIALIZE";
            break;
        case -2:
            text = "Некорректные параметры";
            break;
        case -3:
            text = "Недопустимый базовый адрес";
            break;
        case -4:
            text = "недопустимый номер IRQ";
            break;
        case -5:
            text = "недопустимый номер канала DMA";
            break;
        case -6:
            text = "канал DMA занят";
            break;
        case -7:
            text = "линия прерывания занята";
            break;
        case -10:
            text =
                "нет необходимого драйвера нулевого кольца (ZISASup.vxd, ZPCISup.vxd) для Windows 9X/Me или "
                "ZISASup.sys, ZPCISup.sys для Windows NT/2K/XP)";
            break;
        default:
            break;
    }
    return std::string("Ошибка устройства USB: ") + text;
}

TADCUsbDeviceDescriptor::TADCUsbDeviceDescriptor(const TAppConfig& aConfig)
    : TBaseDeviceDescriptor(aConfig), fUsbGetDataMode(aConfig.usbGetDataMode) {}

TADCUsbDeviceDescriptor::~TADCUsbDeviceDescriptor() {
    try {
        DeInit();
    } catch (...) {
        // Nothing to report to from a destructor.
    }
}

IADCFactory* TADCUsbDeviceDescriptor::GetFactory(const std::string& aDeviceName) {
    void* proc =
        fLAxClient.LoadRegistered(ADC_DRIVER_COMPANY, ADC_DRIVER_PRODUCT, ADC_DRIVER_VERSION, aDeviceName);
    if (!proc) return nullptr;
    fLAxFactory = reinterpret_cast<TStaticFactoryProc>(proc)();
    return fLAxFactory;
}

void* TADCUsbDeviceDescriptor::CreateDriverObject(const std::string& aDeviceName,
                                                  const std::string& aInterfaceName) {
    IADCFactory* factory = GetFactory(aDeviceName);
    if (!factory) throw std::runtime_error("Не удалось создать фабрику для " + aInterfaceName);
    void* object = factory->Create(Widen(aInterfaceName).c_str(), nullptr);
    if (!object) throw std::runtime_error("Не удалось создать объект (интерфейс) " + aInterfaceName);
    return object;
}

IADCUtility* TADCUsbDeviceDescriptor::CreateUtility(const std::string& aDeviceName, int32_t aBlockSize2KW) {
    auto* utility = static_cast<IADCUtility*>(CreateDriverObject(aDeviceName, "IADCUtility"));
    if (utility->Setup(aDeviceName.c_str(), 1, 0, aBlockSize2KW) <= 0) {
        utility->Release();
        throw std::runtime_error("Ошибка инициализации устройства " + aDeviceName);
    }
    return utility;
}

TIntegers TADCUsbDeviceDescriptor::GetChannelNumbers() const {
    TIntegers list;
    for (const auto& c : fChannels) {
        list.push_back(c.tempChannelNumber);
        list.push_back(c.diffTempChannelNumber);
    }
    return list;
}

TIntegers TADCUsbDeviceDescriptor::GetChannelGains() const {
    TIntegers list;
    for (const auto& c : fChannels) {
        list.push_back(c.tempChannelGain);
        list.push_back(c.dIffTempChannelGain);
    }
    return list;
}

void TADCUsbDeviceDescriptor::Init() {
    DeInit();
    auto* device = static_cast<IADCDevice*>(CreateDriverObject(ADC_DEVICE_NAME, "IADCDevice"));
    try {
        Check(device->Setup(1, 0, 0, nullptr));
        int32_t result = 0;
        RADCAcquisitionParams acquisition;
        acquisition.frequency = fFrequency;
        Check(device->Init(1, &acquisition, &result));
        const TIntegers channels = GetChannelNumbers(), gains = GetChannelGains();
        RADCChannelList list;
        list.count = static_cast<int32_t>(channels.size());
        list.channels = channels.data();
        list.gains = gains.data();
        Check(device->Init(1, &list, &result));
        if (fDifferentialMode) {
            int32_t on = 1;
            Check(device->Get(ADC_SET_DIFFERENTIAL, &on));
        }
    } catch (...) {
        // A converter that failed to set up is given back, not left half initialised.
        device->Release();
        throw;
    }
    fADCDevice = device;
    fNumChannels = static_cast<int32_t>(fChannels.size());
}

void TADCUsbDeviceDescriptor::DeInit() {
    if (!fADCDevice) return;
    IADCDevice* device = fADCDevice;
    fADCDevice = nullptr;
    device->Stop();
    device->Release();
}

IADCDevice* TADCUsbDeviceDescriptor::RequireDevice() const {
    if (!fADCDevice) throw EDeviceException("The converter is not initialized");
    return fADCDevice;
}

int32_t TADCUsbDeviceDescriptor::GetData(void* aBuffer, int32_t aSize, int32_t aOffset) {
    return RequireDevice()->GetData(fUsbGetDataMode, aBuffer, aSize, aOffset);
}

int32_t TADCUsbDeviceDescriptor::GetDMACounter() {
    int32_t value = 0;
    RequireDevice()->Get(ADC_GET_DMA_COUNTER, &value);
    return value;
}

int16_t TADCUsbDeviceDescriptor::GetTempChannelOffset(int32_t aChannelNo) const {
    const auto n = static_cast<int32_t>(fChannels.size());
    return fChannels[((aChannelNo % n) + n) % n].tempChannelOffset;
}

int16_t TADCUsbDeviceDescriptor::GetDiffTempChannelOffset(int32_t aChannelNo) const {
    const auto n = static_cast<int32_t>(fChannels.size());
    return fChannels[((aChannelNo % n) + n) % n].dIffTempChannelOffset;
}

}  // namespace kalvero
