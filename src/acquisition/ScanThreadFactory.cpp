#include "acquisition/ScanThreadFactory.h"

#include <stdexcept>

#include "acquisition/EmulScanThread.h"
#include "acquisition/LaUniUsbScanThread.h"
#include "acquisition/LptScanThread.h"

namespace kalvero {

std::unique_ptr<TCommonScanThread> CreateScanThread(const TAppConfig& aConfig,
                                                    std::shared_ptr<TRunClock> aClock) {
    switch (aConfig.interfaceType) {
        case itLpt:
            return std::make_unique<TLptScanThread>(aConfig, std::move(aClock));
        case itLA20USB_Uni:
        case itLAi24USB_Uni:
            try {
                return std::make_unique<TLaUniUsbScanThread>(aConfig, std::move(aClock));
            } catch (const std::exception& e) {
                throw std::runtime_error(std::string(e.what()) +
                                         ".\r\nПроверьте корректность установки драйверов интерфейса USB.");
            }
        case itEmul:
            return std::make_unique<TEmulScanThread>(aConfig, std::move(aClock));
        default:
            throw std::runtime_error("Unknown device type");
    }
}

}  // namespace kalvero
