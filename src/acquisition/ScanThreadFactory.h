#pragma once
// Chooses the acquisition thread for the configured interface type.

#include <memory>

#include "acquisition/CommonScanThread.h"

namespace kalvero {

// TLptScanThread for itLpt, TLaUniUsbScanThread for the uni-driver modules, TEmulScanThread for
// itEmul; "Unknown device type" for any other type. A USB thread that cannot be made fails with
// its message + ".\r\nПроверьте корректность установки драйверов интерфейса USB.".
std::unique_ptr<TCommonScanThread> CreateScanThread(const TAppConfig& aConfig,
                                                    std::shared_ptr<TRunClock> aClock);

}  // namespace kalvero
