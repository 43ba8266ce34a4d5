#include "acquisition/DeviceFactory.h"

#include "acquisition/AdcUsbDeviceDescriptor.h"
#include "acquisition/UniUsbDeviceDescriptor.h"

namespace kalvero {

std::unique_ptr<TBaseDeviceDescriptor> TDeviceFactory::GetDeviceDescriptor(const TAppConfig& aConfig) {
    switch (aConfig.interfaceType) {
        case itLA20USB:
        case itLA20USB_DMA:
        case itLA24USB:
            return std::make_unique<TADCUsbDeviceDescriptor>(aConfig);
        case itLA20USB_Uni:
        case itLAi24USB_Uni:
            return std::make_unique<TUniUsbDeviceDescriptor>(aConfig);
        default:
            return std::make_unique<TBaseDeviceDescriptor>(aConfig);
    }
}

}  // namespace kalvero
