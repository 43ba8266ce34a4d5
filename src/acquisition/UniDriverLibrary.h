#pragma once
// The USB uni-driver library "RshUniDriver.dll", loaded once for the process on first use and
// kept until the process ends. Every entry point must bind; a missing library or entry point
// leaves the binding unloaded with the reason, and the program runs on without USB modules.

#include <string>

#include "acquisition/UniDriverApi.h"

namespace kalvero {

inline constexpr const char* UNI_DRIVER_LIBRARY = "RshUniDriver.dll";

struct TUniDriverLibrary {
    // The process-wide binding (thread-safe first load).
    static const TUniDriverLibrary& Instance();

    bool loaded = false;
    std::string loadError;  // why it is not loaded

    unidriver::UniDriverGetError_t UniDriverGetError = nullptr;
    unidriver::UniDriverIsCapable_t UniDriverIsCapable = nullptr;
    unidriver::UniDriverFreeBuffer_t UniDriverFreeBuffer = nullptr;
    unidriver::UniDriverAllocateBuffer_t UniDriverAllocateBuffer = nullptr;
    unidriver::UniDriverGetDeviceHandle_t UniDriverGetDeviceHandle = nullptr;
    unidriver::UniDriverCloseDeviceHandle_t UniDriverCloseDeviceHandle = nullptr;
    unidriver::UniDriverConnect_t UniDriverConnect = nullptr;
    unidriver::UniDriverInit_t UniDriverInit = nullptr;
    unidriver::UniDriverStart_t UniDriverStart = nullptr;
    unidriver::UniDriverStop_t UniDriverStop = nullptr;
    unidriver::UniDriverGetData_t UniDriverGetData = nullptr;
    unidriver::UniDriverGet_t UniDriverGet = nullptr;
    unidriver::UniDriverLVGetChar_t UniDriverLVGetChar = nullptr;
    unidriver::UniDriverLVGetUChar_t UniDriverLVGetUChar = nullptr;
    unidriver::UniDriverLVGetShort_t UniDriverLVGetShort = nullptr;
    unidriver::UniDriverLVGetUShort_t UniDriverLVGetUShort = nullptr;
    unidriver::UniDriverLVGetInt_t UniDriverLVGetInt = nullptr;
    unidriver::UniDriverLVGetUInt_t UniDriverLVGetUInt = nullptr;
    unidriver::UniDriverLVGetDouble_t UniDriverLVGetDouble = nullptr;
    unidriver::UniDriverLVGetCstr_t UniDriverLVGetCstr = nullptr;
    unidriver::UniDriverLVGetArrayInt_t UniDriverLVGetArrayInt = nullptr;
    unidriver::UniDriverLVGetArrayUInt_t UniDriverLVGetArrayUInt = nullptr;
    unidriver::UniDriverLVGetArrayShort_t UniDriverLVGetArrayShort = nullptr;
    unidriver::UniDriverLVGetArrayUShort_t UniDriverLVGetArrayUShort = nullptr;
    unidriver::UniDriverLVGetArrayChar_t UniDriverLVGetArrayChar = nullptr;
    unidriver::UniDriverLVGetArrayUChar_t UniDriverLVGetArrayUChar = nullptr;
    unidriver::UniDriverLVGetArrayDouble_t UniDriverLVGetArrayDouble = nullptr;
    unidriver::UniDriverLVGetDataChar_t UniDriverLVGetDataChar = nullptr;
    unidriver::UniDriverLVGetDataShort_t UniDriverLVGetDataShort = nullptr;
    unidriver::UniDriverLVGetDataInt_t UniDriverLVGetDataInt = nullptr;
    unidriver::UniDriverLVGetDataDouble_t UniDriverLVGetDataDouble = nullptr;
    unidriver::UniDriverLVGetError_t UniDriverLVGetError = nullptr;

private:
    TUniDriverLibrary();
};

}  // namespace kalvero
