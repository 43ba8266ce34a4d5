#pragma once
// Chooses the descriptor class for the configured interface type.

#include <memory>

#include "acquisition/DeviceDescriptor.h"

namespace kalvero {

class TDeviceFactory {
public:
    // TADCUsbDeviceDescriptor for the driver-factory converters, TUniUsbDeviceDescriptor for the
    // uni-driver modules, TBaseDeviceDescriptor for the rest (an unknown type included).
    // Construction validates the settings (EDeviceConfigException).
    static std::unique_ptr<TBaseDeviceDescriptor> GetDeviceDescriptor(const TAppConfig& aConfig);
};

}  // namespace kalvero
