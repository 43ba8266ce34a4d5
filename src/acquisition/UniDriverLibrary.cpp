#include "acquisition/UniDriverLibrary.h"

#include <dlfcn.h>

#include <type_traits>

#include "acquisition/DriverLibrary.h"

namespace kalvero {

const TUniDriverLibrary& TUniDriverLibrary::Instance() {
    static const TUniDriverLibrary library;
    return library;
}

TUniDriverLibrary::TUniDriverLibrary() {
    std::string error;
    void* handle = OpenDriverLibrary(UNI_DRIVER_LIBRARY, error);
    if (!handle) {
        loadError = error;
        return;
    }
    std::string missing;
    const auto bind = [&](auto& aEntry, const char* aName) {
        aEntry = reinterpret_cast<std::remove_reference_t<decltype(aEntry)>>(::dlsym(handle, aName));
        if (!aEntry && missing.empty()) missing = aName;
    };
#define KALVERO_BIND(name) bind(name, #name)
    KALVERO_BIND(UniDriverGetError);
    KALVERO_BIND(UniDriverIsCapable);
    KALVERO_BIND(UniDriverFreeBuffer);
    KALVERO_BIND(UniDriverAllocateBuffer);
    KALVERO_BIND(UniDriverGetDeviceHandle);
    KALVERO_BIND(UniDriverCloseDeviceHandle);
    KALVERO_BIND(UniDriverConnect);
    KALVERO_BIND(UniDriverInit);
    KALVERO_BIND(UniDriverStart);
    KALVERO_BIND(UniDriverStop);
    KALVERO_BIND(UniDriverGetData);
    KALVERO_BIND(UniDriverGet);
    KALVERO_BIND(UniDriverLVGetChar);
    KALVERO_BIND(UniDriverLVGetUChar);
    KALVERO_BIND(UniDriverLVGetShort);
    KALVERO_BIND(UniDriverLVGetUShort);
    KALVERO_BIND(UniDriverLVGetInt);
    KALVERO_BIND(UniDriverLVGetUInt);
    KALVERO_BIND(UniDriverLVGetDouble);
    KALVERO_BIND(UniDriverLVGetCstr);
    KALVERO_BIND(UniDriverLVGetArrayInt);
    KALVERO_BIND(UniDriverLVGetArrayUInt);
    KALVERO_BIND(UniDriverLVGetArrayShort);
    KALVERO_BIND(UniDriverLVGetArrayUShort);
    KALVERO_BIND(UniDriverLVGetArrayChar);
    KALVERO_BIND(UniDriverLVGetArrayUChar);
    KALVERO_BIND(UniDriverLVGetArrayDouble);
    KALVERO_BIND(UniDriverLVGetDataChar);
    KALVERO_BIND(UniDriverLVGetDataShort);
    KALVERO_BIND(UniDriverLVGetDataInt);
    KALVERO_BIND(UniDriverLVGetDataDouble);
    KALVERO_BIND(UniDriverLVGetError);
#undef KALVERO_BIND
    if (!missing.empty()) {
        // A library that lacks an entry point is not the driver the program was built for.
        loadError = "no entry point " + missing;
        return;
    }
    loaded = true;
}

}  // namespace kalvero
