// "Devices.ini": read by a fresh configuration as the start-up does, then the descriptor of every
// interface type built from it (validation included) and described, as "kalvero-cli device" does.

#include <exception>

#include "FuzzSupport.h"
#include "acquisition/DeviceDescriptor.h"
#include "acquisition/DeviceFactory.h"

using namespace kalvero;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    TAppConfig& config = fuzz::Config();
    static const std::string devices = config.DevicesFileName();
    fuzz::WriteBytes(devices, aData, aSize);
    try {
        TAppConfig fresh(fuzz::ScratchFolder() + "app", fuzz::ScratchFolder() + "data");
        fresh.LoadSettings();
    } catch (const std::exception&) {
    }
    for (int type = 0; type < INTERFACE_TYPE_COUNT; ++type) {
        config.interfaceType = static_cast<TInterfaceType>(type);
        try {
            auto descriptor = TDeviceFactory::GetDeviceDescriptor(config);
            (void)descriptor->GetDescription();
        } catch (const std::exception&) {
        }
    }
    return 0;
}
