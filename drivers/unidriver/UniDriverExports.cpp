// The entry points of the simulated uni-driver library (libRshUniDriver.so). Only the calls the
// program makes do something; the rest exist so that every entry point binds, and answer
// "not supported".

#include "unidriver/SimModule.h"

#define KALVERO_EXPORT extern "C" __attribute__((visibility("default")))

using kalvero::sim::SIM_ERROR_NOT_SUPPORTED;
using kalvero::sim::TSimModule;
using kalvero::unidriver::U32;

namespace {
TSimModule& M() {
    return TSimModule::Instance();
}
}  // namespace

KALVERO_EXPORT U32 UniDriverGetError(U32* aLastError) {
    if (aLastError) *aLastError = 0;
    return 0;
}
KALVERO_EXPORT U32 UniDriverIsCapable(U32 aHandle, U32 aCapability) {
    return M().IsCapable(aHandle, aCapability);
}
KALVERO_EXPORT U32 UniDriverFreeBuffer(void*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverAllocateBuffer(void**, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverGetDeviceHandle(const char* aDeviceName, U32* aHandle) {
    return M().GetDeviceHandle(aDeviceName, aHandle);
}
KALVERO_EXPORT U32 UniDriverCloseDeviceHandle(U32 aHandle) {
    return M().CloseDeviceHandle(aHandle);
}
KALVERO_EXPORT U32 UniDriverConnect(U32 aHandle, U32 aDeviceIndex, U32 aMode) {
    return M().Connect(aHandle, aDeviceIndex, aMode);
}
KALVERO_EXPORT U32 UniDriverInit(U32 aHandle, U32 aMode, void* aRecord) {
    return M().Init(aHandle, aMode, aRecord);
}
KALVERO_EXPORT U32 UniDriverStart(U32 aHandle) {
    return M().Start(aHandle);
}
KALVERO_EXPORT U32 UniDriverStop(U32 aHandle) {
    return M().Stop(aHandle);
}
KALVERO_EXPORT U32 UniDriverGetData(U32, void*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverGet(U32 aHandle, U32 aCode, void* aValue) {
    return M().Get(aHandle, aCode, aValue);
}
KALVERO_EXPORT U32 UniDriverLVGetChar(U32, U32, int8_t*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetUChar(U32, U32, uint8_t*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetShort(U32, U32, int16_t*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetUShort(U32, U32, uint16_t*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetInt(U32, U32, int32_t*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetUInt(U32 aHandle, U32 aCode, U32* aValue) {
    return M().GetUInt(aHandle, aCode, aValue);
}
KALVERO_EXPORT U32 UniDriverLVGetDouble(U32, U32, double*) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetCstr(U32 aHandle, U32 aCode, char* aBuffer, U32 aSize) {
    return M().GetCstr(aHandle, aCode, aBuffer, aSize);
}
KALVERO_EXPORT U32 UniDriverLVGetArrayInt(U32, U32, int32_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayUInt(U32, U32, uint32_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayShort(U32, U32, int16_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayUShort(U32, U32, uint16_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayChar(U32, U32, int8_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayUChar(U32, U32, uint8_t*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetArrayDouble(U32, U32, double*, U32) {
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetDataChar(U32, U32, U32, U32* aReceived, int8_t*) {
    if (aReceived) *aReceived = 0;
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetDataShort(U32 aHandle, U32, U32 aSize, U32* aReceived, int16_t* aBuffer) {
    return M().GetDataShort(aHandle, aSize, aReceived, aBuffer);
}
KALVERO_EXPORT U32 UniDriverLVGetDataInt(U32 aHandle, U32, U32 aSize, U32* aReceived, int32_t* aBuffer) {
    return M().GetDataInt(aHandle, aSize, aReceived, aBuffer);
}
KALVERO_EXPORT U32 UniDriverLVGetDataDouble(U32, U32, U32, U32* aReceived, double*) {
    if (aReceived) *aReceived = 0;
    return SIM_ERROR_NOT_SUPPORTED;
}
KALVERO_EXPORT U32 UniDriverLVGetError(U32 aStatus, char* aBuffer, U32 aSize, U32 /*aLanguage*/) {
    return M().ErrorText(aStatus, aBuffer, aSize);
}

// Simulated module only.
KALVERO_EXPORT void SimUniDriverGetStats(kalvero::unidriver::SimUniDriverStats* aStats) {
    M().Stats(aStats);
}
KALVERO_EXPORT U32 SimUniDriverGetPortLog(uint8_t* aValues, U32 aSize) {
    return M().PortLog(aValues, aSize);
}
KALVERO_EXPORT void SimUniDriverReset() {
    M().Reset();
}
